// The user's time format round trip and the autostart entry on disk.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "fakes/fakes.h"
#include "platform/linux/autostart_file.h"
#include "platform/linux/locale_formats.h"
#include "platform/trash_test_support.h"

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

// Installed by scripts/install-deps.sh; a machine without them skips what needs them.
std::optional<LinuxLocale> installed(const char* name) {
    return LinuxLocale::named(name);
}
#define REQUIRE_LOCALE(var, name) \
    auto var = installed(name);   \
    if (!var) GTEST_SKIP() << name << " is not installed; scripts/install-deps.sh adds it"

const TimeOfDay kEvening{21, 22, 29};

// "Weekly Time" is written in the locale of the day and read in the locale of the next start,
// which may differ (an autostart under another LANG).
TEST(LinuxLocale, AStoredTimeReadsBackWhicheverLocaleWroteIt) {
    struct Named {
        const char* name;
        const char* writes;
    };
    const Named names[] = {
        {"C", "21:22:29"},           {"en_US.UTF-8", "09:22:29 PM"},
        {"de_DE.UTF-8", "21:22:29"}, {"fr_FR.UTF-8", "21:22:29"},
        {"fi_FI.UTF-8", "21.22.29"}, {"en_IN.UTF-8", "09:22:29 PM "}};  // an empty time zone name
    std::vector<std::pair<std::string, LinuxLocale>> locales;
    for (const Named& n : names) {
        REQUIRE_LOCALE(locale, n.name);
        EXPECT_EQ(locale->formatTime(kEvening), n.writes) << n.name;
        locales.emplace_back(n.name, *locale);
    }
    const CivilDate february{2027, 2, 28};
    for (const auto& [readerName, reader] : locales) {
        for (const auto& [writerName, writer] : locales) {
            EXPECT_EQ(reader.parseDateTime(writer.formatTime(kEvening)),
                      (DateValue{std::nullopt, kEvening}))
                << writerName << " read under " << readerName;
        }
        // Typed or written by hand: no seconds, small letters, dots, a padded hour.
        for (const char* text : {"9:22 PM", "9:22 pm", "21:22", "21.22", " 9:22 P.M."}) {
            EXPECT_EQ(reader.parseDateTime(text), (DateValue{std::nullopt, TimeOfDay{21, 22, 0}}))
                << text << " under " << readerName;
        }
        EXPECT_EQ(reader.parseDateTime("12:05:00 AM"),
                  (DateValue{std::nullopt, TimeOfDay{0, 5, 0}}));
        // The daily computation joins the date and the picker's text in the reader's own forms.
        EXPECT_EQ(
            reader.parseDateTime(reader.formatDate(february) + " " + reader.formatTime(kEvening)),
            (DateValue{february, kEvening}))
            << readerName;
        // A date alone is a date, never a time: the load reports it.
        EXPECT_EQ(reader.parseDateTime(reader.formatDate(february)),
                  (DateValue{february, std::nullopt}))
            << readerName;
        for (const char* text : {"25:00:00", "13:00 PM", "21:22:29 XM", "21:22.29", "teatime",
                                 "12/07/2026 12/07/2026"}) {
            const auto value = reader.parseDateTime(text);
            EXPECT_FALSE(value && value->time) << text << " under " << readerName;
        }
    }
}

TEST(LinuxLocale, AmAndPmInTheUsersLanguageReadBack) {
    REQUIRE_LOCALE(greek, "el_GR.UTF-8");
    REQUIRE_LOCALE(us, "en_US.UTF-8");
    const std::string written = greek->formatTime(kEvening);
    EXPECT_EQ(written, "09:22:29 \u03bc\u03bc");
    EXPECT_EQ(greek->parseDateTime(written), (DateValue{std::nullopt, kEvening}));
    EXPECT_EQ(greek->parseDateTime("9:22 \u03c0\u03bc"),
              (DateValue{std::nullopt, TimeOfDay{9, 22, 0}}));
    EXPECT_EQ(greek->parseDateTime(us->formatTime(kEvening)), (DateValue{std::nullopt, kEvening}));
    // Another language's words are not guessed at: the load reports the value instead.
    EXPECT_EQ(us->parseDateTime(written), std::nullopt);
}

TEST(LinuxLocale, ADailyScheduleStoredUnderEnglishStartsUnderGerman) {
    REQUIRE_LOCALE(us, "en_US.UTF-8");
    REQUIRE_LOCALE(german, "de_DE.UTF-8");
    test::Harness h;
    h.clock.set(2027, 1, 31, 21, 0, 0);
    h.settings.put("StartStopState", "On");
    h.settings.put("Option2", "True");
    h.settings.put("Option3", "False");
    h.settings.put("Weekly Time", us->formatTime(kEvening));
    Form1 form(Services{h.clock, h.pump, h.boxes, h.settings, *german, h.shell, h.tray, h.hook,
                        h.startAtLogin, h.files, h.instance, h.skin, h.cursors, h.lifetime,
                        h.journal, h.viewer});
    form.Form_Load();
    EXPECT_TRUE(h.boxes.shown.empty()) << h.boxes.shown[0].text;
    EXPECT_EQ(form.PushButton4.caption(), "Turn Off");
    EXPECT_EQ(form.SecondsToNextEmpty, 22 * 60 + 29);
    form.dtpWeekly.setValue({std::nullopt, TimeOfDay{7, 0, 0}});
    EXPECT_EQ(h.settings.get("Weekly Time"), "07:00:00") << "written in the present locale";
    EXPECT_EQ(form.SecondsToNextEmpty, 10 * 3600);
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
    EXPECT_NE(entry.find("\nExec=\"/opt/My Apps/tide well\"\n"), std::string::npos);
    // TryExec is a plain path: no quotes, only the string-value escape.
    EXPECT_NE(entry.find("\nTryExec=/opt/My Apps/tide well\n"), std::string::npos);
    EXPECT_NE(AutostartEntry("/a$b\\c").find("\nTryExec=/a$b\\\\c\n"), std::string::npos);
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
    // The program an entry starts is read back as written, whatever its path holds.
    const std::string odd = "/opt/My \"Apps\"/100% $HOME\\tide`well";
    ASSERT_TRUE(autostart.add("tidewell", odd, error)) << "replaced whole";
    EXPECT_EQ(autostart.registeredProgram("tidewell"), odd);
    // One written by hand names its program in Exec alone, or names none we can check.
    std::ofstream(autostart.entryPath("tidewell"))
        << "[Desktop Entry]\nExec=\"/opt/tide well\" --quiet\n[Desktop Action x]\nExec=/bin/no\n";
    EXPECT_EQ(autostart.registeredProgram("tidewell"), "/opt/tide well");
    std::ofstream(autostart.entryPath("tidewell")) << "[Desktop Entry]\nExec=tidewell\n";
    EXPECT_EQ(autostart.registeredProgram("tidewell"), "");
    ASSERT_TRUE(autostart.remove("tidewell", error));
    EXPECT_FALSE(autostart.isRegistered("tidewell"));
    EXPECT_TRUE(autostart.remove("tidewell", error)) << "removing what is not there is fine";
}

// At start, with "start at login" on: an entry the user wrote whose program can't be checked,
// or that starts a program still there, stays as written; one whose program is gone is
// written again to start this copy.
TEST(AutostartFile, AnEntryFoundAtStartIsKeptUnlessItsProgramIsGone) {
    struct Case {
        const char* entry;
        bool kept;
        bool linked = false;  // the entry is a link to it: not ours, so it is not read either
    };
    for (const Case& c : {Case{"[Desktop Entry]\nExec=tidewell --quiet\n", true},
                          Case{"[Desktop Entry]\nExec=\n", true},
                          Case{"[Desktop Entry]\nExec=/usr/local/bin/tidewell\n", true},
                          Case{"[Desktop Entry]\nExec=/gone/tidewell\n", false},
                          Case{"[Desktop Entry]\nExec=/gone/tidewell\n", true, true}}) {
        SCOPED_TRACE(c.entry);
        TempDir home;
        AutostartFile autostart(home.path + "/config");
        std::filesystem::create_directories(home.path + "/config/autostart");
        const std::string written =
            c.linked ? home.path + "/mine.desktop" : autostart.entryPath("tidewell");
        std::ofstream(written) << c.entry;
        if (c.linked) std::filesystem::create_symlink(written, autostart.entryPath("tidewell"));
        test::Harness h;
        h.files.existing = {"/usr/local/bin/tidewell"};
        h.settings.put("Windows Startup", "On");
        Form1 form(Services{h.clock, h.pump, h.boxes, h.settings, h.locale, h.shell, h.tray, h.hook,
                            autostart, h.files, h.instance, h.skin, h.cursors, h.lifetime,
                            h.journal, h.viewer});
        form.Form_Load();
        EXPECT_TRUE(h.boxes.shown.empty());
        EXPECT_EQ(form.Check4.value(), 1);
        EXPECT_EQ(slurp(autostart.entryPath("tidewell")),
                  c.kept ? c.entry : AutostartEntry("/opt/tidewell/tidewell"));
        EXPECT_EQ(std::filesystem::is_symlink(autostart.entryPath("tidewell")), c.linked);
    }
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

// What another program put at the entry's name or its temporary name is not ours: nothing is
// written through it or waits on it, and the entry is neither replaced nor removed.
TEST(AutostartFile, WhatIsNotOursAtEitherNameIsLeftAlone) {
    struct Case {
        const char* what;
        bool atEntry;
        std::function<void(const std::string& at, const std::string& victim)> make;
    };
    const auto linkTo = [](const std::string& at, const std::string& victim) {
        ASSERT_EQ(symlink(victim.c_str(), at.c_str()), 0);
    };
    const auto fifo = [](const std::string& at, const std::string&) {
        ASSERT_EQ(mkfifo(at.c_str(), 0600), 0);
    };
    const std::vector<Case> cases{{"a link at the temporary name", false, linkTo},
                                  {"a FIFO at the temporary name", false, fifo},
                                  {"a link at the entry", true, linkTo},
                                  {"a FIFO at the entry", true, fifo}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir home;
        AutostartFile autostart(home.path + "/config");
        std::string error;
        ASSERT_TRUE(autostart.add("tidewell", "/usr/bin/tidewell", error)) << error;
        const std::string victim = home.path + "/precious";
        std::ofstream(victim) << "keep me";
        const std::string at = autostart.entryPath("tidewell") + (c.atEntry ? "" : ".tmp");
        std::filesystem::remove(at);
        c.make(at, victim);
        struct stat before {};
        ASSERT_EQ(lstat(at.c_str(), &before), 0);

        EXPECT_EQ(test::runInChild([&] {
                      alarm(20);
                      std::string why;
                      const bool added = autostart.add("tidewell", "/opt/tidewell", why);
                      const bool removed = c.atEntry && autostart.remove("tidewell", why);
                      return !added && !removed && why.find(at) != std::string::npos ? 0 : 1;
                  }),
                  0);
        EXPECT_EQ(slurp(victim), "keep me");
        struct stat after {};
        ASSERT_EQ(lstat(at.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
    }
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
    ASSERT_EQ(chown((folder + "/tidewell.desktop").c_str(), 65534, 65534), 0);
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
