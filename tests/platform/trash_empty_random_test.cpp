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
struct Record {
    std::string name, text, date, path;  // info/<name>.trashinfo, its DeletionDate and Path
    Form form = Form::Local;
    struct stat st {};  // as it was before the empty, or when written during it
    int item = -1;      // the object at files/<name> when the empty began
    bool atStart = false, replaced = false;      // replaced: removed, renamed or rewritten
    bool arrived = false, arrivedEarly = false;  // an orphan whose item came (before removals)
};

// A thing the test made: an item of files/, a leftover in expunged/, or something outside.
struct Object {
    std::string name, path;  // path: where the test last put it
    Tree tree, held;         // as made; what it held when moved out of expunged/
    struct stat st {};
    int record = -1, depth = 0;  // its record at start; a chain's depth
    bool folder = false, inTrash = true, atStart = false, leftover = false, movedOut = false;
    bool listed = false;           // at its name in files/ when the empty had listed it
    bool touched = false;          // moved or its record written since the empty began
    bool replacedAtCheck = false;  // trashed anew once the empty had checked it
};

enum class Hook { BeforeListing, AfterSnapshot, ItemChecked, FolderTaken, RemovalBatch, Clock };
const char* const kHookNames[] = {"beforeListing", "afterSnapshot", "itemChecked",
                                  "folderTaken",   "removalBatch",  "clockStep"};
constexpr unsigned bit(Hook hook) {
    return 1u << static_cast<int>(hook);
}
constexpr unsigned kAnyHook = 0x3f, kNotClock = kAnyHook & ~bit(Hook::Clock);

struct Round {
    explicit Round(std::uint64_t seed) : seed_(seed), rng_(seed) {}
    void prepare();
    void run();
    std::string judge();  // empty when the empty behaved

    std::int64_t pick(std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(rng_);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    std::string anyZone() { return kZones[pick(0, std::size(kZones) - 1)]; }
    std::string fresh(const std::string& what) { return what + "-" + std::to_string(++made_); }
    std::string filesPath(const std::string& name) const { return trash_ + "/files/" + name; }
    std::string infoPath(const std::string& name) const {
        return trash_ + "/info/" + name + ".trashinfo";
    }
    std::string shown(const std::string& path) const { return path.substr(dir_.path().size()); }
    static std::int64_t now() { return clockNow(CLOCK_REALTIME) / kSecond; }
    std::int64_t recently() { return chance(0.5) ? now() : now() - pick(0, 90 * kDay); }

    int addObject(const std::string& name, const std::string& path, int kind);
    int writeRecord(const std::string& name, std::int64_t deleted, bool stampAsDated);
    int occupant(const std::string& name) const;
    int currentRecord(const std::string& name) const;
    std::int64_t latest(const Record& r) const;
    bool takeOut(const std::string& name);
    Object* inFlightObject(const std::string& inFlight) {
        for (Object& o : objects_) {
            if (o.inTrash && !o.movedOut && o.path == trash_ + inFlight) return &o;
        }
        return nullptr;
    }
    void act(Hook hook, const std::string& inFlight, std::int64_t times, bool moveOutNow = false);

    // The plan's actions (kActions): what each did, empty when it found nothing to act on.
    std::string restore();
    std::string again();
    std::string rename();
    std::string rewrite();
    std::string rewriteOrphan();
    std::string stepClock();
    std::string changeZone();
    std::string newItem();
    std::string arrive();
    std::string moveOut();

    std::uint64_t seed_;
    std::mt19937_64 rng_;
    test::TempDir dir_;
    std::string trash_ = dir_ / "Trash", outside_ = dir_ / "outside";
    int made_ = 0;
    std::int64_t floor_ = 0, step_ = 0;
    std::string emptyZone_, zone_;
    std::set<std::string> zones_;  // in force during the empty
    std::vector<Object> objects_;
    std::vector<Record> records_;
    bool began_ = false, stepped_ = false, ok_ = false;
    std::int64_t before_ = 0, coarseBefore_ = 0, beganBy_ = 0;
    std::map<std::string, std::size_t> mustSee_;  // changed before its check -> records by then
    Hook hook_ = Hook::BeforeListing;
    std::string inFlight_, own_, target_;  // what the empty is at; files/<own>; one picked
    RemoveLog log_;
    EmptyPlace place_;
    std::ostringstream plan_;
};

struct Action {
    int weight;
    unsigned hooks;
    std::string (Round::*run)();
};
// At the clock's readings the empty may be in the middle of a check: only what makes an item gone
// or adds one under a new name happens then.
const Action kActions[] = {
    {1, kAnyHook, &Round::restore},        {2, kNotClock, &Round::again},
    {1, kAnyHook, &Round::rename},         {2, kNotClock, &Round::rewrite},
    {2, kNotClock, &Round::rewriteOrphan}, {1, kAnyHook, &Round::stepClock},
    {1, kAnyHook, &Round::changeZone},     {1, kAnyHook, &Round::newItem},
    {1, kAnyHook, &Round::arrive},         {4, bit(Hook::RemovalBatch), &Round::moveOut},
};

// 0 file, 1 link, 2 folder, 3 a chain far deeper than a batch with more than one at its bottom.
int Round::addObject(const std::string& name, const std::string& path, int kind) {
    Object o;
    const std::string tag = "#" + std::to_string(++made_);
    if (kind == 0) {
        test::writeFile(path, "content " + tag);
    } else if (kind == 1) {
        const std::string targets[] = {outside_ + "/precious", outside_ + "/dir",
                                       "../../outside/precious", "/nonexistent/" + tag};
        test::makeSymlink(targets[pick(0, 3)], path);
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
    o.name = name;
    o.path = path;
    o.tree = scan(path);
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
    const std::int64_t form = pick(0, 9);
    const time_t t = deleted;
    struct tm tm;
    char text[64];
    if (form < 8) {
        loadZone(chance(0.6) ? emptyZone_ : anyZone());
        ::localtime_r(&t, &tm);
        ::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
        loadZone(zone_);
    } else if (form == 8) {
        ::gmtime_r(&t, &tm);
        ::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    } else {
        std::snprintf(text, sizeof text, "%s", chance(0.5) ? "last spring" : "");
    }
    r.form = form < 8 ? Form::Local : form == 8 ? Form::Utc : Form::Unreadable;
    r.name = name;
    r.path = "/home/user/" + fresh(name);
    r.date = text;
    r.atStart = !began_;
    r.text = "[Trash Info]\nPath=" + r.path + "\nDeletionDate=" + r.date + "\n";
    test::writeFile(infoPath(name), r.text);
    if (const std::int64_t stamp = pick(0, 9); stampAsDated && stamp < 9) {
        // Mostly as dated; else copied back later, or stamped before its date.
        const std::int64_t off = stamp < 5   ? 0
                                 : stamp < 7 ? pick(0, 2 * kDay)
                                             : -pick(0, 2 * std::max(floor_, kDay));
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
        if (objects_[i].path == filesPath(name) && test::exists(objects_[i].path)) return i;
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
    if (r.form == Form::Utc) return wall * kSecond;
    std::int64_t last = wall - 14 * kHour;
    for (const time_t probe : {wall - 15 * kHour, wall, wall + 15 * kHour}) {
        struct tm local;
        ::localtime_r(&probe, &local);
        last = std::max<std::int64_t>(last, wall - local.tm_gmtoff);
    }
    return last * kSecond;
}

void Round::prepare() {
    floor_ = chance(0.25) ? 0 : pick(10 * kMinute, 60 * kDay);
    emptyZone_ = zone_ = anyZone();
    for (const char* part : {"/files", "/info", "/expunged"}) test::makeDirs(trash_ + part);
    test::makeDirs(outside_ + "/dir");
    test::writeFile(outside_ + "/precious", "keep me");
    test::writeFile(outside_ + "/dir/inside", "keep me too");
    for (const std::string& target : {outside_ + "/precious", outside_ + "/dir"}) {
        Object o;
        o.name = o.path = target;
        o.tree = scan(target);
        o.inTrash = false;
        objects_.push_back(std::move(o));
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
        addObject(name, filesPath(name), static_cast<int>(pick(0, 2)));
    }
    for (std::int64_t i = pick(0, 3); i > 0; --i) writeRecord(fresh("ghost"), deletedAt(), true);
    for (std::int64_t i = pick(0, 2); i > 0; --i) {  // left by an empty that was cut short
        const std::string name = fresh("left");
        addObject(name, trash_ + "/expunged/" + name, static_cast<int>(pick(0, 3)));
        objects_.back().leftover = true;
    }
    plan_ << "floor " << floor_ << " s, emptied in " << emptyZone_ << "; start:\n";
    for (const Object& o : objects_) {
        plan_ << "  " << shown(o.path) << " (" << o.tree.size() << " entries)\n";
    }
    for (const Record& r : records_) {
        plan_ << "  info/" << r.name << ": " << r.date << ", mtime " << r.st.st_mtim.tv_sec << "\n";
    }
}

void Round::run() {
    // The stamps the empty will compare, as they are before it begins.
    for (Object& o : objects_) ::lstat(o.path.c_str(), &o.st);
    for (Record& r : records_) ::lstat(infoPath(r.name).c_str(), &r.st);
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        Object& o = objects_[i];
        o.atStart = o.inTrash;
        o.record = o.inTrash && !o.leftover ? currentRecord(o.name) : -1;
        if (o.record >= 0) records_[o.record].item = static_cast<int>(i);
    }
    loadZone(zone_ = emptyZone_);
    zones_ = {emptyZone_};
    EmptyOptions options;
    options.keepSeconds = floor_;
    options.clockStep = [&] {
        if (began_ && chance(0.01)) act(Hook::Clock, "", 1);
        return step_;
    };
    options.beforeListing = [&] {
        beganBy_ = clockNow(CLOCK_REALTIME);
        began_ = true;
        act(Hook::BeforeListing, "", pick(0, 2));
    };
    options.afterSnapshot = [&] {
        for (const auto& e : std::filesystem::directory_iterator(trash_ + "/files")) {
            if (const int o = occupant(e.path().filename()); o >= 0) objects_[o].listed = true;
        }
        act(Hook::AfterSnapshot, "", pick(0, 3));
    };
    options.itemChecked = [&](std::string_view item) {
        const std::string name(item);
        // A change it had to see (judged once the dates can be read in every zone).
        const int o = occupant(name), r = currentRecord(name);
        if ((o >= 0 && objects_[o].touched) || (r >= 0 && !records_[r].atStart)) {
            mustSee_[name] = records_.size();
        }
        act(Hook::ItemChecked, "/files/" + name, chance(0.3));
    };
    options.folderTaken = [&](std::string_view item) {
        act(Hook::FolderTaken, "/files/" + std::string(item), chance(0.3));
    };
    // The name in files/ (or expunged/) of what a batch works on; deep in a chain, at its bottom.
    options.removalBatch = [&](std::string_view directory) {
        for (const std::string part : {"/files/", "/expunged/"}) {
            if (!directory.starts_with(trash_ + part)) continue;
            const std::string_view rest = directory.substr(trash_.size() + part.size());
            const std::string inFlight = part + std::string(rest.substr(0, rest.find('/')));
            const auto depth = std::count(rest.begin(), rest.end(), '/');
            const Object* o = inFlightObject(inFlight);
            const bool out = o && depth > kBatch && o->depth == depth && chance(0.7);
            act(Hook::RemovalBatch, inFlight, out ? 1 : chance(0.2), out);
        }
    };
    before_ = clockNow(CLOCK_REALTIME);
    coarseBefore_ = clockNow(CLOCK_REALTIME_COARSE);
    const int fd = ::open(trash_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    ok_ = emptyTrashDirectory(fd, trash_, log_, options, &place_);
    ::close(fd);
}

// `times` actions at `hook` while the empty works on `inFlight` ("/files/<name>" or
// "/expunged/<name>"), or a deep chain's bottom moved out. What the empty has checked and is
// about to act on is left alone, as nothing can tell a file replaced between a look and an
// unlink; a folder is moved before it is removed, so another may take its name then.
void Round::act(Hook hook, const std::string& inFlight, std::int64_t times, bool moveOutNow) {
    hook_ = hook;
    inFlight_ = inFlight;
    own_ = inFlight.starts_with("/files/") ? inFlight.substr(7) : "";
    while (times-- > 0) {
        std::vector<std::string> inFiles;
        for (const Object& o : objects_) {
            if (o.path == filesPath(o.name) && test::exists(o.path)) inFiles.push_back(o.name);
        }
        target_ = inFiles.empty() ? own_ : inFiles[pick(0, inFiles.size() - 1)];
        std::int64_t total = 0;
        for (const Action& a : kActions) total += a.hooks & bit(hook) ? a.weight : 0;
        std::int64_t roll = pick(0, total - 1);
        const auto chosen = std::find_if(std::begin(kActions), std::end(kActions), [&](auto& a) {
            return (a.hooks & bit(hook)) && (roll -= a.weight) < 0;
        });
        const std::string did = moveOutNow ? moveOut() : (this->*chosen->run)();
        if (!did.empty())
            plan_ << kHookNames[static_cast<int>(hook)] << inFlight << ": " << did << "\n";
    }
}

// The user restores an item: it leaves files/, then its record goes.
bool Round::takeOut(const std::string& name) {
    const int o = occupant(name);
    const std::string to = outside_ + "/" + fresh("restored");
    if (o < 0 || std::rename(filesPath(name).c_str(), to.c_str()) != 0) return false;
    objects_[o].path = to;
    objects_[o].inTrash = false;
    if (const int r = currentRecord(name); r >= 0) {
        std::filesystem::remove(infoPath(name));
        records_[r].replaced = true;
    }
    return true;
}

std::string Round::restore() {
    return takeOut(target_) ? "restored files/" + target_ : "";
}

// Restored and trashed again under its name with a new record: the same item, or another. Where
// the empty has checked the item (its own), another, and a folder unless a folder was there.
std::string Round::again() {
    const std::string name = !own_.empty() && chance(0.4) ? own_ : target_;
    const bool own = name == own_;
    const int o = occupant(name);
    if (o < 0 || (own && hook_ != Hook::ItemChecked)) return {};
    const bool same = !own && chance(0.5);
    const int kind = own && !objects_[o].folder ? 2 : static_cast<int>(pick(0, 2));
    if (!takeOut(name)) return {};
    objects_[o].replacedAtCheck = own;
    writeRecord(name, recently(), chance(0.5));
    if (same) {
        std::rename(objects_[o].path.c_str(), filesPath(name).c_str());
        objects_[o].path = filesPath(name);
        objects_[o].inTrash = objects_[o].touched = true;
    } else {
        addObject(name, filesPath(name), kind);
    }
    return "trashed files/" + name + (same ? " again" : " anew");
}

// Renamed in the trash, record and all.
std::string Round::rename() {
    const int o = occupant(target_), r = currentRecord(target_);
    const std::string to = fresh("renamed");
    if (o < 0 || std::rename(filesPath(target_).c_str(), filesPath(to).c_str()) != 0) return {};
    objects_[o].name = to;
    objects_[o].path = filesPath(to);
    objects_[o].touched = true;
    if (r >= 0) {
        std::rename(infoPath(target_).c_str(), infoPath(to).c_str());
        records_[r].replaced = true;
        records_.push_back(records_[r]);
        records_.back().name = to;
        records_.back().replaced = records_.back().atStart = false;
    }
    return "renamed files/" + target_ + " to " + to;
}

// Its record written anew with another date.
std::string Round::rewrite() {
    const int o = occupant(target_), r = currentRecord(target_);
    if (o < 0 || r < 0 || target_ == own_) return {};
    records_[r].replaced = objects_[o].touched = true;
    const int written = writeRecord(target_, now() - pick(-kDay, 90 * kDay), chance(0.7));
    return "rewrote info/" + target_ + ": " + records_[written].date;
}

// A record with no item: a trashing program writes it anew, and may then move its item in.
std::string Round::rewriteOrphan() {
    std::vector<int> orphans;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const Record& r = records_[i];
        if (!r.replaced && r.item < 0 && occupant(r.name) < 0) orphans.push_back(i);
    }
    if (orphans.empty()) return {};
    const int r = orphans[pick(0, orphans.size() - 1)];
    records_[r].replaced = true;
    const std::string name = records_[r].name;
    std::string did = "rewrote orphan info/" + name + ": " +
                      records_[writeRecord(name, recently(), chance(0.5))].date;
    if (!chance(0.5)) return did;
    addObject(name, filesPath(name), static_cast<int>(pick(0, 2)));
    return did + ", then its item came";
}

std::string Round::stepClock() {
    const std::int64_t steps[] = {-40 * kDay, -kDay, -kHour, -kMinute, 0,
                                  kMinute,    kHour, kDay,   40 * kDay};
    step_ = steps[pick(0, std::size(steps) - 1)] * kSecond;
    stepped_ = true;
    return "clock stepped by " + std::to_string(step_ / kSecond) + " s";
}

std::string Round::changeZone() {
    loadZone(zone_ = anyZone());
    zones_.insert(zone_);
    return "zone " + zone_;
}

// A new item trashed, or another empty's leftover put into expunged/ (not before it is listed:
// what is in it is being removed by whoever put it there).
std::string Round::newItem() {
    const std::string name = fresh("new");
    const int kind = static_cast<int>(pick(0, 2));
    if (hook_ != Hook::BeforeListing && chance(0.1)) {
        objects_[addObject(name, trash_ + "/expunged/" + name, kind)].leftover = true;
    } else {
        writeRecord(name, recently(), chance(0.5));
        addObject(name, filesPath(name), kind);
    }
    return "new " + name;
}

// The item of a record written before the empty began arrives.
std::string Round::arrive() {
    std::vector<int> waiting;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const Record& r = records_[i];
        if (r.atStart && r.item < 0 && !r.arrived && !r.replaced) waiting.push_back(i);
    }
    if (waiting.empty()) return {};
    Record& r = records_[waiting[pick(0, waiting.size() - 1)]];
    if (occupant(r.name) >= 0) return {};
    r.arrived = true;
    r.arrivedEarly = hook_ == Hook::BeforeListing || hook_ == Hook::AfterSnapshot;
    const std::string name = r.name;
    addObject(name, filesPath(name), static_cast<int>(pick(0, 2)));
    return "arrived files/" + name;
}

// Someone takes the folder being removed out of expunged/.
std::string Round::moveOut() {
    Object* o = inFlightObject(inFlight_);
    std::error_code error;
    for (const auto& e : std::filesystem::directory_iterator(trash_ + "/expunged", error)) {
        struct stat st;
        if (!o || ::lstat(e.path().c_str(), &st) != 0 || st.st_ino != o->st.st_ino) continue;
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
        return r.form == Form::Unreadable ||
               std::any_of(zones_.begin(), zones_.end(), [&](const std::string& zone) {
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
        if (r.form == Form::Unreadable) return false;
        const std::int64_t deleted = std::max(readings[o.record][emptyZone_], ns(r.st.st_mtim));
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
                           std::any_of(records_.begin(), records_.end(), [&](const Record& r) {
                               return r.name == name && r.path == i.originalPath;
                           }));
               });
    };

    std::size_t removed = 0, movedOut = 0;
    for (const Object& o : objects_) {
        const Tree now = scan(o.path);
        if (o.movedOut) {
            movedOut += 1;
            if (!within(o.held, o.tree) || !within(now, o.held) ||
                o.held.size() - now.size() > kBatch) {
                bad << shown(o.path) << ": held " << o.held.size() << " entries when moved out of "
                    << "expunged/, " << now.size() << " now\n";
            }
        } else if (now == o.tree) {
            if (mustGo(o)) bad << shown(o.path) << ": untouched and old enough, yet kept\n";
        } else if (!within(now, o.tree)) {
            bad << shown(o.path) << ": changed, not only removed\n";
        } else {
            const char* why = !o.inTrash     ? "outside the trash"
                              : !o.atStart   ? "it came after the empty began"
                              : o.touched    ? "it changed after the empty began"
                              : o.leftover   ? nullptr
                              : oldEnough(o) ? nullptr
                                             : "deleted too recently";
            if (why)
                bad << shown(o.path) << (now.empty() ? ": removed, " : ": partly removed, ") << why
                    << "\n";
            removed += now.empty() && o.listed && !o.leftover && o.path == filesPath(o.name);
        }
        // Taking a folder, it found another in its place: that stays and is named as kept.
        if (!o.replacedAtCheck) continue;
        Object checked = o;
        checked.inTrash = true;
        if (mustGo(checked) && !namedKept(o.name, false)) {
            bad << "/Trash/files/" << o.name
                << ": trashed anew as it was taken, not named as kept\n";
        }
    }
    for (const Record& r : records_) {
        const std::string where = "/Trash/info/" + r.name + ".trashinfo";
        if (r.replaced) continue;
        if (test::exists(infoPath(r.name))) {
            if (test::readFile(infoPath(r.name)) != r.text) bad << where << ": changed\n";
            // A record written a moment before may be one whose item is on its way in.
            if (r.atStart && r.item < 0 && !r.arrived && quiet && settled(r.st.st_ctim) &&
                settled(r.st.st_mtim)) {
                bad << where << ": an orphan, kept\n";
            }
        } else if (!r.atStart || r.arrivedEarly ||
                   (r.item >= 0 && objects_[r.item].path == filesPath(r.name) &&
                    test::exists(filesPath(r.name)))) {
            bad << where << ": removed, though "
                << (r.atStart ? "its item stays" : "written during the empty") << "\n";
        }
    }
    // What it was bound to see changed is named as kept, unless a date it read said too recent.
    for (const auto& [name, written] : mustSee_) {
        bool datesOld = true;
        for (std::size_t i = 0; i < written; ++i) {
            if (records_[i].name != name || records_[i].form == Form::Unreadable) continue;
            for (const auto& [zone, moment] : readings[i]) datesOld &= before_ - moment >= floor;
        }
        if ((floor_ == 0 || datesOld) && !namedKept(name, true)) {
            bad << "/Trash/files/" << name
                << ": changed before it was checked, not named as kept\n";
        }
    }
    // Nothing is left in expunged/ but what came after it was listed.
    for (const auto& e : std::filesystem::directory_iterator(trash_ + "/expunged")) {
        if (std::none_of(objects_.begin(), objects_.end(), [&](const Object& o) {
                return o.path == e.path().string() && !o.atStart;
            })) {
            bad << shown(e.path()) << ": left behind\n";
        }
    }
    // A folder moved out of expunged/ may be emptied there and counted as removed.
    if (place_.removed < removed || place_.removed > removed + movedOut)
        bad << "reported " << place_.removed << " items removed, " << removed << " went\n";
    if (!ok_ && movedOut == 0) bad << "reported a failure where nothing failed\n";
    if (bad.str().empty()) return {};
    return "plan seed " + std::to_string(seed_) +
           " (rerun alone: TIDEWELL_FUZZ_SEED=" + std::to_string(seed_) +
           " TIDEWELL_FUZZ_PLANS=1)\n" + plan_.str() + "went wrong:\n" + bad.str();
}

TEST(TrashEmptyRandom, RemovesOnlyWhatWasThereUnchangedAndOldEnoughAndNothingOutside) {
    const char* tz = std::getenv("TZ");
    const std::optional<std::string> savedZone = tz ? std::optional<std::string>(tz) : std::nullopt;
    const char* seedText = std::getenv("TIDEWELL_FUZZ_SEED");
    const char* plansText = std::getenv("TIDEWELL_FUZZ_PLANS");
    const std::uint64_t first =
        seedText ? std::strtoull(seedText, nullptr, 10) : std::random_device{}();
    const int plans = plansText ? std::atoi(plansText) : 150;
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
        if (const std::string wrong = round->judge(); !wrong.empty()) {
            ADD_FAILURE() << "after " << i + 1 << " plans, " << wrong;
            break;
        }
    }
    if (savedZone) {
        ::setenv("TZ", savedZone->c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}

}  // namespace
}  // namespace tw::linux_platform
