#pragma once

#include "doubles/test_platform.h"
#include "support/loaded_window.h"
#include "ui/form1.h"
#include "ui/list_view.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The real window on the test platform, loaded and with no box recorded yet.
struct AddingWindow : LoadedWindow
{
    QStringList rows() { return rowTexts(form.fileList()); }
};

// Root reads every folder whatever its permissions, so a test that needs a folder to deny
// access acts as an ordinary user meanwhile. The tree must be reachable by that user.
class ActingAsOrdinaryUser
{
public:
    ActingAsOrdinaryUser() : wasRoot_(::geteuid() == 0)
    {
        if (wasRoot_ && ::seteuid(65534) != 0) qFatal("cannot act as an ordinary user");
    }
    ~ActingAsOrdinaryUser()
    {
        if (wasRoot_ && ::seteuid(0) != 0) qFatal("cannot return to root");
    }
    ActingAsOrdinaryUser(const ActingAsOrdinaryUser&) = delete;
    ActingAsOrdinaryUser& operator=(const ActingAsOrdinaryUser&) = delete;

private:
    bool wasRoot_;
};

// True when the ordinary user of ActingAsOrdinaryUser can enter the folder. Where a folder above
// it is closed to others (a root of mode 0700, as some build roots have), a test that denies
// access has nothing to show and skips.
inline bool ordinaryUserCanReach(const QString& folder)
{
    ActingAsOrdinaryUser user;
    return ::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), X_OK, AT_EACCESS) == 0;
}

inline void makeFolder(const QString& path)
{
    if (!QDir().mkpath(path)) qFatal("cannot make %s", qPrintable(path));
}

inline void setMode(const QString& path, mode_t mode)
{
    if (::chmod(QFile::encodeName(path).constData(), mode) != 0)
        qFatal("cannot chmod %s", qPrintable(path));
}
