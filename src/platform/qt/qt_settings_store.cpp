#include "platform/qt/qt_settings_store.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <cstdio>

#include "platform/qt/qt_units.h"

namespace tw::qt_platform {

namespace {

// A file that QSettings can't read whole is rewritten without its unreadable lines on the
// next save; keep a copy of it first, for whoever edited it by hand. QSettings tells only
// when it parses the file, the first time the file is opened after it changed on disk.
void keepDamagedCopy(const QSettings& settings) {
    if (settings.status() != QSettings::FormatError) return;
    const QString path = settings.fileName();
    const QString copy = path + QStringLiteral(".damaged");
    QFile::remove(copy);
    if (QFile::copy(path, copy)) {
        std::fprintf(stderr,
                     "Tidewell: the settings file %s has lines that can't be read; they are "
                     "dropped when it is saved. The file as it was is kept as %s.\n",
                     qPrintable(path), qPrintable(copy));
    }
}

}  // namespace

std::optional<std::string> QtSettingsStore::read(const std::string& application,
                                                 const std::string& section,
                                                 const std::string& key) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, qs(application), qs(section));
    keepDamagedCopy(settings);
    settings.beginGroup(qs(section));
    const QVariant value = settings.value(qs(key));
    if (!value.isValid()) return std::nullopt;
    // A hand-edited value with unquoted commas comes back as a list.
    if (value.typeId() == QMetaType::QStringList) {
        return utf8(value.toStringList().join(QLatin1Char(',')));
    }
    // Anything else that is not text (a hand-written "@Variant(...)") counts as missing.
    if (!value.canConvert<QString>()) return std::nullopt;
    return utf8(value.toString());
}

void QtSettingsStore::write(const std::string& application, const std::string& section,
                            const std::string& key, const std::string& value) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, qs(application), qs(section));
    keepDamagedCopy(settings);
    settings.beginGroup(qs(section));
    // Restoring the controls at start stores back the values just read; saving the file for
    // each of them would cost a rewrite and a flush to disk apiece.
    const QVariant stored = settings.value(qs(key));
    if (stored.typeId() == QMetaType::QString && stored.toString() == qs(value)) return;
    settings.setValue(qs(key), qs(value));
    // QSettings writes a temporary file and renames it over the old one, so a failed save
    // leaves the previous file whole.
    settings.sync();
    // A damaged file still saves (see above); only a file that can't be written fails.
    if (settings.status() == QSettings::AccessError) {
        std::fprintf(stderr,
                     "Tidewell: could not save the setting \"%s\" to %s: the file or its folder "
                     "can't be written. The change holds until the program ends.\n",
                     key.c_str(), qPrintable(settings.fileName()));
    }
}

}  // namespace tw::qt_platform
