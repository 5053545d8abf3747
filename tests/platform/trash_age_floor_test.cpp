// The age floor of an empty: which items are old enough to go, and what the empty reports.

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "platform/linux/deletion_date.h"
#include "platform/linux/trash_empty.h"
#include "platform/linux/trash_layout.h"
#include "platform/trash_test_support.h"

namespace tw::linux_platform {
namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kSecond = 1000000000;

// Records hold local times: the tests run in a zone whose clocks change twice a year.
class AgeFloor : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ")) savedZone_ = tz;
        ::setenv("TZ", "Europe/Berlin", 1);
        ::tzset();
    }
    void TearDown() override {
        if (savedZone_) {
            ::setenv("TZ", savedZone_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

    std::optional<std::string> savedZone_;
    test::TempDir dir_;
};

std::int64_t nowSeconds() {
    struct timespec t;
    ::clock_gettime(CLOCK_REALTIME, &t);
    return t.tv_sec;
}

long offsetAt(std::int64_t moment) {
    const time_t t = moment;
    struct tm tm;
    ::localtime_r(&t, &tm);
    return tm.tm_gmtoff;
}

// `moment` as local time, as trashing programs write it.
std::string localDate(std::int64_t moment, const char* format = "%Y-%m-%dT%H:%M:%S") {
    const time_t t = moment;
    struct tm tm;
    ::localtime_r(&t, &tm);
    char text[64];
    ::strftime(text, sizeof text, format, &tm);
    return text;
}

// A record written at `written` (seconds; now when none), as a trashing program leaves it.
void trashWithRecord(const std::string& trash, const std::string& name, const std::string& path,
                     const std::string& date, std::optional<std::int64_t> written,
                     bool directory = false) {
    test::trashItem(trash, name, directory);
    const std::string record = trash + "/info/" + name + ".trashinfo";
    test::writeFile(record, "[Trash Info]\nPath=" + path + "\nDeletionDate=" + date + "\n");
    if (!written) return;
    const struct timespec times[2] = {{*written, 0}, {*written, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, record.c_str(), times, 0), 0) << record;
}

struct Emptied {
    std::string trash;
    std::int64_t began = 0;  // the second of the real-time clock the empty began in
    bool ok = false;
    RemoveLog log;
    EmptyPlace place;
};

// Empties a trash that `fill` (given the second the empty will begin in) prepares. Should that
// second turn over before the empty begins, it tries again on a fresh trash.
Emptied emptyInKnownSecond(
    const std::string& base,
    const std::function<void(std::int64_t began, const std::string& trash, EmptyOptions&)>& fill) {
    for (int attempt = 0;; ++attempt) {
        Emptied e;
        e.trash = base + std::to_string(attempt);
        e.began = nowSeconds();
        EmptyOptions options;
        fill(e.began, e.trash, options);
        bool sameSecond = false;
        options.beforeListing = [&] { sameSecond = nowSeconds() == e.began; };
        e.ok = test::emptyTrashAt(e.trash, &e.log, options, &e.place);
        if (sameSecond) return e;
        if (attempt == 9) {
            ADD_FAILURE() << "no empty began in the second it was prepared in";
            return e;
        }
    }
}

TEST_F(AgeFloor, DeletionDatesInEveryFormAreReadAsTheMomentsTheyName) {
    const std::int64_t summer = 1093984328;  // 2004-08-31 20:32:08 UTC
    struct Case {
        const char* text;
        std::int64_t seconds;
        std::int64_t nanoseconds;
    };
    const Case readable[] = {
        {"2004-08-31T22:32:08", summer, 0},  // summer time, UTC+2
        {"20040831T22:32:08", summer, 0},
        {"2004-08-31T22:32:08.25", summer, 250000000},
        {"2004-08-31T20:32:08Z", summer, 0},
        {"2004-08-31T23:02:08+02:30", summer, 0},
        {"2004-08-31T18:32:08-0200", summer, 0},
        {"2024-01-15T12:00:00", 1705316400, 0},  // winter time, UTC+1
        {"2024-02-29T12:00:00", 1709204400, 0},
        {"2000-02-29T12:00:00Z", 951825600, 0},
        // Clocks went forward at 02:00, so 02:30 never was: the later reading, 01:30 UTC.
        {"2024-03-31T02:30:00", 1711848600, 0},
        // Clocks went back at 03:00, so 02:30 was twice: the later, 01:30 UTC.
        {"2024-10-27T02:30:00", 1729992600, 0},
    };
    for (const Case& c : readable) {
        EXPECT_EQ(parseDeletionDate(c.text), c.seconds * kSecond + c.nanoseconds) << c.text;
    }
    for (const char* text :
         {"", "yesterday", "2024-02-30T12:00:00", "2024-01-15T24:00:00", "2024-01-15T12:00",
          "2024-01-15 12:00:00", "2024-01-15T12:00:00 and more", "2024-01-15T12:00:00Z and more",
          "2024-01-15T12:00:00+", "2024-01-15T12:00:00.", "2023-02-29T12:00:00",
          "2100-02-29T12:00:00", "2024-01-15T12:00:00+24:00", "2024-01-15T12:00:00+01:60"}) {
        EXPECT_EQ(parseDeletionDate(text), std::nullopt) << text;
    }
}

TEST_F(AgeFloor, OnlyWhatWasDeletedAtLeastTheFloorBeforeTheEmptyBeganGoes) {
    const Emptied e = emptyInKnownSecond(dir_ / "Trash", [](std::int64_t began,
                                                            const std::string& trash,
                                                            EmptyOptions& options) {
        // A floor of whole days whose window holds a change of the clocks (and whose edge is
        // not near one): counted in wall-clock time rather than real seconds, an hour decides.
        std::int64_t days = 150;
        while (offsetAt(began) == offsetAt(began - days * kDay) ||
               offsetAt(began - (days + 1) * kDay) != offsetAt(began - (days - 1) * kDay)) {
            ++days;
        }
        options.keepSeconds = days * kDay;
        const std::int64_t edge = began - options.keepSeconds;
        trashWithRecord(trash, "exactly", "rel%20dir/exactly", localDate(edge), edge);
        trashWithRecord(trash, "a-second-short", "/home/user/a-second-short", localDate(edge + 1),
                        edge + 1);
        trashWithRecord(trash, "compact", "/home/user/compact",
                        localDate(edge - 1, "%Y%m%dT%H:%M:%S") + ".5", edge - 1);
        trashWithRecord(trash, "future", "/home/user/future", localDate(began + 365 * kDay), {});
        // Without a readable date, the record's own time tells.
        trashWithRecord(trash, "undated-old", "/home/user/undated-old", "last spring", edge - 60);
        trashWithRecord(trash, "undated-new", "/home/user/undated-new", "last spring", {});
        // Dated long ago, as a date written in a zone far ahead reads here, but trashed now.
        trashWithRecord(trash, "dated-old-written-now", "/home/user/dated-old-written-now",
                        localDate(edge - kDay), {});
        // Deleted long ago; what was written into it since does not make it young.
        trashWithRecord(trash, "old-folder", "/home/user/old-folder", localDate(edge - kDay),
                        edge - kDay, true);
        test::writeFile(trash + "/files/old-folder/written-later");
        // Moved in just now, its contents written long ago.
        test::writeFile(trash + "/files/no-record");
        const struct timespec written[2] = {{edge - kDay, 0}, {edge - kDay, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (trash + "/files/no-record").c_str(), written, 0), 0);
        // Only the record's own group dates it, and a long record is read to its end.
        trashWithRecord(trash, "other-group",
                        "/home/user/other-group\n[Other Group]\nDeletionDate=" +
                            localDate(edge - kDay) + "\n[Trash Info]",
                        localDate(edge + 60), edge - kDay);
        trashWithRecord(trash, "other-key",
                        "/home/user/other-key\nDeletionDateOld=" + localDate(edge - kDay),
                        localDate(edge + 60), edge - kDay);
        trashWithRecord(trash, "long-record", "/home/user/long-record\n#" + std::string(5000, 'x'),
                        localDate(edge + 60), edge - kDay);
    });

    EXPECT_TRUE(e.ok);
    EXPECT_EQ(e.log.count(), 0u);  // kept as asked: nothing to complain about
    for (const std::string name : {"exactly", "compact", "undated-old", "old-folder"}) {
        EXPECT_FALSE(test::exists(e.trash + "/files/" + name)) << name;
        EXPECT_FALSE(test::exists(e.trash + "/info/" + name + ".trashinfo")) << name;
    }
    EXPECT_TRUE(std::filesystem::is_empty(e.trash + "/expunged"));
    for (const std::string name :
         {"a-second-short", "future", "undated-new", "dated-old-written-now", "other-group",
          "other-key", "long-record"}) {
        EXPECT_TRUE(test::exists(e.trash + "/files/" + name)) << name;
        EXPECT_TRUE(test::exists(e.trash + "/info/" + name + ".trashinfo")) << name;
    }
    EXPECT_TRUE(test::exists(e.trash + "/files/no-record"));

    const EmptyPlace& place = e.place;
    EXPECT_EQ(place.place, e.trash);
    EXPECT_TRUE(place.errors.empty());
    EXPECT_EQ(place.removed, 4u);
    std::array<std::uint64_t, kKeptReasons> kept{};
    kept[std::size_t(KeptReason::TooRecent)] = 7;
    kept[std::size_t(KeptReason::DatedInFuture)] = 1;
    EXPECT_EQ(place.kept, kept);
    std::set<std::string> removed;
    for (const EmptyItem& item : place.removedItems) removed.insert(item.originalPath);
    EXPECT_EQ(removed, (std::set<std::string>{dir_ / "rel dir/exactly", "/home/user/compact",
                                              "/home/user/undated-old", "/home/user/old-folder"}));
    // Too recent: counted, not named again at every empty.
    ASSERT_EQ(place.keptItems.size(), 1u);
    EXPECT_EQ(place.keptItems[0].originalPath, "/home/user/future");
    EXPECT_EQ(place.keptItems[0].reason, KeptReason::DatedInFuture);
}

// exFAT keeps no change time: what reads as one is when the contents were last written, so an
// item without a record has no age that can be known.
TEST_F(AgeFloor, AnItemWithoutARecordOnExFatStays) {
    const std::string image = dir_ / "image", mnt = dir_ / "mnt";
    test::makeDirs(mnt);
    if (std::system(
            ("truncate -s 8M " + image + " && mkfs.exfat " + image + " >/dev/null 2>&1").c_str()) !=
        0) {
        GTEST_SKIP() << "could not make an exFAT image";
    }
    const std::string loop = "$(losetup -j " + image + " -O NAME -n)";
    const int status =
        test::runOnMount("losetup -f " + image + " && mount.exfat-fuse " + loop + " " + mnt,
                         "umount " + mnt + "; losetup -d " + loop, [&] {
                             const std::string trash = mnt + "/Trash";
                             const std::int64_t longAgo = nowSeconds() - 400 * kDay;
                             trashWithRecord(trash, "with-record", "/home/user/with-record",
                                             localDate(longAgo), longAgo);
                             test::writeFile(trash + "/files/no-record");
                             const struct timespec old[2] = {{longAgo, 0}, {longAgo, 0}};
                             ::utimensat(AT_FDCWD, (trash + "/files/no-record").c_str(), old, 0);
                             // Listed as the shell lists every trash, before it knows the
                             // floor: the floor is given to the removal only.
                             test::settleBeforeEmpty(trash);
                             const UniqueFd fd(::open(trash.c_str(), kTrashDirFlags));
                             RemoveLog log;
                             auto snapshot = TrashSnapshot::take(fd.get(), trash, log);
                             EmptyOptions options;
                             options.keepSeconds = 30 * kDay;
                             EmptyPlace place;
                             NamesLeft names;
                             snapshot.empty(log, options, place, names);
                             return (test::exists(trash + "/files/with-record") ? 1 : 0) |
                                    (test::exists(trash + "/files/no-record") ? 0 : 2) |
                                    (place.removed == 1 ? 0 : 4);
                         });
    if (status == test::kNoMount) GTEST_SKIP() << "no exFAT mount here";
    EXPECT_EQ(status, 0) << "1: an old item with its record stayed; 2: the one without went";
}

TEST_F(AgeFloor, ATrashWhoseRecordsCantBeReadIsLeftWhole) {
    const std::string trash = dir_ / "Trash";
    test::trashItem(trash, "file");
    test::trashItem(trash, "folder", true);
    // info/ is not the trash's own: nothing tells when its items were deleted.
    std::filesystem::rename(trash + "/info", dir_ / "elsewhere");
    test::makeSymlink(dir_ / "elsewhere", trash + "/info");
    EmptyOptions options;
    options.keepSeconds = kDay;
    // A month on, items without records would all look old enough.
    options.clockStep = [] { return 30 * kDay * kSecond; };
    EmptyPlace place;
    EXPECT_FALSE(test::emptyTrashAt(trash, nullptr, options, &place));
    EXPECT_TRUE(test::exists(trash + "/files/file"));
    EXPECT_TRUE(test::exists(trash + "/files/folder/inner"));
    EXPECT_EQ(place.removed, 0u);
    EXPECT_EQ(place.kept[static_cast<std::size_t>(KeptReason::AgeUnknown)], 2u);
    ASSERT_FALSE(place.errors.empty());
    EXPECT_NE(place.errors[0].find("info/"), std::string::npos) << place.errors[0];

    // With its records back, a floor longer than any age (what a "keep" setting that can't be
    // read asks for) still keeps everything, however old.
    std::filesystem::remove(trash + "/info");
    std::filesystem::rename(dir_ / "elsewhere", trash + "/info");
    options.keepSeconds = std::int64_t{10000} * 365 * kDay;
    EXPECT_TRUE(test::emptyTrashAt(trash, nullptr, options));
    EXPECT_TRUE(test::exists(trash + "/files/file"));
    EXPECT_TRUE(test::exists(trash + "/files/folder/inner"));
}

}  // namespace
}  // namespace tw::linux_platform
