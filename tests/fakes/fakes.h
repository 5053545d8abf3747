#pragma once

// Fakes of the platform services, and a harness that builds Form1 on them.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_notification_area.h"
#include "fakes/memory_journal.h"
#include "fakes/recording_viewer.h"
#include "platform/shared/window_table.h"

namespace tw::test {

// A clock the test sets and advances.
class FakeClock : public Clock {
  public:
    LocalDateTime now() const override { return now_; }
    double monotonicSeconds() const override { return monotonic_; }
    double bootSeconds() const override { return boot_; }
    void set(int y, int mo, int d, int h, int mi, int s) { now_ = {y, mo, d, h, mi, s}; }
    // Advances every clock by `seconds`; the wall clock moves by plain calendar arithmetic.
    void advance(double seconds);
    // Advances only the boot clock and the wall clock, as a suspend does.
    void suspend(double seconds);

  private:
    LocalDateTime now_{2026, 12, 7, 9, 0, 0};
    double monotonic_ = 1000.0;
    double boot_ = 1000.0;
};

class FakePump : public EventPump {
  public:
    void processEvents() override;
    void waitForEvents(double seconds) override;
    int processed = 0;
    // Runs once at the next processEvents or waitForEvents: a handler that "arrives".
    std::deque<std::function<void()>> pending;
    FakeClock* clock = nullptr;  // advanced by waitForEvents when set
};

struct ShownBox {
    std::string text;
    std::string title;
    MsgButtons buttons;
    MsgIcon icon;
};

// Records each box; answers Yes (or the queued answers) and can run an action while open.
class ScriptedMessageBox : public MessageBox {
  public:
    MsgAnswer show(const std::string& text, const std::string& title, MsgButtons buttons,
                   MsgIcon icon) override;
    std::vector<ShownBox> shown;
    std::deque<MsgAnswer> answers;
    std::function<void()> whileOpen;
};

class MemorySettings : public SettingsStore {
  public:
    std::optional<std::string> read(const std::string& application, const std::string& section,
                                    const std::string& key) override;
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;
    std::map<std::string, std::string> values;                // "application/section/key"
    std::vector<std::pair<std::string, std::string>> writes;  // key, value in order
    std::string get(const std::string& key) const;
    void put(const std::string& key, const std::string& value);
};

// A recycle-bin shell of several drives whose bins hold counts of items.
class FakeRecycleBinShell : public RecycleBinShell {
  public:
    struct Drive {
        std::string root;
        DriveType type;
        std::int64_t items;
    };
    std::vector<Drive> drives;
    std::int32_t emptyResult = kShellOk;
    bool throwOnList = false;
    EmptyReport reportToGive;        // what an empty adds to the report, before it ends
    bool throwOnEmpty = false;       // the empty fails half-way, after adding to the report
    std::vector<std::string> calls;  // "list <len>", "type <root>", "query <root>", "empty", "icon"
    std::vector<WindowHandle> emptyOwners;
    std::vector<std::int64_t> emptyKeepSeconds;  // each empty's age floor
    std::vector<std::uint64_t> emptyLimits;      // each empty's size limit
    TrashMeasure measureToGive;                  // what a measure finds
    // A measure asked for later waits here until the test runs it (as the host's worker ends).
    std::vector<std::function<void()>> measuresWaiting;
    std::vector<std::int64_t> measureKeepSeconds;  // each measure's floor

    std::uint32_t getLogicalDriveStrings(std::uint32_t bufferLength, char* buffer) override;
    DriveType getDriveType(const std::string& rootPath) override;
    std::int32_t queryRecycleBin(const std::string& rootPath, RecycleBinQuery& query) override;
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath, std::uint32_t flags,
                                 const EmptyOrder& order, EmptyReport& report) override;
    void updateRecycleBinIcon() override;
    TrashMeasure measureBins(std::int64_t keepSeconds) override;
    void measureBinsLater(std::int64_t keepSeconds,
                          std::function<void(const TrashMeasure&)> done) override;
};

class MemoryStartAtLogin : public StartAtLogin {
  public:
    bool add(const std::string& name, const std::string& path, std::string& error) override;
    bool remove(const std::string& name, std::string& error) override;
    std::optional<std::string> registeredProgram(const std::string& name) override {
        const auto it = entries.find(name);
        return it == entries.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    std::map<std::string, std::string> entries;  // name -> program
    bool failing = false;
};

class FakeFiles : public Files {
  public:
    std::string programFolder() override { return folder; }
    std::string ownExecutablePath() override { return folder + "/tidewell"; }
    std::string separator() override { return "/"; }
    std::vector<std::string> listFiles(const std::string& dir, const std::string& pattern) override;
    std::optional<long long> modificationTime(const std::string& path) override;
    std::string folder = "/opt/tidewell";
    std::vector<std::string> existing;  // full paths
};

class FakeInstance : public InstanceLock {
  public:
    bool anotherCopyRunning() override { return another; }
    bool another = false;
};

class RecordingSkin : public SkinEngine {
  public:
    void loadSkin(const std::string& path, const std::string& ini) override;
    std::int32_t applyOptions() override { return options; }
    void setApplyOptions(std::int32_t value) override;
    void setOption(int id, bool value) override;
    void applyWindow(WindowHandle window) override;
    std::vector<std::string> calls;
    std::int32_t options = 0;
    bool failLoad = false;
};

class FakeCursors : public CursorLoader {
  public:
    void loadCursor(const std::string& path) override;
    std::vector<std::string> loaded;
    bool fail = false;
};

class FakeLifetime : public Lifetime {
  public:
    void endProgram(int exitCode) override { ended.push_back(exitCode); }
    std::vector<int> ended;
};

// Every fake, and a Form1 built on them.
struct Harness {
    Harness();
    FakeClock clock;
    FakePump pump;
    ScriptedMessageBox boxes;
    MemorySettings settings;
    FakeLocale locale{"%m/%d/%Y", "%H:%M:%S", "."};
    FakeRecycleBinShell shell;
    FakeNotificationArea tray;
    WindowTable hook;
    MemoryStartAtLogin startAtLogin;
    FakeFiles files;
    FakeInstance instance;
    RecordingSkin skin;
    FakeCursors cursors;
    FakeLifetime lifetime;
    MemoryJournal journal;
    RecordingViewer viewer;
    std::unique_ptr<Form1> form;
    Form1& make();  // builds the form (after the test arranged the fakes)
};

}  // namespace tw::test
