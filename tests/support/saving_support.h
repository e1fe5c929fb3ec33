#pragma once

// What the saving tests need around them: another user, a small file system to fill, a
// kernel setting held for one test, and the text export run in a process of its own.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <optional>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

inline QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

inline struct stat statOf(const QString& path)
{
    struct stat info = {};
    if (::lstat(native(path).constData(), &info) != 0) info.st_ino = 0;
    return info;
}

// The value of an extended attribute, or nothing when the file has none by that name.
inline std::optional<QByteArray> attributeOf(const QString& path, const char* name)
{
    char value[4096];
    const ssize_t size = ::lgetxattr(native(path).constData(), name, value, sizeof value);
    if (size < 0) return std::nullopt;
    return QByteArray(value, size);
}

inline QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A user of its own for the length of one suite; needs root.
class ThrowawayUser
{
public:
    ThrowawayUser() : name_(QStringLiteral("bmsave%1").arg(::getpid()))
    {
        QProcess add;
        add.start(QStringLiteral("useradd"),
                  {QStringLiteral("--system"), QStringLiteral("--no-create-home"),
                   QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"), name_});
        if (!add.waitForFinished(30000) || add.exitCode() != 0) {
            why_ = QStringLiteral("useradd failed: ") +
                   QString::fromLocal8Bit(add.readAllStandardError()).trimmed();
            return;
        }
        if (const passwd* entry = ::getpwnam(name_.toLatin1().constData())) {
            uid_ = entry->pw_uid;
            gid_ = entry->pw_gid;
            made_ = true;
        }
    }
    ~ThrowawayUser()
    {
        if (made_) QProcess::execute(QStringLiteral("userdel"), {name_});
    }
    ThrowawayUser(const ThrowawayUser&) = delete;
    ThrowawayUser& operator=(const ThrowawayUser&) = delete;

    bool exists() const { return made_; }
    QString whyNot() const { return why_; }

    // True when the user can reach every path (some roots close "/" to other users, and then
    // nothing can be done as this user); otherwise whyNot says which path is out of reach.
    bool reaches(const QStringList& paths)
    {
        for (const QString& path : paths) {
            const int status = QProcess::execute(
                QStringLiteral("runuser"), {QStringLiteral("-u"), name_, QStringLiteral("--"),
                                            QStringLiteral("test"), QStringLiteral("-x"), path});
            if (status != 0) {
                why_ = QStringLiteral("%1 cannot reach %2 (a folder above it is closed to others)")
                           .arg(name_, path);
                return false;
            }
        }
        return true;
    }
    const QString& name() const { return name_; }
    uid_t uid() const { return uid_; }
    gid_t gid() const { return gid_; }

private:
    QString name_;
    QString why_;
    bool made_ = false;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
};

// A kernel setting under /proc/sys, set for one test and put back after it.
class HeldSysctl
{
public:
    HeldSysctl(const char* path, const QByteArray& value) : path_(QString::fromLatin1(path))
    {
        QFile file(path_);
        if (!file.open(QIODevice::ReadOnly)) return;
        previous_ = file.readAll().trimmed();
        file.close();
        held_ = write(value);
    }
    ~HeldSysctl()
    {
        if (held_) write(previous_);
    }
    HeldSysctl(const HeldSysctl&) = delete;
    HeldSysctl& operator=(const HeldSysctl&) = delete;

    bool held() const { return held_; }

private:
    bool write(const QByteArray& value)
    {
        QFile file(path_);
        return file.open(QIODevice::WriteOnly) && file.write(value + '\n') > 0 && file.flush();
    }

    QString path_;
    QByteArray previous_;
    bool held_ = false;
};

// A small tmpfs, unmounted when the test ends; needs root.
class SmallFileSystem
{
public:
    SmallFileSystem(const QString& where, const char* options) : where_(native(where))
    {
        mounted_ = ::mount("bytemarsh-test", where_.constData(), "tmpfs", 0, options) == 0;
        if (!mounted_) why_ = errnoText();
    }
    ~SmallFileSystem()
    {
        if (mounted_) ::umount2(where_.constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    QString whyNot() const { return why_; }
    qint64 freeBytes() const
    {
        struct statvfs info = {};
        ::statvfs(where_.constData(), &info);
        return qint64(info.f_bavail) * qint64(info.f_frsize);
    }
    bool makeReadOnly()
    {
        return ::mount(nullptr, where_.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray where_;
    QString why_;
    bool mounted_ = false;
};

// What a run of tests/support/save_probe.cpp showed.
struct ProbeRun
{
    int exitCode = -1;
    QStringList texts; // every box, CR and LF as they were
    QString errors;
};

// Saves `rows` rows to `target` in a process of its own, as `user` when one is given (needs
// root), ending it in event round `exitAt` when that is not 0.
inline ProbeRun runSaveProbe(const QString& target, int rows, const QString& user = {},
                             int exitAt = 0)
{
    QStringList arguments = {target, QString::number(rows)};
    if (exitAt > 0) arguments << QString::number(exitAt);
    QString program = QStringLiteral(SAVE_PROBE);
    if (!user.isEmpty()) {
        arguments =
            QStringList({QStringLiteral("-u"), user, QStringLiteral("--"), program}) + arguments;
        program = QStringLiteral("runuser");
    }
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Whatever place of its own the probe needs, it must find as the user it runs as.
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    probe.setProcessEnvironment(environment);
    probe.start(program, arguments);
    ProbeRun run;
    if (!probe.waitForFinished(60000)) {
        probe.kill();
        probe.waitForFinished();
        run.errors = QStringLiteral("the probe did not finish");
        return run;
    }
    run.exitCode = probe.exitStatus() == QProcess::NormalExit ? probe.exitCode() : -1;
    run.errors = QString::fromLocal8Bit(probe.readAllStandardError());
    const QString out = QString::fromUtf8(probe.readAllStandardOutput());
    for (QString line : out.split(u'\n', Qt::SkipEmptyParts))
        run.texts << line.replace(QStringLiteral("\\r"), QStringLiteral("\r"))
                         .replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    return run;
}
