// The settings store on disk: QSettings' file under the user's configuration folder.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

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
    QString file;
    QtSettingsStore store;
    void SetUp() override {
        ASSERT_TRUE(config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
        file = config.filePath("Quendra/Tidewell.conf");
    }
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
    QtSettingsStore again;
    for (const auto& [key, value] : values) {
        EXPECT_EQ(again.read("Quendra", "Tidewell", key), value) << key;
    }
}

TEST_F(SettingsOnDisk, AHandWrittenKeyWithABlankIsFound) {
    writeAll(file, "[Tidewell]\nWeekly Time=22:00:00\nText11=1, 2\n");
    EXPECT_EQ(read("Weekly Time"), "22:00:00");
    EXPECT_EQ(read("Text11"), "1,2") << "unquoted commas make a list; it reads as one text";
}

TEST_F(SettingsOnDisk, AGarbledFileNeverStopsTheProgram) {
    QByteArray junk("[Tidewell\n=\n\xff\xfe\x00\x01 = \x80\n@Variant(\x7f\x00\x00\x01garbage)\n");
    junk += "Text11=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5\\xff\\xff)\n";
    junk += QByteArray(70000, 'x');
    junk += "\n[Tidewell]\nText2=\"unterminated\nText3=@ByteArray(\n";
    writeAll(file, junk);
    for (const char* key : {"Text11", "Text2", "Text3", "Weekly Time", "StartStopState"}) {
        (void)read(key);  // anything or nothing, but no crash
    }
    write("StartStopState", "On");
    EXPECT_EQ(read("StartStopState"), "On");
    EXPECT_EQ(QtSettingsStore().read("Quendra", "Tidewell", "StartStopState"), "On");
    EXPECT_TRUE(readAll(file).contains("StartStopState=On")) << "saved despite the damage";
    // Saving drops what could not be read; the file as the user left it is kept aside.
    EXPECT_EQ(readAll(file + ".damaged"), junk);
}

TEST_F(SettingsOnDisk, AFolderThatCantBeWrittenKeepsThePreviousFileAndTheProgramRunning) {
    ASSERT_EQ(chown(QFile::encodeName(config.path()).constData(), test::kNobody, test::kNobody), 0);
    const std::string errors = (config.path() + "/stderr.txt").toStdString();
    const int result = test::runInChild(
        [&] {
            write("Text11", "5");
            if (!QFile::exists(file)) return 1;
            const QByteArray before = readAll(file);
            const QString folder = QFileInfo(file).path();
            if (chmod(QFile::encodeName(folder).constData(), 0555) != 0) return 2;
            if (!std::freopen(errors.c_str(), "w", stderr)) return 3;
            write("Text11", "6");
            write("Text2", "7");
            std::fflush(stderr);
            if (readAll(file) != before) return 4;  // the old file is whole
            // The program goes on with what the user chose.
            if (read("Text11") != "6") return 5;
            return 0;
        },
        true);
    EXPECT_EQ(result, 0);
    const QByteArray message = readAll(QString::fromStdString(errors));
    EXPECT_TRUE(message.contains("could not save the setting \"Text11\"")) << message.constData();
    EXPECT_TRUE(message.contains("Tidewell.conf")) << message.constData();
}

}  // namespace
}  // namespace tw::qt_platform
