// The settings store on disk: QSettings' file under the user's configuration folder.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <vector>

#include "fork_child.h"
#include "platform/qt/qt_settings_store.h"

namespace tw::qt_platform {
namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

// Each test has its own configuration folder, so QSettings' cache of files never carries
// one test's contents into another.
struct SettingsOnDisk : ::testing::Test {
    QTemporaryDir config;
    QString file = config.filePath("Quendra/Tidewell.conf");
    std::vector<std::string> told;
    QtSettingsStore store{[this](const std::string& message) { told.push_back(message); },
                          config.path()};
    void SetUp() override { ASSERT_TRUE(config.isValid()); }
    std::optional<std::string> read(const std::string& key) {
        return store.read("Quendra", "Tidewell", key);
    }
    void write(const std::string& key, const std::string& value) {
        store.write("Quendra", "Tidewell", key, value);
    }
};

TEST_F(SettingsOnDisk, ValuesRoundTripThroughTheFileWhateverTheyHold) {
    EXPECT_EQ(read("Weekly Time"), std::nullopt);
    const std::vector<std::pair<std::string, std::string>> values{
        {"Weekly Time", "10:30:00 PM"},
        {"Text11", ""},
        {"Text2", " 1,5 "},
        {"Text3", "a;b=c \"quoted\" back\\slash"},
        {"Weekly", "@Variant(not one)"},
        {"Minimized",
         "Stra\xc3\x9f"
         "e\nzwei"},
    };
    for (const auto& [key, value] : values) write(key, value);
    ASSERT_TRUE(QFile::exists(file)) << "saved at once, under <application>/<section>.conf";
    const QByteArray text = readAll(file);
    EXPECT_TRUE(text.contains("[Tidewell]"));
    EXPECT_TRUE(text.contains("Weekly%20Time=")) << text.constData();

    // A second store reads the file afresh.
    QtSettingsStore again({}, config.path());
    for (const auto& [key, value] : values) {
        EXPECT_EQ(again.read("Quendra", "Tidewell", key), value) << key;
    }
}

TEST_F(SettingsOnDisk, AHandWrittenKeyWithABlankIsFound) {
    writeAll(file, "[Tidewell]\nWeekly Time=22:00:00\nText11=1, 2\n");
    EXPECT_EQ(read("Weekly Time"), "22:00:00");
    EXPECT_EQ(read("Text11"), "1,2") << "unquoted commas make a list; it reads as one text";
}

// What is not our settings file is never read whole, never rewritten in our format and never
// waited on: it is set aside as it was, a link (never followed) as a link, and the settings
// start afresh.
TEST_F(SettingsOnDisk, WhatIsNotOurSettingsFileIsSetAsideWholeAndToldOnce) {
    const QString passwd = config.filePath("passwd");
    writeAll(passwd, "root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1::/usr/sbin:/bin/sh\n");
    const QString dotfile = config.filePath("dotfiles/tidewell.conf");
    writeAll(dotfile, "[Tidewell]\nText11=5\n");
    const QString nowhere = config.filePath("nowhere.conf");
    QByteArray random;
    for (int i = 0; i < 4096; ++i) random += char((i * 7919 + 13) % 251);
    struct Case {
        const char* name;
        std::function<void()> make;
    };
    const std::vector<Case> cases{
        {"a link to another program's file", [&] { QFile::link(passwd, file); }},
        // Written through, a link would have its target rewritten wherever it lies.
        {"a link to a settings file elsewhere", [&] { QFile::link(dotfile, file); }},
        {"a link to nowhere", [&] { QFile::link(nowhere, file); }},
        {"random bytes", [&] { writeAll(file, random); }},
        {"another program's settings", [&] { writeAll(file, "[core]\neditor=vi\n"); }},
        {"ours with a line that can't be read",
         [&] { writeAll(file, "[Tidewell]\nText11=5\nText2 is seven\n"); }},
        {"ours with a header cut short", [&] { writeAll(file, "[Tidewell\nText11=5\n"); }},
        {"a FIFO", [&] { ASSERT_EQ(mkfifo(QFile::encodeName(file).constData(), 0600), 0); }},
        {"a file far too large",
         [&] { writeAll(file, "[Tidewell]\nText2=" + QByteArray(2 << 20, '7') + "\n"); }},
    };
    // What each earlier case set aside stays beside the file.
    const auto setAside = [&] {
        return QDir(QFileInfo(file).path())
            .entryList({QFileInfo(file).fileName() + ".damaged*"}, QDir::AllEntries | QDir::System);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir().mkpath(QFileInfo(file).path());
        c.make();
        const bool wasLink = QFileInfo(file).isSymLink();
        const qint64 size = QFileInfo(file).size();
        const QStringList before = setAside();
        told.clear();
        QtSettingsStore fresh([&](const std::string& m) { told.push_back(m); }, config.path());
        // In a child that a FIFO's open could hang: the alarm ends it.
        const int result = test::runInChild([&] {
            alarm(20);
            if (fresh.read("Quendra", "Tidewell", "Text11")) return 1;
            fresh.write("Quendra", "Tidewell", "Text11", "6");
            if (fresh.read("Quendra", "Tidewell", "Text11") != "6") return 2;
            return told.size() == 1 ? 0 : 3;
        });
        EXPECT_EQ(result, 0);
        QStringList added = setAside();
        for (const QString& earlier : before) EXPECT_TRUE(added.removeOne(earlier));
        ASSERT_EQ(added.size(), 1);
        const QFileInfo aside(QFileInfo(file).dir().filePath(added[0]));
        EXPECT_EQ(aside.isSymLink(), wasLink);
        EXPECT_EQ(aside.size(), size);
        EXPECT_TRUE(readAll(passwd).startsWith("root:x:0:0")) << "a link's target is untouched";
        EXPECT_EQ(readAll(dotfile), "[Tidewell]\nText11=5\n");
        EXPECT_FALSE(QFileInfo::exists(nowhere));
        QFile::remove(file);
    }
    for (const QString& name : setAside()) QFile::remove(QFileInfo(file).dir().filePath(name));
    // Ours, with what else the user or another tool put there, which stays.
    for (const char* text : {"# written by hand\n[Tidewell]\nText11=5\n",
                             "stray=1\n[core]\neditor=vi\n\n[Tidewell]\nText11=5\n"}) {
        SCOPED_TRACE(text);
        writeAll(file, text);
        told.clear();
        QtSettingsStore fresh([&](const std::string& m) { told.push_back(m); }, config.path());
        EXPECT_EQ(fresh.read("Quendra", "Tidewell", "Text11"), "5");
        fresh.write("Quendra", "Tidewell", "Text11", "6");
        EXPECT_TRUE(told.empty());
        EXPECT_FALSE(QFileInfo::exists(file + ".damaged"));
        QSettings kept(file, QSettings::IniFormat);
        EXPECT_EQ(kept.value("Tidewell/Text11").toString(), "6");
        if (QByteArray(text).contains("core")) {
            EXPECT_EQ(kept.value("core/editor").toString(), "vi");
            EXPECT_EQ(kept.value("stray").toString(), "1");
        }
    }
}

// A folder at the file's path, or a folder the user may not write: the user is told once,
// the previous file stays whole and the program goes on with what the user chose.
TEST_F(SettingsOnDisk, AStoreThatCantBeWrittenIsToldOnceAndKeepsThePreviousFile) {
    ASSERT_TRUE(QDir().mkpath(file));
    write("Text11", "5");
    write("Text2", "6");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("could not save the setting \"Text11\""), std::string::npos);
    ASSERT_TRUE(QDir().rmdir(file));
    ASSERT_TRUE(QDir().rmdir(QFileInfo(file).path()));

    ASSERT_EQ(chown(QFile::encodeName(config.path()).constData(), test::kNobody, test::kNobody), 0);
    told.clear();
    QtSettingsStore other([&](const std::string& m) { told.push_back(m); }, config.path());
    const auto write = [&](const char* key, const char* value) {
        other.write("Quendra", "Tidewell", key, value);
    };
    const int result = test::runInChild(
        [&] {
            write("Text11", "5");
            if (!QFile::exists(file) || !told.empty()) return 1;
            const QByteArray before = readAll(file);
            const QString folder = QFileInfo(file).path();
            if (chmod(QFile::encodeName(folder).constData(), 0555) != 0) return 2;
            write("Text11", "6");
            write("Text2", "7");
            if (readAll(file) != before) return 4;  // the old file is whole
            if (told.size() != 1) return 5;
            if (told[0].find("Tidewell.conf") == std::string::npos) return 6;
            // The program goes on with what the user chose.
            if (other.read("Quendra", "Tidewell", "Text11") != "6") return 7;
            return 0;
        },
        true);
    EXPECT_EQ(result, 0);

    // A link that can't be set aside in that folder is neither read nor written through.
    const QString dotfile = config.filePath("dotfiles/tidewell.conf");
    writeAll(dotfile, "[Tidewell]\nText11=5\n");
    const QByteArray dotfolder = QFile::encodeName(QFileInfo(dotfile).path());
    ASSERT_EQ(chown(dotfolder.constData(), test::kNobody, test::kNobody), 0);
    ASSERT_EQ(chown(QFile::encodeName(dotfile).constData(), test::kNobody, test::kNobody), 0);
    QFile::remove(file);
    ASSERT_TRUE(QFile::link(dotfile, file));
    told.clear();
    QtSettingsStore linked([&](const std::string& m) { told.push_back(m); }, config.path());
    EXPECT_EQ(test::runInChild(
                  [&] {
                      if (linked.read("Quendra", "Tidewell", "Text11")) return 1;
                      linked.write("Quendra", "Tidewell", "Text11", "6");
                      return told.size() == 1 ? 0 : 2;
                  },
                  true),
              0);
    EXPECT_EQ(readAll(dotfile), "[Tidewell]\nText11=5\n");
    EXPECT_TRUE(QFileInfo(file).isSymLink());
}

}  // namespace
}  // namespace tw::qt_platform
