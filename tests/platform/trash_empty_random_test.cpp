// Emptying one trash directory under attack: seeded random plans of what other programs, the
// user and the clock do at each seam of the empty, judged only by what the test itself did.
// What went must have been in the trash when the empty began, untouched since and, with a
// floor, deleted long enough before by both its DeletionDate (read in a zone in force during
// the empty) and its record's own time; nothing outside the trash may change; a record written
// during the empty stays; a folder moved out of expunged/ during its removal loses at most one
// batch, however deep. A failure prints its seed: TIDEWELL_FUZZ_SEED reruns it,
// TIDEWELL_FUZZ_PLANS sets how many plans run.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/trash_empty.h"
#include "platform/trash_test_support.h"

namespace tw::linux_platform {
namespace {

constexpr std::int64_t kSecond = 1000000000, kMinute = 60, kHour = 3600, kDay = 86400;
constexpr std::int64_t kBatch = TreeRemover::kBatch;
// Zones whole and half hours apart, on both sides of UTC, with and without summer time.
const char* const kZones[] = {"UTC",           "America/New_York",    "Asia/Tokyo",
                              "Europe/London", "Asia/Kolkata",        "Pacific/Kiritimati",
                              "Europe/Berlin", "Australia/Lord_Howe", "Pacific/Pago_Pago"};

std::int64_t ns(const struct timespec& t) {
    return std::int64_t{t.tv_sec} * kSecond + t.tv_nsec;
}

std::int64_t clockNow(clockid_t clock) {
    struct timespec t;
    ::clock_gettime(clock, &t);
    return ns(t);
}

void loadZone(const std::string& zone) {
    ::setenv("TZ", zone.c_str(), 1);
    ::tzset();
}

struct stat statOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

// What a path holds, entry by entry: its path below it -> "f:" content, "l:" target or "d".
using Tree = std::map<std::string, std::string>;

Tree scan(const std::string& root) {
    Tree tree;
    const auto add = [&](const std::filesystem::path& path, const std::string& key) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) return false;
        tree[key] = S_ISLNK(st.st_mode)   ? "l:" + std::filesystem::read_symlink(path).string()
                    : S_ISDIR(st.st_mode) ? "d"
                                          : "f:" + test::readFile(path);
        return S_ISDIR(st.st_mode);
    };
    if (!add(root, "")) return tree;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(root, error), end; !error && it != end;
         it.increment(error)) {
        add(it->path(), it->path().lexically_relative(root).string());
    }
    return tree;
}

bool within(const Tree& part, const Tree& whole) {
    return std::all_of(part.begin(), part.end(), [&](const auto& entry) {
        const auto found = whole.find(entry.first);
        return found != whole.end() && found->second == entry.second;
    });
}

enum class Form { Local, Utc, Unreadable };

// What the test made: an item of files/, a leftover in expunged/, something outside, or a record
// of info/ (its DeletionDate in a form, its Path the origin).
struct Thing {
    std::string name{}, path{}, date{}, origin{};  // path: where the test last put it
    Tree tree{}, held{};  // as made; what it held when moved out of expunged/
    struct stat st {};    // as it was before the empty, or when made during it
    Form form = Form::Local;
    int mate = -1, depth = 0;  // an item's record or a record's item at start; a chain's depth
    bool isRecord = false, folder = false, atStart = false, leftover = false, movedOut = false;
    bool inTrash = true;           // a record: not removed, renamed or rewritten by the test
    bool listed = false;           // at its name in files/ when the empty had listed it
    bool touched = false;          // moved or its record written since the empty began
    bool replacedAtCheck = false;  // trashed anew once the empty had checked it
    bool arrived = false, arrivedEarly = false;  // an orphan record's item came (before removals)
};

enum Hook { kBeforeListing, kAfterSnapshot, kItemChecked, kFolderTaken, kRemovalBatch, kClock };
const char* const kHookNames[] = {"beforeListing", "afterSnapshot", "itemChecked",
                                  "folderTaken",   "removalBatch",  "clockStep"};
constexpr unsigned kAnyHook = 0x3f, kNotClock = kAnyHook & ~(1u << kClock);

struct Round {
    explicit Round(std::uint64_t seed) : seed_(seed), rng_(seed) { prepare(); }

    std::int64_t pick(std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(rng_);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    template <class List>
    auto any(const List& list) {
        return list[pick(0, static_cast<std::int64_t>(std::size(list)) - 1)];
    }
    std::string fresh(const std::string& what) { return what + "-" + std::to_string(++made_); }
    std::string filesPath(const std::string& name) const { return trash_ + "/files/" + name; }
    std::string infoPath(const std::string& name) const {
        return trash_ + "/info/" + name + ".trashinfo";
    }
    std::string shown(const std::string& path) const { return path.substr(dir_.path().size()); }
    static std::int64_t now() { return clockNow(CLOCK_REALTIME) / kSecond; }
    std::int64_t recently() { return chance(0.5) ? now() : now() - pick(0, 90 * kDay); }

    int add(Thing t) {
        t.tree = scan(t.path);
        t.st = statOf(t.path);
        t.atStart = !began_ && t.inTrash;
        t.touched = began_;
        things_.push_back(std::move(t));
        return static_cast<int>(things_.size()) - 1;
    }

    // 0 file, 1 link, 2 folder, 3 a chain far deeper than a batch with more than one at its bottom.
    int addObject(const std::string& name, const std::string& path, std::int64_t kind) {
        const std::string tag = "#" + std::to_string(++made_);
        Thing o{.name = name, .path = path};
        o.folder = kind >= 2;
        if (kind == 0) {
            test::writeFile(path, "content " + tag);
        } else if (kind == 1) {
            const std::string targets[] = {outside_ + "/precious", outside_ + "/dir",
                                           "../../outside/precious", "/nonexistent/" + tag};
            test::makeSymlink(any(targets), path);
        } else if (kind == 3) {
            test::makeDirs(path);
            o.depth = static_cast<int>(pick(200, 320));
            test::makeDeepTree(path, o.depth, "d", static_cast<int>(pick(2 * kBatch, 3 * kBatch)));
        } else {
            test::makeDirs(path);
            test::writeFile(path + "/marker", tag);
            std::string sub = path;
            for (std::int64_t depth = pick(0, 3); depth > 0; --depth) {
                test::makeDirs(sub += "/sub");
                for (std::int64_t i = pick(0, 3); i > 0; --i) {
                    test::writeFile(sub + "/f" + std::to_string(i), tag + std::to_string(i));
                }
            }
            if (chance(0.3)) test::makeSymlink(outside_ + "/dir", path + "/to-outside");
        }
        return add(std::move(o));
    }

    // A record dated `deleted` (s) in a zone, in UTC, or unreadably; its file stamped with that
    // moment as a trashing program leaves it, or off it either way, or left as written.
    int writeRecord(const std::string& name, std::int64_t deleted, bool stampAsDated) {
        const std::int64_t form = pick(0, 9);
        const time_t t = deleted;
        struct tm tm;
        char text[64] = "";
        if (form < 8) {
            loadZone(chance(0.6) ? emptyZone_ : any(kZones));
            ::localtime_r(&t, &tm);
            ::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
            loadZone(zone_);
        } else if (form == 8) {
            ::gmtime_r(&t, &tm);
            ::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
        }
        Thing r{.name = name, .path = infoPath(name), .origin = "/home/user/" + fresh(name)};
        r.date = form < 9 ? text : chance(0.5) ? "last spring" : "";
        r.form = form < 8 ? Form::Local : form == 8 ? Form::Utc : Form::Unreadable;
        r.isRecord = true;
        test::writeFile(r.path,
                        "[Trash Info]\nPath=" + r.origin + "\nDeletionDate=" + r.date + "\n");
        if (const std::int64_t stamp = pick(0, 9); stampAsDated && stamp < 9) {
            // Mostly as dated; else copied back later, or stamped before its date.
            const time_t at = deleted + (stamp < 5   ? 0
                                         : stamp < 7 ? pick(0, 2 * kDay)
                                                     : -pick(0, 2 * std::max(floor_, kDay)));
            const struct timespec times[2] = {{at, 0}, {at, 0}};
            ::utimensat(AT_FDCWD, r.path.c_str(), times, 0);
        }
        return add(std::move(r));
    }

    bool inFiles(const Thing& t) const {
        return t.path == filesPath(t.name) && test::exists(t.path);
    }
    // The item at files/<name> (the last put there), or the record at info/ the test left there.
    int occupant(const std::string& name) const {
        for (std::size_t i = things_.size(); i-- > 0;) {
            if (things_[i].name == name && !things_[i].isRecord && inFiles(things_[i])) return i;
        }
        return -1;
    }
    int currentRecord(const std::string& name) const {
        for (std::size_t i = things_.size(); i-- > 0;) {
            if (things_[i].path == infoPath(name) && things_[i].inTrash) return i;
        }
        return -1;
    }
    template <class Test>
    int anyWhere(Test test) {
        std::vector<int> found;
        for (std::size_t i = 0; i < things_.size(); ++i) {
            if (test(things_[i])) found.push_back(static_cast<int>(i));
        }
        return found.empty() ? -1 : any(found);
    }
    Thing* inFlightThing(const std::string& inFlight) {
        for (Thing& t : things_) {
            if (t.inTrash && !t.movedOut && t.path == trash_ + inFlight) return &t;
        }
        return nullptr;
    }

    // The latest moment (ns) a record's date may name in the zone loaded: where the clocks
    // change, a local time may name two moments, or none.
    static std::int64_t latest(const Thing& r) {
        struct tm tm {};
        if (std::sscanf(r.date.c_str(), "%d-%d-%dT%d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                        &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6) {
            return 0;
        }
        tm.tm_year -= 1900;
        tm.tm_mon -= 1;
        const std::int64_t wall = ::timegm(&tm);
        if (r.form == Form::Utc) return wall * kSecond;
        std::int64_t last = wall - 14 * kHour;
        for (const time_t probe : {wall - 15 * kHour, wall, wall + 15 * kHour}) {
            struct tm local;
            ::localtime_r(&probe, &local);
            last = std::max<std::int64_t>(last, wall - local.tm_gmtoff);
        }
        return last * kSecond;
    }

    void prepare() {
        floor_ = chance(0.25) ? 0 : pick(10 * kMinute, 60 * kDay);
        emptyZone_ = zone_ = any(kZones);
        for (const char* part : {"/files", "/info", "/expunged"}) test::makeDirs(trash_ + part);
        test::makeDirs(outside_ + "/dir");
        test::writeFile(outside_ + "/precious", "keep me");
        test::writeFile(outside_ + "/dir/inside", "keep me too");
        for (const std::string& target : {outside_ + "/precious", outside_ + "/dir"}) {
            add({.name = target, .path = target, .inTrash = false});
        }
        const std::int64_t start = now(), reach = std::max(floor_, 2 * kDay);
        // Near the floor, where a zone's hours decide; in the future; or anywhere.
        const auto deletedAt = [&] {
            return chance(0.6)   ? start - floor_ - pick(-36 * kHour, 36 * kHour)
                   : chance(0.3) ? start + pick(0, 2 * kDay)
                                 : start - pick(-kDay, 3 * reach);
        };
        for (std::int64_t i = pick(3, 12); i > 0; --i) {
            const std::int64_t roll = pick(0, 99);
            const std::string name = fresh("item");
            addObject(name, filesPath(name), roll < 40 ? 0 : roll < 56 ? 1 : roll < 97 ? 2 : 3);
            writeRecord(name, deletedAt(), true);
        }
        for (std::int64_t i = pick(0, 2); i > 0; --i) {  // items without records
            const std::string name = fresh("orphan");
            addObject(name, filesPath(name), pick(0, 2));
        }
        for (std::int64_t i = pick(0, 3); i > 0; --i)
            writeRecord(fresh("ghost"), deletedAt(), true);
        for (std::int64_t i = pick(0, 2); i > 0; --i) {  // left by an empty that was cut short
            const std::string name = fresh("left");
            things_[addObject(name, trash_ + "/expunged/" + name, pick(0, 3))].leftover = true;
        }
        plan_ << "floor " << floor_ << " s, emptied in " << emptyZone_ << "; start:\n";
        for (const Thing& t : things_) {
            plan_ << "  " << shown(t.path);
            if (t.isRecord) plan_ << ": " << t.date << ", mtime " << t.st.st_mtim.tv_sec;
            plan_ << "\n";
        }
    }

    void run() {
        // The stamps the empty will compare, as they are before it begins.
        for (std::size_t i = 0; i < things_.size(); ++i) {
            Thing& t = things_[i];
            t.st = statOf(t.path);
            if (t.isRecord || !t.inTrash || t.leftover) continue;
            t.mate = currentRecord(t.name);
            if (t.mate >= 0) things_[t.mate].mate = static_cast<int>(i);
        }
        loadZone(zone_ = emptyZone_);
        zones_ = {emptyZone_};
        EmptyOptions options;
        options.keepSeconds = floor_;
        // Listings read a few names at a time, as a large trash's are, or all at once.
        options.listingBatchBytes = chance(0.5) ? pick(1, 100) : 0;
        plan_ << "listing batches of " << options.listingBatchBytes << " bytes\n";
        limited_ = chance(0.3);
        if (limited_) plan_ << "down to a size limit\n";
        options.clockStep = [&] {
            if (began_ && chance(0.01)) act(kClock, "", 1);
            return step_;
        };
        options.beforeListing = [&] {
            beganBy_ = clockNow(CLOCK_REALTIME);
            began_ = true;
            act(kBeforeListing, "", pick(0, 2));
        };
        options.afterSnapshot = [&] {
            for (const auto& e : std::filesystem::directory_iterator(trash_ + "/files")) {
                if (const int o = occupant(e.path().filename()); o >= 0) things_[o].listed = true;
            }
            act(kAfterSnapshot, "", pick(0, 3));
        };
        options.itemChecked = [&](std::string_view item) {
            const std::string name(item);
            // A change it had to see (judged once the dates can be read in every zone).
            const int o = occupant(name), r = currentRecord(name);
            if ((o >= 0 && things_[o].touched) || (r >= 0 && !things_[r].atStart)) {
                mustSee_[name] = things_.size();
            }
            act(kItemChecked, "/files/" + name, chance(0.3));
        };
        options.folderTaken = [&](std::string_view item) {
            act(kFolderTaken, "/files/" + std::string(item), chance(0.3));
        };
        // The name in files/ (or expunged/) of what a batch works on; deep in a chain, its bottom.
        options.removalBatch = [&](std::string_view directory) {
            for (const std::string part : {"/files/", "/expunged/"}) {
                if (!directory.starts_with(trash_ + part)) continue;
                const std::string_view rest = directory.substr(trash_.size() + part.size());
                const std::string inFlight = part + std::string(rest.substr(0, rest.find('/')));
                const auto depth = std::count(rest.begin(), rest.end(), '/');
                const Thing* o = inFlightThing(inFlight);
                const bool out = o && depth > kBatch && o->depth == depth && chance(0.7);
                act(kRemovalBatch, inFlight, out ? 1 : chance(0.2), out);
            }
        };
        before_ = clockNow(CLOCK_REALTIME);
        coarseBefore_ = clockNow(CLOCK_REALTIME_COARSE);
        const int fd = ::open(trash_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (limited_) {
            // As the shell runs a size limit, with the cutoff at the newest moment weighed:
            // everything the floor lets go whose record dates it, and nothing else. (A limit
            // of 0 would keep items of no size at the end: they need not go to meet it.)
            TrashSnapshot snapshot = TrashSnapshot::take(fd, trash_, log_, options);
            std::vector<AgedSize> removable;
            std::uint64_t total = 0;
            snapshot.weigh(options, removable, total);
            options.deletedBy = kNothingGoes;
            for (const AgedSize& item : removable) {
                options.deletedBy = std::max(*options.deletedBy, item.deleted);
            }
            options.afterSnapshot();
            NamesLeft names;
            ok_ = snapshot.empty(log_, options, place_, names);
        } else {
            ok_ = emptyTrashDirectory(fd, trash_, log_, options, &place_);
        }
        ::close(fd);
    }

    void act(Hook hook, const std::string& inFlight, std::int64_t times, bool moveOutNow = false);

    // The user restores an item: it leaves files/, then its record goes.
    bool takeOut(const std::string& name) {
        const int o = occupant(name);
        const std::string to = outside_ + "/" + fresh("restored");
        if (o < 0 || std::rename(filesPath(name).c_str(), to.c_str()) != 0) return false;
        things_[o].path = to;
        things_[o].inTrash = false;
        if (const int r = currentRecord(name); r >= 0) {
            std::filesystem::remove(infoPath(name));
            things_[r].inTrash = false;
        }
        return true;
    }

    // Someone takes the folder being removed out of expunged/.
    std::string moveOut() {
        Thing* o = inFlightThing(inFlight_);
        std::error_code error;
        for (const auto& e : std::filesystem::directory_iterator(trash_ + "/expunged", error)) {
            if (!o || statOf(e.path()).st_ino != o->st.st_ino) continue;
            const std::string to = outside_ + "/" + fresh("moved-out");
            if (std::rename(e.path().c_str(), to.c_str()) != 0) return {};
            o->path = to;
            o->inTrash = false;
            o->movedOut = true;
            o->held = scan(to);
            return "moved out of expunged/ with " + std::to_string(o->held.size()) + " entries";
        }
        return {};
    }

    std::string judge();  // empty when the empty behaved

    std::uint64_t seed_;
    std::mt19937_64 rng_;
    test::TempDir dir_;
    std::string trash_ = dir_ / "Trash", outside_ = dir_ / "outside";
    int made_ = 0;
    std::int64_t floor_ = 0, step_ = 0;
    std::string emptyZone_, zone_;
    std::set<std::string> zones_;  // in force during the empty
    std::vector<Thing> things_;    // never held by reference across an add
    bool began_ = false, stepped_ = false, ok_ = false;
    bool limited_ = false;  // a size limit: only items dated by their records go
    std::int64_t before_ = 0, coarseBefore_ = 0, beganBy_ = 0;
    std::map<std::string, std::size_t> mustSee_;  // changed before its check -> things by then
    Hook hook_ = kBeforeListing;
    std::string inFlight_, own_, target_;  // what the empty is at; files/<own>; one picked
    RemoveLog log_;
    EmptyPlace place_;
    std::ostringstream plan_;
};

// `times` actions at `hook` while the empty works on `inFlight` ("/files/<name>" or
// "/expunged/<name>"), or a deep chain's bottom moved out. What the empty has checked and is
// about to act on is left alone, as nothing can tell a file replaced between a look and an
// unlink; a folder is moved before it is removed, so another may take its name then.
void Round::act(Hook hook, const std::string& inFlight, std::int64_t times, bool moveOutNow) {
    hook_ = hook;
    inFlight_ = inFlight;
    own_ = inFlight.starts_with("/files/") ? inFlight.substr(7) : "";
    struct Action {
        int weight;
        unsigned hooks;
        std::function<std::string()> run;  // what it did; empty when it found nothing to act on
    };
    // At the clock's readings the empty may be in the middle of a check: only what makes an
    // item gone or adds one under a new name happens then.
    const Action actions[] = {
        {4, 1u << kRemovalBatch, [&] { return moveOut(); }},
        {1, kAnyHook, [&] { return takeOut(target_) ? "restored files/" + target_ : ""; }},
        // Restored and trashed again under its name with a new record: the same item, or
        // another. Where the empty has checked the item (its own), another, and a folder
        // unless a folder was there.
        {2, kNotClock,
         [&]() -> std::string {
             const std::string name = !own_.empty() && chance(0.4) ? own_ : target_;
             const bool own = name == own_;
             const int o = occupant(name);
             if (o < 0 || (own && hook_ != kItemChecked)) return {};
             const bool same = !own && chance(0.5);
             const std::int64_t kind = own && !things_[o].folder ? 2 : pick(0, 2);
             if (!takeOut(name)) return {};
             things_[o].replacedAtCheck = own;
             writeRecord(name, recently(), chance(0.5));
             if (!same) return addObject(name, filesPath(name), kind), "trashed anew " + name;
             std::rename(things_[o].path.c_str(), filesPath(name).c_str());
             things_[o].path = filesPath(name);
             things_[o].inTrash = things_[o].touched = true;
             return "trashed again " + name;
         }},
        {1, kAnyHook,
         [&]() -> std::string {  // renamed in the trash, record and all
             const int o = occupant(target_), r = currentRecord(target_);
             const std::string to = fresh("renamed");
             if (o < 0 || std::rename(filesPath(target_).c_str(), filesPath(to).c_str()) != 0) {
                 return {};
             }
             things_[o].name = to;
             things_[o].path = filesPath(to);
             things_[o].touched = true;
             // Its record goes with it, where the empty has not removed it (an orphan's).
             if (r >= 0 && std::rename(infoPath(target_).c_str(), infoPath(to).c_str()) == 0) {
                 Thing moved = things_[r];
                 things_[r].inTrash = false;
                 moved.name = to;
                 moved.path = infoPath(to);
                 moved.atStart = false;
                 things_.push_back(std::move(moved));
             }
             return "renamed files/" + target_ + " to " + to;
         }},
        {2, kNotClock,
         [&]() -> std::string {  // its record written anew with another date
             const int o = occupant(target_), r = currentRecord(target_);
             if (o < 0 || r < 0 || target_ == own_) return {};
             things_[r].inTrash = false;
             things_[o].touched = true;
             const int w = writeRecord(target_, now() - pick(-kDay, 90 * kDay), chance(0.7));
             return "rewrote info/" + target_ + ": " + things_[w].date;
         }},
        {2, kNotClock,
         [&]() -> std::string {  // a record with no item written anew; its item may then come
             const int r = anyWhere([&](const Thing& t) {
                 return t.isRecord && t.inTrash && t.mate < 0 && occupant(t.name) < 0;
             });
             if (r < 0) return {};
             things_[r].inTrash = false;
             const std::string name = things_[r].name;
             const int w = writeRecord(name, recently(), chance(0.5));
             std::string did = "rewrote orphan info/" + name + ": " + things_[w].date;
             if (chance(0.5)) addObject(name, filesPath(name), pick(0, 2)), did += ", item came";
             return did;
         }},
        {1, kAnyHook,
         [&] {
             const std::int64_t steps[] = {-40 * kDay, -kDay, -kHour, -kMinute, 0,
                                           kMinute,    kHour, kDay,   40 * kDay};
             step_ = any(steps) * kSecond;
             stepped_ = true;
             return "clock stepped by " + std::to_string(step_ / kSecond) + " s";
         }},
        {1, kAnyHook,
         [&] {
             loadZone(zone_ = any(kZones));
             zones_.insert(zone_);
             return "zone " + zone_;
         }},
        // A new item trashed, or another empty's leftover put into expunged/ (not before it is
        // listed: what is in it is being removed by whoever put it there).
        {1, kAnyHook,
         [&] {
             const std::string name = fresh("new");
             const std::int64_t kind = pick(0, 2);
             if (hook_ != kBeforeListing && chance(0.1)) {
                 things_[addObject(name, trash_ + "/expunged/" + name, kind)].leftover = true;
             } else {
                 writeRecord(name, recently(), chance(0.5));
                 addObject(name, filesPath(name), kind);
             }
             return "new " + name;
         }},
        {1, kAnyHook,
         [&]() -> std::string {  // the item of a record written before the empty began arrives
             const int r = anyWhere([](const Thing& t) {
                 return t.isRecord && t.atStart && t.mate < 0 && !t.arrived && t.inTrash;
             });
             if (r < 0 || occupant(things_[r].name) >= 0) return {};
             const std::string name = things_[r].name;
             things_[r].arrived = true;
             things_[r].arrivedEarly = hook_ == kBeforeListing || hook_ == kAfterSnapshot;
             addObject(name, filesPath(name), pick(0, 2));
             return "arrived files/" + name;
         }},
    };
    while (times-- > 0) {
        std::vector<std::string> names;
        for (const Thing& t : things_) {
            if (inFiles(t)) names.push_back(t.name);
        }
        target_ = names.empty() ? own_ : any(names);
        std::int64_t roll = 0;
        for (const Action& a : actions) roll += a.hooks & (1u << hook) ? a.weight : 0;
        roll = pick(0, roll - 1);
        const auto chosen = std::find_if(std::begin(actions), std::end(actions), [&](auto& a) {
            return (a.hooks & (1u << hook)) && (roll -= a.weight) < 0;
        });
        const std::string did = (moveOutNow ? actions[0] : *chosen).run();
        if (!did.empty()) plan_ << kHookNames[hook] << inFlight << ": " << did << "\n";
    }
}

std::string Round::judge() {
    std::ostringstream bad;
    std::vector<std::map<std::string, std::int64_t>> readings(things_.size());
    for (const char* zone : kZones) {
        loadZone(zone);
        for (std::size_t i = 0; i < things_.size(); ++i) readings[i][zone] = latest(things_[i]);
    }
    const std::int64_t floor = floor_ * kSecond;
    // An item's age by what the test wrote: the later of its date, read in a zone in force
    // during the empty, and its record's time; without a record, when it was moved in.
    const auto oldEnough = [&](const Thing& o) {
        if (o.mate < 0) return !limited_ && (floor_ == 0 || beganBy_ - ns(o.st.st_ctim) >= floor);
        // A size limit takes nothing dated after the empty began, with a floor or without.
        if (floor_ == 0 && !limited_) return true;
        const Thing& r = things_[o.mate];
        if (beganBy_ - ns(r.st.st_mtim) < floor) return false;
        return r.form == Form::Unreadable ||
               std::any_of(zones_.begin(), zones_.end(), [&](const std::string& zone) {
                   return beganBy_ - readings[o.mate][zone] >= floor;
               });
    };
    // Stamps made a moment before the empty may pass for ones made during it, and one round to
    // the microsecond for one cut from a coarser clock (FAT's two seconds at most).
    const auto settledAt = [&](std::int64_t stamp) {
        return stamp + (stamp % 1000 == 0 ? 2 * kSecond : 0) + 2000000 <= coarseBefore_;
    };
    const auto settled = [&](const struct stat& st) {
        return settledAt(ns(st.st_ctim)) && settledAt(ns(st.st_mtim));
    };
    const bool quiet = !stepped_ && zones_.size() == 1;
    // Bound to go: a record without an item, or an item there at the start, untouched since.
    const auto mustGo = [&](const Thing& t, bool inTrash) {
        if (!inTrash || !t.atStart || t.touched) return false;
        if (t.isRecord) return t.mate < 0 && !t.arrived && quiet && settled(t.st);
        if (t.leftover) return true;
        if (!quiet || !settled(t.st)) return false;
        if (t.mate < 0) return floor_ == 0 && !limited_;
        const Thing& r = things_[t.mate];
        if (!settled(r.st)) return false;
        if (floor_ == 0 && !limited_) return true;
        if (r.form == Form::Unreadable) return false;
        const std::int64_t deleted = std::max(readings[t.mate][emptyZone_], ns(r.st.st_mtim));
        return before_ - deleted >= floor + kMinute * kSecond;
    };
    // Named as kept in the log and the report, by the Path of a record of its name or where it is.
    const auto namedKept = [&](const std::string& name, bool changed) {
        const bool logged = std::any_of(log_.lines().begin(), log_.lines().end(), [&](auto& line) {
            return line.find("'" + filesPath(name) + "'") != std::string::npos;
        });
        return logged &&
               std::any_of(place_.keptItems.begin(), place_.keptItems.end(), [&](auto& i) {
                   return (i.reason == KeptReason::ArrivedDuringEmpty ||
                           (changed && i.reason == KeptReason::Changed)) &&
                          (i.originalPath == filesPath(name) ||
                           std::any_of(things_.begin(), things_.end(), [&](const Thing& r) {
                               return r.isRecord && r.name == name && r.origin == i.originalPath;
                           }));
               });
    };

    std::size_t removed = 0, movedOut = 0;
    for (const Thing& t : things_) {
        if (t.isRecord && !t.inTrash) continue;  // the test took it away
        const Tree now = scan(t.path);
        const std::string where = shown(t.path) + ": ";
        if (t.movedOut) {
            movedOut += 1;
            if (!within(t.held, t.tree) || !within(now, t.held) ||
                t.held.size() - now.size() > kBatch) {
                bad << where << t.held.size() << " entries when moved out of expunged/, "
                    << now.size() << " now\n";
            }
        } else if (now == t.tree) {
            if (mustGo(t, t.inTrash)) bad << where << "kept, though bound to go\n";
        } else if (!within(now, t.tree)) {
            bad << where << "changed, not only removed\n";
        } else {
            const bool itemStays = t.mate >= 0 && things_[t.mate].path == filesPath(t.name) &&
                                   test::exists(filesPath(t.name));
            const char* why = !t.inTrash   ? "outside the trash"
                              : !t.atStart ? "it came after the empty began"
                              : t.touched  ? "it changed after the empty began"
                              : t.isRecord
                                  ? (t.arrivedEarly || itemStays ? "its item is there" : nullptr)
                              : t.leftover   ? nullptr
                              : oldEnough(t) ? nullptr
                                             : "deleted too recently";
            if (why)
                bad << where << (now.empty() ? "removed, " : "partly removed, ") << why << "\n";
            removed += now.empty() && t.listed && !t.leftover && t.path == filesPath(t.name);
        }
        // Taking a folder, it found another in its place: that stays and is named as kept.
        if (t.replacedAtCheck && mustGo(t, true) && !namedKept(t.name, false))
            bad << "/Trash/files/" << t.name << ": trashed anew as it was taken, not named kept\n";
    }
    // What it was bound to see changed is named as kept, unless a date it read said too recent.
    for (const auto& [name, written] : mustSee_) {
        bool datesOld = true;
        for (std::size_t i = 0; i < written; ++i) {
            const Thing& r = things_[i];
            if (!r.isRecord || r.name != name || r.form == Form::Unreadable) continue;
            for (const auto& [zone, moment] : readings[i]) datesOld &= before_ - moment >= floor;
        }
        // Under a size limit what stays for the limit stays without a look, as the floor's.
        if ((floor_ == 0 || datesOld) && !limited_ && !namedKept(name, true))
            bad << "/Trash/files/" << name << ": changed before it was checked, not named kept\n";
    }
    // Nothing is left in expunged/ but what came after it was listed.
    for (const auto& e : std::filesystem::directory_iterator(trash_ + "/expunged")) {
        if (std::none_of(things_.begin(), things_.end(), [&](const Thing& t) {
                return t.path == e.path().string() && !t.atStart;
            })) {
            bad << shown(e.path()) << ": left behind\n";
        }
    }
    // A folder moved out of expunged/ may be emptied there and counted as removed.
    if (place_.removed < removed || place_.removed > removed + movedOut)
        bad << "reported " << place_.removed << " items removed, " << removed << " went\n";
    // A size limit keeps an item without a record as one whose age can't be told: a failure.
    if (!ok_ && movedOut == 0 && !limited_) bad << "reported a failure where nothing failed\n";
    if (bad.str().empty()) return {};
    return "plan seed " + std::to_string(seed_) +
           " (rerun alone: TIDEWELL_FUZZ_SEED=" + std::to_string(seed_) +
           " TIDEWELL_FUZZ_PLANS=1)\n" + plan_.str() + "went wrong:\n" + bad.str();
}

TEST(TrashEmptyRandom, RemovesOnlyWhatWasThereUnchangedAndOldEnoughAndNothingOutside) {
    const char* tz = std::getenv("TZ");
    const std::string savedZone = tz ? tz : "";
    const char* seedText = std::getenv("TIDEWELL_FUZZ_SEED");
    const char* plansText = std::getenv("TIDEWELL_FUZZ_PLANS");
    const std::uint64_t first =
        seedText ? std::strtoull(seedText, nullptr, 10) : std::random_device{}();
    const int plans = plansText ? std::atoi(plansText) : 150;
    // Each trash is made one plan ahead, so that by its empty what it holds can't pass for what
    // came during it (that only lets more items be checked as bound to go).
    auto next = std::make_unique<Round>(first);
    for (int i = 0; i < plans; ++i) {
        const std::unique_ptr<Round> round = std::move(next);
        if (i + 1 < plans)
            next = std::make_unique<Round>(first + static_cast<std::uint64_t>(i) + 1);
        round->run();
        if (const std::string wrong = round->judge(); !wrong.empty()) {
            ADD_FAILURE() << "after " << i + 1 << " plans, " << wrong;
            break;
        }
    }
    tz ? ::setenv("TZ", savedZone.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
}

}  // namespace
}  // namespace tw::linux_platform
