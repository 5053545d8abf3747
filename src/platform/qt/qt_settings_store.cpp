#include "platform/qt/qt_settings_store.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <cstdio>

#include "platform/qt/qt_units.h"

namespace tw::qt_platform {

namespace {

enum class Reading { Ours, NotOurs, Unreadable };

// Ours: every line is one that QSettings reads (blank, a comment, a group, a key with its
// value), and it holds our group, or nothing but comments. Other groups, and keys outside any
// group, are another tool's or the user's: QSettings writes them back as it read them.
Reading readsAsOurs(const QString& file, const QString& group) {
    QFile text(file);
    if (!text.open(QIODevice::ReadOnly)) return Reading::Unreadable;
    const QByteArray bytes = text.readAll();
    const QByteArray ourHeader = '[' + group.toUtf8() + ']';
    bool ourGroup = false, anything = false;
    for (const QByteArray& line : bytes.split('\n')) {
        const QByteArray t = line.trimmed();
        if (t.isEmpty() || t.startsWith(';') || t.startsWith('#')) continue;
        anything = true;
        ourGroup |= t == ourHeader;
        if ((t.startsWith('[') && t.endsWith(']')) || t.contains('=')) continue;
        return Reading::NotOurs;
    }
    return ourGroup || !anything ? Reading::Ours : Reading::NotOurs;
}

}  // namespace

QtSettingsStore::QtSettingsStore(Notifier notify, QString configFolder)
    : notify_(std::move(notify)),
      folder_(configFolder.isEmpty()
                  ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                  : std::move(configFolder)) {}

QString QtSettingsStore::fileOf(const std::string& application, const std::string& section) const {
    return folder_ + QLatin1Char('/') + qs(application) + QLatin1Char('/') + qs(section) +
           QStringLiteral(".conf");
}

void QtSettingsStore::tell(bool& told, const std::string& message) {
    std::fprintf(stderr, "Tidewell: %s\n", message.c_str());
    if (told || !notify_) return;
    told = true;
    notify_(message);
}

bool QtSettingsStore::vet(const QString& file, const QString& group) {
    using Kind = linux_platform::SettingsFileLook::Kind;
    const std::string path = QFile::encodeName(file).toStdString();
    const auto look = linux_platform::LookAtSettingsFile(path, kMostBytes);
    std::string why;
    switch (look.kind) {
        case Kind::Missing:
        case Kind::Folder:  // QSettings reads nothing from it, and every save fails and is told
            return true;
        case Kind::TooLarge:
            why = "is larger than any settings file of Tidewell";
            break;
        case Kind::NotAFile:
            why = look.why;
            break;
        case Kind::Regular:
            if (vetted_ == look.stamp) return true;
            switch (readsAsOurs(file, group)) {
                case Reading::Ours:
                    vetted_ = look.stamp;
                    return true;
                case Reading::Unreadable:  // read as nothing; a save fails and is told
                    return true;
                case Reading::NotOurs:
                    why = "does not read as Tidewell's settings";
                    break;
            }
            break;
    }
    std::string error;
    const std::string aside = linux_platform::SetAside(path, error);
    if (aside.empty()) {
        tell(toldSetAside_, "The settings file " + path + " " + why +
                                " and could not be set aside (" + error +
                                "). Tidewell uses its default settings and saves no changes.");
        return false;
    }
    tell(toldSetAside_, "The settings file " + path + " " + why + ". It has been kept as " + aside +
                            ", and Tidewell starts from its default settings.");
    return true;
}

std::optional<std::string> QtSettingsStore::read(const std::string& application,
                                                 const std::string& section,
                                                 const std::string& key) {
    const QString file = fileOf(application, section);
    if (!vet(file, qs(section))) return std::nullopt;
    QSettings settings(file, QSettings::NativeFormat);
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
    const QString file = fileOf(application, section);
    const std::string unsaved = "Tidewell could not save the setting \"" + key + "\" to " +
                                QFile::encodeName(file).toStdString() + ": ";
    if (!vet(file, qs(section))) return;  // told: nothing is saved
    QSettings settings(file, QSettings::NativeFormat);
    settings.beginGroup(qs(section));
    // Restoring the controls at start stores back the values just read; saving the file for
    // each of them would cost a rewrite and a flush to disk apiece.
    const QVariant stored = settings.value(qs(key));
    if (stored.typeId() == QMetaType::QString && stored.toString() == qs(value)) return;
    settings.setValue(qs(key), qs(value));
    // QSettings writes a temporary file and renames it over the old one (over a link's
    // target, for a link), so a failed save leaves the previous file whole.
    settings.sync();
    // A format fault is a line it passed over, such as a comment starting with '#'.
    if (settings.status() == QSettings::AccessError) {
        tell(toldUnsaved_, unsaved +
                               "the file or its folder can't be written. The change holds "
                               "until the program ends.");
    }
}

}  // namespace tw::qt_platform
