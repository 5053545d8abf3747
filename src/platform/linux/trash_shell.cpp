#include "platform/linux/trash_shell.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "platform/linux/trash_count.h"
#include "platform/linux/trash_dirs.h"
#include "platform/linux/trash_empty.h"
#include "platform/linux/trash_limit.h"
#include "platform/linux/trash_sizing.h"

namespace tw::linux_platform {

namespace {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string homeFromPasswordDatabase(uid_t uid) {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry;
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir) {
        return found->pw_dir;
    }
    return {};
}

}  // namespace

ShellEnvironment ShellEnvironment::current() {
    ShellEnvironment env;
    env.uid = ::geteuid();
    env.home = environmentValue("HOME");
    if (env.home.empty()) env.home = homeFromPasswordDatabase(env.uid);
    env.xdgDataHome = environmentValue("XDG_DATA_HOME");
    return env;
}

LinuxRecycleBinShell::LinuxRecycleBinShell()
    : LinuxRecycleBinShell(ShellEnvironment::current(), [](const std::string& line) {
          std::fprintf(stderr, "%s\n", line.c_str());
      }) {}

LinuxRecycleBinShell::LinuxRecycleBinShell(ShellEnvironment environment, ErrorSink errors)
    : env_(std::move(environment)),
      homeTrash_(homeTrashPath(env_.home, env_.xdgDataHome)),
      errors_(std::move(errors)) {}

// Read again on every call: drives come and go while the program runs.
MountTable LinuxRecycleBinShell::mounts() const {
    return MountTable::load(env_.mountInfoPath, env_.sysfsRoot);
}

std::uint32_t LinuxRecycleBinShell::getLogicalDriveStrings(std::uint32_t bufferLength,
                                                           char* buffer) {
    const MountTable table = mounts();
    std::string list;
    for (const Mount* m : table.drives()) {
        list += m->entry.mountPoint;
        list += '\0';
    }
    const std::size_t needed = list.size() + 1;  // with the closing NUL
    if (needed > bufferLength || buffer == nullptr) return static_cast<std::uint32_t>(needed);
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<std::uint32_t>(list.size());
}

DriveType LinuxRecycleBinShell::getDriveType(const std::string& rootPath) {
    MountTable table = mounts();
    const Mount* mount = table.drive(rootPath);
    return mount ? mount->type : DriveType::NoRootDir;
}

std::int32_t LinuxRecycleBinShell::queryRecycleBin(const std::string& rootPath,
                                                   RecycleBinQuery& query) {
    if (query.cbSize != sizeof(RecycleBinQuery)) return kShellFail;
    query.sizeLow = query.sizeHigh = query.itemsLow = query.itemsHigh = 0;
    MountTable table = mounts();
    const Mount* mount = table.drive(rootPath);
    if (!mount) return kShellFail;

    std::int64_t items = 0;
    bool seen = true;
    for (const TrashDirectory& trash : openTrashDirectories(table, *mount, homeTrash_, env_.uid)) {
        std::optional<std::int64_t> count;
        if (trash.fd) count = countTrashItems(trash.fd.get());
        // A trash that can't be read counts as one item: never report as empty what may
        // not be, and let the empty say what it could not do.
        items += count.value_or(1);
        seen &= count.has_value();
    }
    const auto bits = static_cast<std::uint64_t>(items);
    query.itemsLow = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
    query.itemsHigh = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits >> 32));
    return seen ? kShellOk : kShellFail;
}

std::vector<TrashDirectory> LinuxRecycleBinShell::trashDirectories(
    const MountTable& table, const char* rootPath, std::vector<TrashDirectory>& failed) const {
    std::vector<const Mount*> targets;
    if (rootPath) {
        if (const Mount* mount = table.drive(rootPath)) targets.push_back(mount);
    } else {
        for (const Mount* m : table.drives()) {
            if (holdsTrash(m->type)) targets.push_back(m);
        }
    }
    std::vector<TrashDirectory> trashes;
    std::set<std::pair<dev_t, ino_t>> seen;  // a bind mount shows the same trash twice
    for (const Mount* mount : targets) {
        for (TrashDirectory& trash : openTrashDirectories(table, *mount, homeTrash_, env_.uid)) {
            if (!trash.fd) {
                failed.push_back(std::move(trash));
            } else if (seen.insert({trash.dev, trash.ino}).second) {
                trashes.push_back(std::move(trash));
            }
        }
    }
    return trashes;
}

std::int32_t LinuxRecycleBinShell::emptyRecycleBin(WindowHandle, const char* rootPath,
                                                   std::uint32_t, const EmptyOrder& order,
                                                   EmptyReport& report) {
    MountTable table = mounts();
    if (rootPath) {
        const Mount* mount = table.drive(rootPath);
        // A drive without a bin of ours has nothing we could vouch for as emptied.
        if (!mount || !holdsTrash(mount->type)) return kShellFail;
    }

    RemoveLog log;
    bool complete = true;
    // Every trash directory is listed before anything is removed from any: one snapshot, so
    // that what is trashed on one drive while another is emptied stays.
    std::vector<TrashDirectory> failed;
    std::vector<TrashDirectory> trashes = trashDirectories(table, rootPath, failed);
    for (const TrashDirectory& trash : failed) {
        log.failure(trash.path, trash.error);
        complete = false;
        EmptyPlace& place = report.places.emplace_back();
        place.place = trash.path;
        place.addError(std::strerror(trash.error));
    }
    EmptyOptions listing = env_.emptySeams;
    listing.keepSeconds = order.keepSeconds;
    std::vector<TrashSnapshot> snapshots;
    snapshots.reserve(trashes.size());
    for (const TrashDirectory& trash : trashes) {
        snapshots.push_back(TrashSnapshot::take(trash.fd.get(), trash.path, log, listing));
    }
    // A size limit weighs all bins together and takes the oldest of all first: one cutoff
    // moment for every trash directory.
    std::optional<std::int64_t> cutoff;
    if (order.limitBytes != 0) {
        std::vector<AgedSize> removable;
        std::uint64_t total = 0;
        for (TrashSnapshot& snapshot : snapshots) snapshot.weigh(listing, removable, total);
        cutoff = limitCutoff(removable, total, order.limitBytes);
    }
    if (env_.emptySeams.afterSnapshot) env_.emptySeams.afterSnapshot();
    // The report names at most kMaxNamed of each kind, with what it named before.
    NamesLeft names;
    for (const EmptyPlace& place : report.places) {
        names.removed -= std::min(names.removed, place.removedItems.size());
        names.kept -= std::min(names.kept, place.keptItems.size());
    }
    for (std::size_t i = 0; i < trashes.size(); ++i) {
        EmptyOptions options = env_.emptySeams;
        options.keepSeconds = order.keepSeconds;
        options.deletedBy = cutoff;
        options.fencedMountPoints = table.mountPointsBelow(trashes[i].path);
        complete &= snapshots[i].empty(log, options, report.places.emplace_back(), names);
    }
    if (errors_) {
        for (const std::string& line : log.lines()) errors_("tidewell: " + line);
        if (log.count() > log.lines().size()) {
            errors_("tidewell: " + std::to_string(log.count() - log.lines().size()) +
                    " more entries were left in the trash");
        }
    }
    return complete ? kShellOk : kShellFail;
}

TrashMeasure LinuxRecycleBinShell::measureBins(std::int64_t keepSeconds) {
    TrashMeasure out;
    const EmptyStart start = EmptyStart::now(env_.emptySeams.clockStep);
    ::tzset();  // deletion dates are local times, in the zone as it is now
    const MountTable table = mounts();
    std::vector<TrashDirectory> failed;
    const std::vector<TrashDirectory> trashes = trashDirectories(table, nullptr, failed);
    for (const TrashDirectory& trash : failed) {
        if (!out.error.empty()) out.error += "; ";
        out.error += printable(trash.path) + ": " + std::strerror(trash.error);
    }
    std::map<std::pair<dev_t, ino_t>, DirectorySizes> used;
    for (const TrashDirectory& trash : trashes) {
        const std::pair<dev_t, ino_t> key(trash.dev, trash.ino);
        DirectorySizes before;
        {
            const std::lock_guard<std::mutex> lock(rememberedLock_);
            if (auto found = remembered_.find(key); found != remembered_.end()) {
                before = std::move(found->second);
            }
        }
        measureTrashDirectory(trash.fd.get(), trash.path, keepSeconds, start, &before, used[key],
                              out);
    }
    // What this measure used is what the next may need: the folders of trashes gone, and
    // those no longer trashed, are forgotten.
    const std::lock_guard<std::mutex> lock(rememberedLock_);
    remembered_ = std::move(used);
    return out;
}

}  // namespace tw::linux_platform
