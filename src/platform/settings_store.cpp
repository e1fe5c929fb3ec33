#include "platform/settings_store.h"

#include "base/runtime_error.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

bool toBoolean(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    bool isNumber = false;
    const double number = trimmed.toDouble(&isNumber);
    if (!isNumber) throw RuntimeError(RuntimeError::TypeMismatch, QStringLiteral("Type mismatch"));
    return number != 0.0;
}

QString booleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

namespace {

QSettings openStore()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope,
                     QString::fromLatin1(QtSettingsStore::kApplication),
                     QString::fromLatin1(QtSettingsStore::kSection));
}

QString qualified(const QString& key)
{
    return QString::fromLatin1(QtSettingsStore::kSection) + u'/' + key;
}

RuntimeError permissionDenied(const QString& what)
{
    return {RuntimeError::PermissionDenied, QStringLiteral("Permission denied: ") + what};
}

// What stands where the store should be.
enum class StoreFile { Missing, Settings, NotSettings };

// Text the program could have written: UTF-8 without NULs, in lines Qt reads as an INI file.
bool holdsSettings(const QByteArray& native)
{
    QFile file(QFile::decodeName(native));
    if (!file.open(QIODevice::ReadOnly))
        throw permissionDenied(QStringLiteral("cannot read ") + file.fileName());
    const QByteArray bytes = file.readAll();
    if (bytes.contains('\0')) return false;
    // The decoder works only when its result is taken.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) return false;
    return QSettings(file.fileName(), QSettings::IniFormat).status() == QSettings::NoError;
}

// The store's file, or why there can be none: the first thing on the way that is no folder,
// or a folder in the file's place, throws.
StoreFile examine(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info = {};
    if (::stat(native.constData(), &info) != 0) {
        if (errno == ENOENT) return StoreFile::Missing;
        if (errno == EACCES) throw permissionDenied(QStringLiteral("cannot reach ") + path);
        if (errno != ENOTDIR) throw RuntimeError::fromErrno(errno);
        for (QFileInfo up(QFileInfo(path).absolutePath()); !up.isRoot();
             up = QFileInfo(up.absolutePath())) {
            if (up.exists() && !up.isDir())
                throw RuntimeError(RuntimeError::PathNotFound,
                                   QStringLiteral("Path not found: %1 is a file, not a folder")
                                       .arg(up.filePath()));
        }
        throw RuntimeError::pathNotFound();
    }
    if (S_ISDIR(info.st_mode))
        throw RuntimeError(RuntimeError::PathFileAccess,
                           QStringLiteral("Path/File access error: %1 is a folder, not a "
                                          "settings file")
                               .arg(path));
    // A pipe or device would stall the start-up: it is no settings file either.
    if (!S_ISREG(info.st_mode)) return StoreFile::NotSettings;
    return holdsSettings(native) ? StoreFile::Settings : StoreFile::NotSettings;
}

// Moves what the user had aside, under a name no earlier one has, and returns that name.
QString keepAside(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    for (int n = 0; n < 10000; ++n) {
        QString kept =
            path + QStringLiteral(".bad") + (n ? QStringLiteral(".%1").arg(n) : QString());
        const QByteArray keptNative = QFile::encodeName(kept);
        // A hard link never replaces an earlier copy.
        if (::link(native.constData(), keptNative.constData()) == 0) {
            ::unlink(native.constData());
            return kept;
        }
        if (errno == EEXIST) continue;
        struct stat taken = {};
        if (::lstat(keptNative.constData(), &taken) == 0) continue;
        if (::rename(native.constData(), keptNative.constData()) == 0) return kept;
        throw RuntimeError::fromErrno(errno);
    }
    throw RuntimeError::pathFileAccess();
}

} // namespace

QString QtSettingsStore::read(const QString& key, const QString& defaultText) const
{
    // What is no settings file holds no setting; it is dealt with at the next write.
    try {
        if (examine(filePath()) != StoreFile::Settings) return defaultText;
    } catch (const RuntimeError&) {
        return defaultText;
    }
    QSettings store = openStore();
    const QVariant value = store.value(qualified(key));
    return value.isValid() ? value.toString() : defaultText;
}

void QtSettingsStore::writeAll(const std::vector<std::pair<QString, QString>>& values)
{
    const QString path = filePath();
    QString kept;
    if (examine(path) == StoreFile::NotSettings) kept = keepAside(path);

    QSettings store = openStore();
    for (const auto& [key, value] : values)
        store.setValue(qualified(key), value);
    // Written the moment the choice is made, never at exit; the file is replaced whole, so the
    // keys land together or not at all.
    store.sync();
    if (store.status() != QSettings::NoError) {
        const QFileInfo file(path);
        const QFileInfo folder(file.absolutePath());
        if ((file.exists() && !file.isWritable()) || (folder.exists() && !folder.isWritable()))
            throw permissionDenied(QStringLiteral("cannot write %1").arg(path));
        throw RuntimeError(RuntimeError::PathFileAccess,
                           QStringLiteral("Path/File access error: cannot write %1").arg(path));
    }
    if (!kept.isEmpty())
        throw RuntimeError(RuntimeError::PathFileAccess,
                           QStringLiteral("Path/File access error: %1 could not be read as "
                                          "settings; it is kept as %2 and a fresh one begun")
                               .arg(path, kept));
}

QString QtSettingsStore::filePath()
{
    return openStore().fileName();
}
