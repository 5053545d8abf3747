// The user's time format round trip and the autostart entry on disk.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/linux/autostart_file.h"
#include "platform/linux/linux_locale.h"

namespace tw::linux_platform {
namespace {

TEST(LinuxLocale, TimesRoundTripInTwelveAndTwentyFourHourFormats) {
    const LinuxLocale us("%m/%d/%Y", "%I:%M:%S %p", ".");
    EXPECT_EQ(us.formatTime({22, 5, 9}), "10:05:09 PM");
    EXPECT_EQ(us.parseDateTime("10:05:09 PM"), (DateValue{std::nullopt, TimeOfDay{22, 5, 9}}));
    EXPECT_EQ(us.parseDateTime("12/07/2026 10:05:09 PM"),
              (DateValue{CivilDate{2026, 12, 7}, TimeOfDay{22, 5, 9}}));
    EXPECT_EQ(us.parseDateTime("12/07/2026"), (DateValue{CivilDate{2026, 12, 7}, std::nullopt}));

    const LinuxLocale de("%d.%m.%Y", "%H:%M", ",");  // a format without seconds gets them
    EXPECT_EQ(de.formatTime({7, 0, 30}), "07:00:30");
    EXPECT_EQ(de.parseDateTime("07:00:30"), (DateValue{std::nullopt, TimeOfDay{7, 0, 30}}));

    // A time stored under another locale, or typed without seconds, still reads back.
    EXPECT_EQ(de.parseDateTime("10:05:09 PM"), (DateValue{std::nullopt, TimeOfDay{22, 5, 9}}));
    EXPECT_EQ(us.parseDateTime("22:05:09"), (DateValue{std::nullopt, TimeOfDay{22, 5, 9}}));
    EXPECT_EQ(de.parseDateTime("22:05"), (DateValue{std::nullopt, TimeOfDay{22, 5, 0}}));

    EXPECT_EQ(us.parseDateTime("teatime"), std::nullopt);
    EXPECT_EQ(us.parseDateTime("25:00:00"), std::nullopt);
    EXPECT_EQ(us.parseDateTime("12/07/2026 12/07/2026"), std::nullopt);
}

TEST(AutostartEntry, QuotesTheProgramPathByTheDesktopEntryRules) {
    EXPECT_EQ(QuoteExecArgument("/opt/My Apps/$HOME/tide\"well`%"),
              "\"/opt/My Apps/\\$HOME/tide\\\"well\\`%%\"");
    const std::string entry = AutostartEntry("/opt/My Apps/tide well");
    EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(entry.find("Type=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("Name=Tidewell\n"), std::string::npos);
    // The string-value escape doubles the backslashes that the quoting added.
    EXPECT_NE(AutostartEntry("/a$b").find("Exec=\"/a\\\\$b\"\n"), std::string::npos);
    EXPECT_NE(entry.find("Exec=\"/opt/My Apps/tide well\"\n"), std::string::npos);
}

struct TempDir {
    std::string path;
    TempDir() {
        char pattern[] = "/tmp/tidewell-autostart-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
};

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(AutostartFile, WritesAndRemovesTheEntryCreatingTheFolder) {
    TempDir home;
    AutostartFile autostart(home.path + "/config");
    std::string error;
    ASSERT_TRUE(autostart.add("tidewell", "/usr/bin/tidewell", error)) << error;
    EXPECT_TRUE(autostart.isRegistered("tidewell"));
    EXPECT_NE(
        slurp(home.path + "/config/autostart/tidewell.desktop").find("Exec=\"/usr/bin/tidewell\""),
        std::string::npos);
    ASSERT_TRUE(autostart.add("tidewell", "/usr/local/bin/tidewell", error)) << "replaced whole";
    EXPECT_NE(slurp(autostart.entryPath("tidewell")).find("/usr/local/bin/tidewell"),
              std::string::npos);
    ASSERT_TRUE(autostart.remove("tidewell", error));
    EXPECT_FALSE(autostart.isRegistered("tidewell"));
    EXPECT_TRUE(autostart.remove("tidewell", error)) << "removing what is not there is fine";
}

TEST(AutostartFile, AStaleLongerTemporaryFileLeavesNothingInTheEntry) {
    TempDir home;
    AutostartFile autostart(home.path + "/config");
    std::string error;
    ASSERT_TRUE(autostart.add("tidewell", "/usr/bin/tidewell", error)) << error;
    // An earlier run died after writing a longer temporary file.
    std::ofstream(autostart.entryPath("tidewell") + ".tmp")
        << std::string(8192, '#') << "\nExec=/tmp/not-ours\n";

    ASSERT_TRUE(autostart.add("tidewell", "/usr/bin/tidewell", error)) << error;
    EXPECT_EQ(slurp(autostart.entryPath("tidewell")), AutostartEntry("/usr/bin/tidewell"));
    struct stat st {};
    EXPECT_NE(lstat((autostart.entryPath("tidewell") + ".tmp").c_str(), &st), 0);
}

TEST(AutostartFile, ALinkAtTheTemporaryNameIsNotWrittenThrough) {
    TempDir home;
    AutostartFile autostart(home.path + "/config");
    std::string error;
    ASSERT_TRUE(autostart.add("tidewell", "/usr/bin/tidewell", error)) << error;
    const std::string victim = home.path + "/precious";
    std::ofstream(victim) << "keep me";
    ASSERT_EQ(symlink(victim.c_str(), (autostart.entryPath("tidewell") + ".tmp").c_str()), 0);

    EXPECT_FALSE(autostart.add("tidewell", "/opt/tidewell", error));
    EXPECT_NE(error.find(".tmp"), std::string::npos) << error;
    EXPECT_EQ(slurp(victim), "keep me");
    EXPECT_EQ(slurp(autostart.entryPath("tidewell")), AutostartEntry("/usr/bin/tidewell"));
}

// Root ignores permission bits: permission checks run `check` in a child as user nobody and
// return its exit code.
int asOrdinaryUser(const std::function<bool()>& check) {
    const pid_t child = fork();
    if (child == 0) {
        if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) _exit(3);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// An autostart folder owned by nobody that nobody may not write to.
std::string lockedFolder(const TempDir& home) {
    const std::string folder = home.path + "/config/autostart";
    EXPECT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
    EXPECT_EQ(chmod(home.path.c_str(), 0755), 0);
    EXPECT_EQ(chown((home.path + "/config").c_str(), 65534, 65534), 0);
    EXPECT_EQ(chown(folder.c_str(), 65534, 65534), 0);
    EXPECT_EQ(chmod(folder.c_str(), 0555), 0);
    return folder;
}

TEST(AutostartFile, AnUnwritableFolderFailsWithAReasonForAnOrdinaryUser) {
    TempDir home;
    lockedFolder(home);
    EXPECT_EQ(asOrdinaryUser([&] {
                  AutostartFile autostart(home.path + "/config");
                  std::string error;
                  const bool added = autostart.add("tidewell", "/usr/bin/tidewell", error);
                  return !added && error.find("Permission denied") != std::string::npos;
              }),
              0);
}

TEST(AutostartFile, AnEntryThatCannotBeRemovedIsReportedAndStays) {
    TempDir home;
    const std::string folder = lockedFolder(home);
    std::ofstream(folder + "/tidewell.desktop") << AutostartEntry("/usr/bin/tidewell");
    EXPECT_EQ(asOrdinaryUser([&] {
                  AutostartFile autostart(home.path + "/config");
                  std::string error;
                  const bool removed = autostart.remove("tidewell", error);
                  return !removed &&
                         error.find("tidewell.desktop: Permission denied") != std::string::npos &&
                         autostart.isRegistered("tidewell");
              }),
              0);
}

}  // namespace
}  // namespace tw::linux_platform
