#include "fakes/fakes.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

#include "runtime/calendar.h"
#include "runtime/errors.h"

namespace tw::test {

namespace {

void moveWallClock(LocalDateTime& t, double seconds) {
    const std::int64_t total =
        CalendarSeconds(DateOf(t), TimeOf(t)) + static_cast<std::int64_t>(std::floor(seconds));
    const std::int64_t days = total >= 0 ? total / 86400 : (total - 86399) / 86400;
    const std::int64_t rest = total - days * 86400;
    const CivilDate d = CivilFromDays(days);
    t = {d.year, d.month, d.day, int(rest / 3600), int(rest / 60 % 60), int(rest % 60)};
}

std::string fullKey(const std::string& a, const std::string& s, const std::string& k) {
    return a + "/" + s + "/" + k;
}

}  // namespace

void FakeClock::advance(double seconds) {
    moveWallClock(now_, seconds);
    monotonic_ += seconds;
    boot_ += seconds;
}

void FakeClock::suspend(double seconds) {
    moveWallClock(now_, seconds);
    boot_ += seconds;
}

void FakePump::processEvents() {
    ++processed;
    while (!pending.empty()) {
        auto next = std::move(pending.front());
        pending.pop_front();
        next();
    }
}

void FakePump::waitForEvents(double seconds) {
    if (clock) clock->advance(seconds > 0.25 ? 0.25 : seconds);
    processEvents();
}

MsgAnswer ScriptedMessageBox::show(const std::string& text, const std::string& title,
                                   MsgButtons buttons, MsgIcon icon) {
    shown.push_back({text, title, buttons, icon});
    if (whileOpen) {
        auto action = std::move(whileOpen);
        whileOpen = nullptr;
        action();
    }
    MsgAnswer answer = buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    return answer;
}

std::optional<std::string> MemorySettings::read(const std::string& application,
                                                const std::string& section,
                                                const std::string& key) {
    const auto it = values.find(fullKey(application, section, key));
    if (it == values.end()) return std::nullopt;
    return it->second;
}

void MemorySettings::write(const std::string& application, const std::string& section,
                           const std::string& key, const std::string& value) {
    values[fullKey(application, section, key)] = value;
    writes.emplace_back(key, value);
}

std::string MemorySettings::get(const std::string& key) const {
    const auto it = values.find(fullKey("Quendra", "Tidewell", key));
    return it == values.end() ? "<missing>" : it->second;
}

void MemorySettings::put(const std::string& key, const std::string& value) {
    values[fullKey("Quendra", "Tidewell", key)] = value;
}

std::uint32_t FakeRecycleBinShell::getLogicalDriveStrings(std::uint32_t bufferLength,
                                                          char* buffer) {
    calls.push_back("list " + std::to_string(bufferLength));
    if (throwOnList) throw std::runtime_error("drive list failed");
    std::string list;
    for (const Drive& d : drives) list += d.root + '\0';
    if (list.size() + 1 > bufferLength) return static_cast<std::uint32_t>(list.size() + 1);
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<std::uint32_t>(list.size());
}

DriveType FakeRecycleBinShell::getDriveType(const std::string& rootPath) {
    calls.push_back("type " + rootPath);
    for (const Drive& d : drives) {
        if (d.root == rootPath) return d.type;
    }
    return DriveType::NoRootDir;
}

std::int32_t FakeRecycleBinShell::queryRecycleBin(const std::string& rootPath,
                                                  RecycleBinQuery& query) {
    calls.push_back("query " + rootPath);
    for (const Drive& d : drives) {
        if (d.root == rootPath) {
            query.itemsLow = static_cast<std::int32_t>(d.items & 0xFFFFFFFF);
            query.itemsHigh = static_cast<std::int32_t>(d.items >> 32);
        }
    }
    return kShellOk;
}

std::int32_t FakeRecycleBinShell::emptyRecycleBin(WindowHandle owner, const char* rootPath,
                                                  std::uint32_t flags, const EmptyOrder& order,
                                                  EmptyReport& report) {
    calls.push_back(std::string("empty ") + (rootPath ? rootPath : "all") + " " +
                    std::to_string(flags));
    emptyOwners.push_back(owner);
    emptyKeepSeconds.push_back(order.keepSeconds);
    emptyLimits.push_back(order.limitBytes);
    report.places.insert(report.places.end(), reportToGive.places.begin(),
                         reportToGive.places.end());
    if (throwOnEmpty) throw std::runtime_error("the disk went away");
    if (emptyResult == kShellOk) {
        for (Drive& d : drives) d.items = 0;
    }
    return emptyResult;
}

void FakeRecycleBinShell::updateRecycleBinIcon() {
    calls.push_back("icon");
}

TrashMeasure FakeRecycleBinShell::measureBins(std::int64_t keepSeconds) {
    calls.push_back("measure");
    measureKeepSeconds.push_back(keepSeconds);
    return measureToGive;
}

void FakeRecycleBinShell::measureBinsLater(std::int64_t keepSeconds,
                                           std::function<void(const TrashMeasure&)> done) {
    measuresWaiting.push_back([this, keepSeconds, done] { done(measureBins(keepSeconds)); });
}

bool MemoryStartAtLogin::add(const std::string& name, const std::string& path, std::string& error) {
    if (failing) {
        error = "Permission denied";
        return false;
    }
    entries[name] = path;
    return true;
}

bool MemoryStartAtLogin::remove(const std::string& name, std::string& error) {
    if (failing) {
        error = "Permission denied";
        return false;
    }
    entries.erase(name);
    return true;
}

std::vector<std::string> FakeFiles::listFiles(const std::string& dir, const std::string& pattern) {
    // The program asks for one plain name; a wildcard here would need a matcher the fake lacks.
    if (pattern.find_first_of("*?[") != std::string::npos) {
        throw std::invalid_argument("FakeFiles: wildcard patterns are not supported");
    }
    std::vector<std::string> names;
    for (const std::string& path : existing) {
        const std::size_t slash = path.rfind('/');
        if (path.substr(0, slash) == dir && path.substr(slash + 1) == pattern) {
            names.push_back(path.substr(slash + 1));
        }
    }
    return names;
}

std::optional<long long> FakeFiles::modificationTime(const std::string& path) {
    if (path == ownExecutablePath()) return 1700000000LL;  // the running program is there
    for (const std::string& p : existing) {
        if (p == path) return 1700000000LL;
    }
    return std::nullopt;
}

void RecordingSkin::loadSkin(const std::string& path, const std::string& ini) {
    calls.push_back("load " + path + " [" + ini + "]");
    if (failLoad) throw std::runtime_error("Skin file could not be loaded");
}

void RecordingSkin::setApplyOptions(std::int32_t value) {
    options = value;
    calls.push_back("options " + std::to_string(value));
}

void RecordingSkin::setOption(int id, bool value) {
    calls.push_back("option " + std::to_string(id) + (value ? " true" : " false"));
}

void RecordingSkin::applyWindow(WindowHandle window) {
    calls.push_back("apply " + std::to_string(window));
}

void FakeCursors::loadCursor(const std::string& path) {
    if (fail) throw AppError(481, "Invalid picture");
    loaded.push_back(path);
}

Harness::Harness() {
    pump.clock = &clock;
}

Form1& Harness::make() {
    form = std::make_unique<Form1>(Services{clock, pump, boxes, settings, locale, shell, tray, hook,
                                            startAtLogin, files, instance, skin, cursors, lifetime,
                                            journal, viewer});
    return *form;
}

}  // namespace tw::test
