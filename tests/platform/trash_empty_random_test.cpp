// Emptying one trash directory under attack: a seeded random plan of what other programs, the
// user and the clock do at each seam of the empty, judged only by what the test itself did.
// What went must have been in the trash when the empty began, untouched since and, with a
// floor, deleted long enough before by both its DeletionDate (read in a zone in force during
// the empty) and its record's own time; nothing outside the trash may change, and a folder moved
// out of expunged/ during its removal loses at most one batch. TIDEWELL_FUZZ_SEED reruns a plan
// (a failure prints its seed), TIDEWELL_FUZZ_PLANS sets how many run.

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
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/trash_empty.h"
#include "platform/trash_test_support.h"

namespace tw::linux_platform {
namespace {

constexpr std::int64_t kSecond = 1000000000;
constexpr std::int64_t kMinute = 60, kHour = 3600, kDay = 86400;
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

// What a path holds, entry by entry: its path below it -> "f:" content, "l:" target or "d".
using Tree = std::map<std::string, std::string>;

Tree scan(const std::string& root) {
    Tree tree;
    const auto add = [&](const std::filesystem::path& path, const std::string& key) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) return false;
        if (S_ISLNK(st.st_mode)) {
            tree[key] = "l:" + std::filesystem::read_symlink(path).string();
        } else {
            tree[key] = S_ISDIR(st.st_mode) ? "d" : "f:" + test::readFile(path);
        }
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

struct Record {
    std::string name;  // of its item: info/<name>.trashinfo
    std::string text;
    std::string date;  // the DeletionDate written
    enum class Form { Local, Utc, Unreadable } form = Form::Local;
    std::string path;   // the Path written
    struct stat st {};  // as it was before the empty, or when written during it
    bool atStart = false;
    bool replaced = false;      // removed, renamed or rewritten by the plan
    int item = -1;              // the object at files/<name> when the empty began
    bool arrived = false;       // an orphan whose item came during the empty
    bool arrivedEarly = false;  // before anything was removed
};

// A thing the test made: an item of files/, a leftover in expunged/, or something outside.
struct Object {
    std::string name;
    std::string path;  // where the test last put it
    Tree tree;
    bool folder = false;
    bool inTrash = true;
    bool atStart = false;  // in the trash when the empty began
    bool listed = false;   // at its name in files/ when the empty had listed it
    bool touched = false;  // moved, replaced or its record written since the empty began
    bool leftover = false;
    int record = -1;  // at start
    struct stat st {};
    bool movedOut = false;  // out of expunged/ during its removal
    Tree held;              // what it held then
};

enum class Hook { BeforeListing, AfterSnapshot, ItemChecked, FolderTaken, RemovalBatch, Clock };
const char* const kHookNames[] = {"beforeListing", "afterSnapshot", "itemChecked",
                                  "folderTaken",   "removalBatch",  "clockStep"};

class Round {
  public:
    explicit Round(std::uint64_t seed) : seed_(seed), rng_(seed) {}
    void prepare();
    void run();
    // Empty when the empty behaved; else what it did wrong, with the plan.
    std::string judge();

  private:
    std::int64_t pick(std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(rng_);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    template <typename T>
    const T& any(const std::vector<T>& from) {
        return from[static_cast<std::size_t>(pick(0, static_cast<std::int64_t>(from.size()) - 1))];
    }
    std::string fresh(const std::string& what) { return what + "-" + std::to_string(++made_); }
    std::string filesPath(const std::string& name) const { return trash_ + "/files/" + name; }
    std::string infoPath(const std::string& name) const {
        return trash_ + "/info/" + name + ".trashinfo";
    }

    Tree makeThing(const std::string& path, int kind);
    int addObject(const std::string& name, const std::string& path, int kind);
    int writeRecord(const std::string& name, std::int64_t deleted, bool stampAsDated);
    int occupant(const std::string& name) const;
    int currentRecord(const std::string& name) const;
    std::int64_t latest(const Record& r) const;

    void act(Hook hook, const std::string& inFlight);
    void actOnce(Hook hook, const std::string& inFlight);
    bool restore(const std::string& name, Hook hook);
    void trashAgain(const std::string& name, Hook hook, bool own);
    void rename(const std::string& name, Hook hook);
    void rewriteRecord(const std::string& name, Hook hook);
    void moveOut(const std::string& inFlight);
    void newItem(Hook hook);
    void arrive(Hook hook);
    void noteChange(const std::string& name, bool changed);

    std::uint64_t seed_;
    std::mt19937_64 rng_;
    test::TempDir dir_;
    std::string trash_ = dir_ / "Trash";
    std::string outside_ = dir_ / "outside";
    int made_ = 0;
    std::int64_t floor_ = 0;
    std::string emptyZone_, currentZone_;
    std::vector<Object> objects_;
    std::vector<Record> records_;
    std::vector<std::string> outsideTargets_;
    std::set<std::string> zones_;  // in force during the empty
    bool stepped_ = false;
    std::int64_t step_ = 0;
    bool began_ = false;
    std::int64_t before_ = 0, coarseBefore_ = 0, beganBy_ = 0;
    std::set<std::string> listed_, checked_;
    std::map<std::string, std::size_t> mustSee_;  // name -> records written until its check
    std::map<std::string, bool> changed_;  // listed name -> holds a change the empty must see
    std::map<std::string, Hook> emptiedAt_;
    std::map<std::string, int> replacedWhenChecked_;  // name -> what the empty had checked
    bool ok_ = false;
    RemoveLog log_;
    EmptyPlace place_;
    std::ostringstream plan_;
};

// 0 file, 1 link, 2 folder, 3 big folder, 4 deep folder.
Tree Round::makeThing(const std::string& path, int kind) {
    const std::string tag = "#" + std::to_string(++made_);
    switch (kind) {
        case 0:
            test::writeFile(path, "content " + tag);
            break;
        case 1: {
            const std::string targets[] = {outsideTargets_[0], outsideTargets_[1],
                                           "../../outside/precious", "/nonexistent/" + tag};
            test::makeSymlink(targets[pick(0, 3)], path);
            break;
        }
        case 2: {
            test::makeDirs(path);
            test::writeFile(path + "/marker", tag);
            std::string sub = path;
            for (std::int64_t depth = pick(0, 3); depth > 0; --depth) {
                sub += "/sub";
                test::makeDirs(sub);
                for (std::int64_t i = pick(0, 3); i > 0; --i) {
                    test::writeFile(sub + "/f" + std::to_string(i), tag + std::to_string(i));
                }
            }
            if (chance(0.3)) test::makeSymlink(outsideTargets_[1], path + "/to-outside");
            break;
        }
        case 3:
            test::makeDirs(path + "/many");
            test::writeFile(path + "/marker", tag);
            for (std::size_t i = 0; i < TreeRemover::kBatch + 9; ++i) {
                test::writeFile(path + "/many/f" + std::to_string(i), tag);
            }
            break;
        default:
            test::makeDirs(path);
            test::writeFile(path + "/marker", tag);
            test::makeDeepTree(
                path, static_cast<int>(pick(TreeRemover::kBatch + 1, TreeRemover::kBatch + 16)));
            break;
    }
    return scan(path);
}

int Round::addObject(const std::string& name, const std::string& path, int kind) {
    Object o;
    o.name = name;
    o.path = path;
    o.tree = makeThing(path, kind);
    o.folder = kind >= 2;
    o.atStart = !began_;
    o.touched = began_;
    ::lstat(path.c_str(), &o.st);
    objects_.push_back(std::move(o));
    return static_cast<int>(objects_.size()) - 1;
}

// A record dated `deleted` (s) in a zone, in UTC, or unreadably; its file stamped with that
// moment as a trashing program leaves it, or off it either way, or left as written.
int Round::writeRecord(const std::string& name, std::int64_t deleted, bool stampAsDated) {
    Record r;
    r.name = name;
    r.path = "/home/user/" + fresh(name);
    const std::int64_t form = pick(0, 9);
    const time_t t = deleted;
    struct tm tm;
    char text[64];
    if (form < 8) {
        loadZone(chance(0.6) ? emptyZone_ : kZones[pick(0, std::size(kZones) - 1)]);
        ::localtime_r(&t, &tm);
        ::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
        r.form = Record::Form::Local;
        loadZone(currentZone_);
    } else if (form == 8) {
        ::gmtime_r(&t, &tm);
        ::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
        r.form = Record::Form::Utc;
    } else {
        std::snprintf(text, sizeof text, "%s", chance(0.5) ? "last spring" : "");
        r.form = Record::Form::Unreadable;
    }
    r.date = text;
    r.atStart = !began_;
    r.text = "[Trash Info]\nPath=" + r.path + "\nDeletionDate=" + r.date + "\n";
    test::writeFile(infoPath(name), r.text);
    const std::int64_t stamp = pick(0, 9);
    if (stampAsDated && stamp < 9) {
        // Mostly as dated; else copied back later, or stamped before its date.
        const std::int64_t off = stamp < 6 ? 0 : stamp < 8 ? pick(0, 2 * kDay) : -pick(0, 2 * kDay);
        const struct timespec times[2] = {{deleted + off, 0}, {deleted + off, 0}};
        ::utimensat(AT_FDCWD, infoPath(name).c_str(), times, 0);
    }
    ::lstat(infoPath(name).c_str(), &r.st);
    records_.push_back(std::move(r));
    return static_cast<int>(records_.size()) - 1;
}

int Round::occupant(const std::string& name) const {
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        // Unless the empty has removed it.
        if (objects_[i].path == filesPath(name) && test::exists(objects_[i].path)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int Round::currentRecord(const std::string& name) const {
    for (std::size_t i = records_.size(); i-- > 0;) {
        if (records_[i].name == name && !records_[i].replaced) return static_cast<int>(i);
    }
    return -1;
}

// The latest moment (ns) a record's date may name in the zone loaded: where the clocks change, a
// local time may name two moments, or none.
std::int64_t Round::latest(const Record& r) const {
    struct tm tm {};
    if (std::sscanf(r.date.c_str(), "%d-%d-%dT%d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6) {
        return 0;
    }
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    const std::int64_t wall = ::timegm(&tm);
    if (r.form == Record::Form::Utc) return wall * kSecond;
    std::int64_t last = wall - 14 * kHour;
    for (const std::int64_t probe : {wall - 15 * kHour, wall, wall + 15 * kHour}) {
        const time_t t = probe;
        struct tm local;
        ::localtime_r(&t, &local);
        last = std::max<std::int64_t>(last, wall - local.tm_gmtoff);
    }
    return last * kSecond;
}

void Round::prepare() {
    floor_ = chance(0.25) ? 0 : pick(10 * kMinute, 60 * kDay);
    emptyZone_ = currentZone_ = kZones[pick(0, std::size(kZones) - 1)];
    test::makeDirs(trash_ + "/files");
    test::makeDirs(trash_ + "/info");
    test::makeDirs(trash_ + "/expunged");
    test::makeDirs(outside_ + "/dir");
    outsideTargets_ = {outside_ + "/precious", outside_ + "/dir"};
    test::writeFile(outside_ + "/precious", "keep me");
    test::writeFile(outside_ + "/dir/inside", "keep me too");
    for (const std::string& target : outsideTargets_) {
        Object o;
        o.name = target;
        o.path = target;
        o.tree = scan(target);
        o.inTrash = false;
        objects_.push_back(std::move(o));
    }
    const std::int64_t now = clockNow(CLOCK_REALTIME) / kSecond;
    const auto deletedAt = [&] {
        // Near the floor, where a zone's hours decide; or anywhere, the future too.
        const std::int64_t reach = std::max(floor_, 2 * kDay);
        return now -
               (chance(0.6) ? floor_ + pick(-36 * kHour, 36 * kHour) : pick(-kDay, 3 * reach));
    };
    const std::int64_t items = pick(3, 12);
    for (std::int64_t i = 0; i < items; ++i) {
        const std::int64_t roll = pick(0, 99);
        const int kind = roll < 40 ? 0 : roll < 55 ? 1 : roll < 85 ? 2 : roll < 93 ? 3 : 4;
        const std::string name = fresh("item");
        const int o = addObject(name, filesPath(name), kind);
        objects_[o].record = writeRecord(name, deletedAt(), true);
        records_[objects_[o].record].item = o;
    }
    for (std::int64_t i = pick(0, 2); i > 0; --i) {  // items without records
        const std::string name = fresh("orphan");
        addObject(name, filesPath(name), static_cast<int>(pick(0, 2)));
    }
    for (std::int64_t i = pick(0, 3); i > 0; --i) writeRecord(fresh("ghost"), deletedAt(), true);
    for (std::int64_t i = pick(0, 2); i > 0; --i) {  // left by an empty that was cut short
        const std::string name = fresh("left");
        const int o = addObject(name, trash_ + "/expunged/" + name, static_cast<int>(pick(0, 4)));
        objects_[o].leftover = true;
    }
    for (Object& o : objects_) o.atStart = o.inTrash;
    plan_ << "floor " << floor_ << " s, emptied in " << emptyZone_ << "; start:\n";
    for (const Object& o : objects_) {
        plan_ << "  " << o.path.substr(dir_.path().size()) << " (" << o.tree.size()
              << " entries)\n";
    }
    for (const Record& r : records_) {
        plan_ << "  info/" << r.name << ".trashinfo DeletionDate=" << r.date << " mtime "
              << r.st.st_mtim.tv_sec << "\n";
    }
}

// The name in files/ (or expunged/) of what a removal batch works on.
std::string inFlightOf(std::string_view directory, const std::string& trash) {
    for (const std::string part : {"/files/", "/expunged/"}) {
        const std::string prefix = trash + part;
        if (directory.starts_with(prefix)) {
            const std::string_view rest = directory.substr(prefix.size());
            return std::string(part) + std::string(rest.substr(0, rest.find('/')));
        }
    }
    return {};
}

void Round::run() {
    // The stamps the empty will compare, as they are before it begins.
    for (Object& o : objects_) ::lstat(o.path.c_str(), &o.st);
    for (Record& r : records_) ::lstat(infoPath(r.name).c_str(), &r.st);
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        const int r =
            objects_[i].inTrash && !objects_[i].leftover ? currentRecord(objects_[i].name) : -1;
        objects_[i].record = r;
        if (r >= 0) records_[r].item = static_cast<int>(i);
    }
    loadZone(currentZone_ = emptyZone_);
    zones_ = {emptyZone_};
    EmptyOptions options;
    options.keepSeconds = floor_;
    options.clockStep = [&] {
        if (began_ && chance(0.01)) act(Hook::Clock, "");
        return step_;
    };
    options.beforeListing = [&] {
        beganBy_ = clockNow(CLOCK_REALTIME);
        began_ = true;
        act(Hook::BeforeListing, "");
    };
    options.afterSnapshot = [&] {
        std::error_code error;
        for (const auto& e : std::filesystem::directory_iterator(trash_ + "/files", error)) {
            const std::string name = e.path().filename().string();
            listed_.insert(name);
            if (const int o = occupant(name); o >= 0) objects_[o].listed = true;
        }
        act(Hook::AfterSnapshot, "");
    };
    options.itemChecked = [&](std::string_view item) {
        const std::string name(item);
        checked_.insert(name);
        // A change it had to see (judged once the dates can be read in every zone).
        if (changed_[name]) mustSee_[name] = records_.size();
        act(Hook::ItemChecked, "/files/" + name);
    };
    options.folderTaken = [&](std::string_view item) {
        act(Hook::FolderTaken, "/files/" + std::string(item));
    };
    options.removalBatch = [&](std::string_view directory) {
        act(Hook::RemovalBatch, inFlightOf(directory, trash_));
    };
    before_ = clockNow(CLOCK_REALTIME);
    coarseBefore_ = clockNow(CLOCK_REALTIME_COARSE);
    const int fd = ::open(trash_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    ok_ = emptyTrashDirectory(fd, trash_, log_, options, &place_);
    ::close(fd);
}

void Round::act(Hook hook, const std::string& inFlight) {
    int actions = 0;
    switch (hook) {
        case Hook::BeforeListing:
            actions = static_cast<int>(pick(0, 2));
            break;
        case Hook::AfterSnapshot:
            actions = static_cast<int>(pick(0, 3));
            break;
        case Hook::Clock:
            actions = 1;
            break;
        case Hook::RemovalBatch:
            actions = chance(0.2);
            break;
        default:
            actions = chance(0.3);
            break;
    }
    while (actions-- > 0) actOnce(hook, inFlight);
}

// One thing done at `hook` while the empty works on `inFlight` ("/files/<name>" or
// "/expunged/<name>"). What the empty has checked and is about to act on is left alone, as
// nothing can tell a file replaced between a look and an unlink; a folder is moved before it
// is removed, so another may take its name then. At the clock's readings the empty may be in
// the middle of a check: only what makes an item gone or adds one under a new name happens then.
void Round::actOnce(Hook hook, const std::string& inFlight) {
    enum Kind { Restore, Again, Rename, Rewrite, Step, Zone, New, Arrive, MoveOut };
    std::vector<Kind> kinds = {Restore, Rename, Step, Zone, New, Arrive};
    if (hook != Hook::Clock) kinds.insert(kinds.end(), {Again, Again, Rewrite, Rewrite});
    if (hook == Hook::RemovalBatch && !inFlight.empty()) {
        kinds.insert(kinds.end(), {MoveOut, MoveOut, MoveOut, MoveOut});
    }
    const std::string own = inFlight.starts_with("/files/") ? inFlight.substr(7) : "";
    std::vector<std::string> inFiles;
    for (const Object& o : objects_) {
        if (o.path.starts_with(trash_ + "/files/") && test::exists(o.path)) {
            inFiles.push_back(o.name);
        }
    }
    std::string target = inFiles.empty() ? own : any(inFiles);
    switch (any(kinds)) {
        case Restore:
            if (!target.empty()) restore(target, hook);
            break;
        case Again:
            if (!own.empty() && chance(0.4)) target = own;
            if (target.empty() || (target == own && hook != Hook::ItemChecked)) break;
            trashAgain(target, hook, target == own);
            break;
        case Rename:
            if (!target.empty()) rename(target, hook);
            break;
        case Rewrite:
            if (!target.empty() && target != own) rewriteRecord(target, hook);
            break;
        case Step: {
            const std::int64_t steps[] = {-40 * kDay, -kDay, -kHour, -kMinute, 0,
                                          kMinute,    kHour, kDay,   40 * kDay};
            step_ = steps[pick(0, std::size(steps) - 1)] * kSecond;
            stepped_ = true;
            plan_ << kHookNames[static_cast<int>(hook)] << inFlight << ": clock stepped to "
                  << step_ / kSecond << " s\n";
            break;
        }
        case Zone:
            loadZone(currentZone_ = kZones[pick(0, std::size(kZones) - 1)]);
            zones_.insert(currentZone_);
            plan_ << kHookNames[static_cast<int>(hook)] << inFlight << ": zone " << currentZone_
                  << "\n";
            break;
        case New:
            newItem(hook);
            break;
        case Arrive:
            arrive(hook);
            break;
        case MoveOut:
            moveOut(inFlight);
            break;
    }
}

void Round::noteChange(const std::string& name, bool changed) {
    if (!checked_.contains(name)) changed_[name] = changed;
}

// The user restores an item: it leaves files/, then its record goes.
bool Round::restore(const std::string& name, Hook hook) {
    const int o = occupant(name);
    if (o < 0) return false;
    const std::string to = outside_ + "/" + fresh("restored");
    if (std::rename(filesPath(name).c_str(), to.c_str()) != 0) return false;
    objects_[o].path = to;
    objects_[o].inTrash = false;
    if (const int r = currentRecord(name); r >= 0) {
        std::filesystem::remove(infoPath(name));
        records_[r].replaced = true;
    }
    noteChange(name, false);
    emptiedAt_[name] = hook;
    plan_ << kHookNames[static_cast<int>(hook)] << ": restored files/" << name << "\n";
    return true;
}

// Restored and trashed again under its name with a new record: the same item, or another.
// Where the empty has checked the item (`own`), another, and a folder unless a folder was there.
void Round::trashAgain(const std::string& name, Hook hook, bool own) {
    const int o = occupant(name);
    if (o < 0 && (!own || !emptiedAt_.contains(name) || emptiedAt_[name] == Hook::Clock)) return;
    if (o < 0 && test::exists(infoPath(name))) return;  // the name is not free
    const bool same = o >= 0 && !own && chance(0.5);
    const int kind = own && o >= 0 && !objects_[o].folder ? 2 : static_cast<int>(pick(0, 2));
    if (o >= 0 && !restore(name, hook)) return;
    if (own && o >= 0) replacedWhenChecked_[name] = o;
    const std::int64_t now = clockNow(CLOCK_REALTIME) / kSecond;
    writeRecord(name, chance(0.5) ? now : now - pick(0, 90 * kDay), chance(0.5));
    if (same) {
        std::rename(objects_[o].path.c_str(), filesPath(name).c_str());
        objects_[o].path = filesPath(name);
        objects_[o].inTrash = true;
        objects_[o].touched = true;
    } else {
        addObject(name, filesPath(name), kind);
    }
    noteChange(name, true);
    plan_ << kHookNames[static_cast<int>(hook)] << ": trashed files/" << name
          << (same ? " again" : " anew") << "\n";
}

// Renamed in the trash, record and all.
void Round::rename(const std::string& name, Hook hook) {
    const int o = occupant(name);
    if (o < 0) return;
    const std::string to = fresh("renamed");
    if (std::rename(filesPath(name).c_str(), filesPath(to).c_str()) != 0) return;
    objects_[o].name = to;
    objects_[o].path = filesPath(to);
    objects_[o].touched = true;
    if (const int r = currentRecord(name); r >= 0) {
        std::rename(infoPath(name).c_str(), infoPath(to).c_str());
        records_[r].replaced = true;
        Record moved = records_[r];
        moved.name = to;
        moved.replaced = moved.atStart = false;
        records_.push_back(moved);
    }
    noteChange(name, false);
    noteChange(to, true);
    emptiedAt_[name] = hook;
    plan_ << kHookNames[static_cast<int>(hook)] << ": renamed files/" << name << " to " << to
          << "\n";
}

// Its record written anew with another date.
void Round::rewriteRecord(const std::string& name, Hook hook) {
    const int o = occupant(name), r = currentRecord(name);
    if (o < 0 || r < 0) return;
    records_[r].replaced = true;
    const std::int64_t now = clockNow(CLOCK_REALTIME) / kSecond;
    const int written = writeRecord(name, now - pick(-kDay, 90 * kDay), chance(0.7));
    objects_[o].touched = true;
    noteChange(name, true);
    plan_ << kHookNames[static_cast<int>(hook)] << ": rewrote info/" << name
          << ".trashinfo: " << records_[written].date << "\n";
}

// Someone takes the folder being removed out of expunged/.
void Round::moveOut(const std::string& inFlight) {
    int o = -1;
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        const std::string& path = objects_[i].path;
        if (objects_[i].inTrash && path.size() > trash_.size() &&
            path.substr(trash_.size()) == inFlight) {
            o = static_cast<int>(i);
        }
    }
    if (o < 0 || objects_[o].movedOut) return;
    std::error_code error;
    for (const auto& e : std::filesystem::directory_iterator(trash_ + "/expunged", error)) {
        struct stat st;
        if (::lstat(e.path().c_str(), &st) != 0 || st.st_ino != objects_[o].st.st_ino) continue;
        const std::string to = outside_ + "/" + fresh("moved-out");
        if (std::rename(e.path().c_str(), to.c_str()) != 0) return;
        objects_[o].path = to;
        objects_[o].inTrash = false;
        objects_[o].movedOut = true;
        objects_[o].held = scan(to);
        plan_ << "removalBatch: moved " << inFlight << " out of expunged/ with "
              << objects_[o].held.size() << " entries\n";
        return;
    }
}

// A new item trashed, or another empty's leftover put into expunged/.
void Round::newItem(Hook hook) {
    const std::string name = fresh("new");
    const int kind = static_cast<int>(pick(0, 2));
    // Not before expunged/ is listed: what is in it is being removed by whoever put it there.
    if (hook != Hook::BeforeListing && chance(0.1)) {
        objects_[addObject(name, trash_ + "/expunged/" + name, kind)].leftover = true;
    } else {
        const std::int64_t now = clockNow(CLOCK_REALTIME) / kSecond;
        writeRecord(name, chance(0.5) ? now : now - pick(0, 90 * kDay), chance(0.5));
        addObject(name, filesPath(name), kind);
        noteChange(name, true);
    }
    plan_ << kHookNames[static_cast<int>(hook)] << ": new " << name << "\n";
}

// The item of a record written before the empty began arrives.
void Round::arrive(Hook hook) {
    std::vector<int> waiting;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const Record& r = records_[i];
        if (r.atStart && r.item < 0 && !r.arrived && !r.replaced) waiting.push_back(i);
    }
    if (waiting.empty()) return;
    Record& r = records_[any(waiting)];
    if (occupant(r.name) >= 0) return;
    r.arrived = true;
    r.arrivedEarly = hook == Hook::BeforeListing || hook == Hook::AfterSnapshot;
    addObject(r.name, filesPath(r.name), static_cast<int>(pick(0, 2)));
    noteChange(r.name, true);
    plan_ << kHookNames[static_cast<int>(hook)] << ": arrived files/" << r.name << "\n";
}

std::string Round::judge() {
    std::ostringstream bad;
    std::vector<std::map<std::string, std::int64_t>> readings(records_.size());
    for (const char* zone : kZones) {
        loadZone(zone);
        for (std::size_t i = 0; i < records_.size(); ++i) readings[i][zone] = latest(records_[i]);
    }
    const std::int64_t floor = floor_ * kSecond;
    // An item's age by what the test wrote: the later of its date, read in a zone in force
    // during the empty, and its record's time; without a record, when it was moved in.
    const auto oldEnough = [&](const Object& o) {
        if (floor_ == 0) return true;
        if (o.record < 0) return beganBy_ - ns(o.st.st_ctim) >= floor;
        const Record& r = records_[o.record];
        if (beganBy_ - ns(r.st.st_mtim) < floor) return false;
        if (r.form == Record::Form::Unreadable) return true;
        return std::any_of(zones_.begin(), zones_.end(), [&](const std::string& zone) {
            return beganBy_ - readings[o.record][zone] >= floor;
        });
    };
    // Stamps made a moment before the empty may pass for ones made during it, and one round to
    // the microsecond for one cut from a coarser clock (FAT's two seconds at most).
    const auto settled = [&](const struct timespec& t) {
        const std::int64_t stamp = ns(t);
        return stamp + (stamp % 1000 == 0 ? 2 * kSecond : 0) + 2000000 <= coarseBefore_;
    };
    const bool quiet = !stepped_ && zones_.size() == 1;
    const auto mustGo = [&](const Object& o) {
        if (!o.inTrash || !o.atStart || o.touched) return false;
        if (o.leftover) return true;
        if (!quiet || !settled(o.st.st_ctim)) return false;
        if (o.record < 0) return floor_ == 0;
        const Record& r = records_[o.record];
        if (!settled(r.st.st_ctim) || !settled(r.st.st_mtim)) return false;
        if (floor_ == 0) return true;
        if (r.form == Record::Form::Unreadable) return false;
        const std::int64_t deleted = std::max(readings[o.record][emptyZone_], ns(r.st.st_mtim));
        return before_ - deleted >= floor + kMinute * kSecond;
    };

    const auto logged = [&](const std::string& name) {
        return std::any_of(log_.lines().begin(), log_.lines().end(), [&](const std::string& line) {
            return line.find("'" + filesPath(name) + "'") != std::string::npos;
        });
    };

    std::size_t removed = 0;
    std::size_t movedOut = 0;
    for (const Object& o : objects_) {
        const Tree now = scan(o.path);
        const std::string where = o.path.substr(dir_.path().size());
        if (o.movedOut) {
            ++movedOut;
            if (!within(o.held, o.tree) || !within(now, o.held) ||
                o.held.size() - now.size() > TreeRemover::kBatch) {
                bad << where << ": held " << o.held.size() << " entries when moved out of "
                    << "expunged/, " << now.size() << " now\n";
            }
            continue;
        }
        if (now == o.tree) {
            if (mustGo(o)) bad << where << ": untouched and old enough, yet kept\n";
            continue;
        }
        if (!within(now, o.tree)) {
            bad << where << ": changed, not only removed\n";
            continue;
        }
        const char* why = !o.inTrash     ? "outside the trash"
                          : !o.atStart   ? "it came after the empty began"
                          : o.touched    ? "it changed after the empty began"
                          : o.leftover   ? nullptr
                          : oldEnough(o) ? nullptr
                                         : "deleted too recently";
        if (why)
            bad << where << (now.empty() ? ": removed" : ": partly removed") << ", " << why << "\n";
        if (now.empty() && o.listed && !o.leftover && o.path == filesPath(o.name)) ++removed;
    }
    for (const Record& r : records_) {
        if (r.replaced) continue;
        const std::string where = "/Trash/info/" + r.name + ".trashinfo";
        if (test::exists(infoPath(r.name))) {
            if (test::readFile(infoPath(r.name)) != r.text) bad << where << ": changed\n";
            if (r.atStart && r.item < 0 && !r.arrived) bad << where << ": an orphan, kept\n";
            continue;
        }
        const bool itemStays = r.item >= 0 && objects_[r.item].path == filesPath(r.name) &&
                               test::exists(filesPath(r.name));
        if (!r.atStart || itemStays || r.arrivedEarly) {
            bad << where << ": removed, though "
                << (!r.atStart ? "written during the empty" : "its item stays") << "\n";
        }
    }
    // What it was bound to see changed is named as kept, unless a date it read said too recent.
    for (const auto& [name, written] : mustSee_) {
        std::set<std::string> paths = {filesPath(name)};
        bool datesOld = true;
        for (const Record& r : records_) {
            if (r.name == name) paths.insert(r.path);  // read when it is reported, later
        }
        for (std::size_t i = 0; i < written; ++i) {
            if (records_[i].name != name) continue;
            if (records_[i].form == Record::Form::Unreadable) continue;
            for (const auto& [zone, moment] : readings[i]) datesOld &= before_ - moment >= floor;
        }
        if (floor_ > 0 && !datesOld) continue;
        const bool reported = std::any_of(
            place_.keptItems.begin(), place_.keptItems.end(), [&](const EmptyItem& item) {
                return paths.contains(item.originalPath) &&
                       (item.reason == KeptReason::ArrivedDuringEmpty ||
                        item.reason == KeptReason::Changed);
            });
        if (!logged(name) || !reported)
            bad << "/Trash/files/" << name
                << ": changed before it was checked, not named as kept\n";
    }
    // Taking a folder, it finds another in its place: that stays and is named as kept.
    for (const auto& [name, o] : replacedWhenChecked_) {
        Object checked = objects_[o];
        checked.inTrash = true;
        if (!mustGo(checked)) continue;
        const bool reported = std::any_of(
            place_.keptItems.begin(), place_.keptItems.end(), [&](const EmptyItem& item) {
                // Its record's Path, or where it is when it had none to read.
                return item.reason == KeptReason::ArrivedDuringEmpty &&
                       (item.originalPath == filesPath(name) ||
                        std::any_of(records_.begin(), records_.end(), [&](const Record& r) {
                            return r.name == name && !r.atStart && r.path == item.originalPath;
                        }));
            });
        if (!logged(name) || !reported) {
            bad << "/Trash/files/" << name << ": trashed anew as it was taken, not named as kept\n";
        }
    }
    // Nothing is left in expunged/ but what came after it was listed.
    std::error_code error;
    for (const auto& e : std::filesystem::directory_iterator(trash_ + "/expunged", error)) {
        const bool known = std::any_of(objects_.begin(), objects_.end(), [&](const Object& o) {
            return o.path == e.path().string() && !o.atStart;
        });
        if (!known) bad << e.path().string().substr(dir_.path().size()) << ": left behind\n";
    }
    // A folder moved out of expunged/ may be emptied there and counted as removed.
    if (place_.removed < removed || place_.removed > removed + movedOut)
        bad << "reported " << place_.removed << " items removed, " << removed << " went\n";
    if (!ok_ && movedOut == 0) bad << "reported a failure where nothing failed\n";
    if (bad.str().empty()) return {};
    std::ostringstream report;
    report << "plan seed " << seed_ << " (TIDEWELL_FUZZ_SEED=" << seed_
           << " TIDEWELL_FUZZ_PLANS=1 runs it alone)\n"
           << plan_.str() << "went wrong:\n"
           << bad.str() << "log:\n";
    for (const std::string& line : log_.lines()) report << "  " << line << "\n";
    report << "named as kept:\n";
    for (const EmptyItem& item : place_.keptItems) {
        report << "  " << item.originalPath << " (" << static_cast<int>(item.reason) << ")\n";
    }
    return report.str();
}

// Puts the zone back as the test found it.
class ZoneKeeper {
  public:
    ZoneKeeper() {
        if (const char* tz = std::getenv("TZ")) saved_ = tz;
    }
    ~ZoneKeeper() {
        if (saved_) {
            ::setenv("TZ", saved_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

  private:
    std::optional<std::string> saved_;
};

TEST(TrashEmptyRandom, RemovesOnlyWhatWasThereUnchangedAndOldEnoughAndNothingOutside) {
    ZoneKeeper zone;
    const char* seedText = std::getenv("TIDEWELL_FUZZ_SEED");
    const char* plansText = std::getenv("TIDEWELL_FUZZ_PLANS");
    const std::uint64_t first =
        seedText ? std::strtoull(seedText, nullptr, 10) : std::random_device{}();
    const int plans = plansText ? std::atoi(plansText) : 300;
    // Each trash is made one plan ahead, so that by its empty what it holds can't pass for what
    // came during it (that only lets more items be checked as bound to go).
    auto next = std::make_unique<Round>(first);
    next->prepare();
    for (int i = 0; i < plans; ++i) {
        const std::unique_ptr<Round> round = std::move(next);
        if (i + 1 < plans) {
            next = std::make_unique<Round>(first + static_cast<std::uint64_t>(i) + 1);
            next->prepare();
        }
        round->run();
        const std::string wrong = round->judge();
        if (!wrong.empty()) {
            ADD_FAILURE() << wrong;
            break;
        }
    }
}

}  // namespace
}  // namespace tw::linux_platform
