#pragma once

#include "platform/unique_fd.h"

#include <QByteArray>
#include <QString>
#include <sys/types.h>

// Where a save to a path lands: the folder, the name in it and the file behind that name.
//
// The path is walked here one part at a time with openat, and every symbolic link on the way is
// followed here, so one rule holds for each of them whatever the kernel's fs.protected_* say: a
// link in a sticky, world-writable folder (such as /tmp) that belongs to neither the user nor
// the folder's owner is never followed, since another user may have planted it to aim the save
// at one of this user's files. The folder found is the one that really holds the file, so a
// save through a link can replace the file as a save to its own path does.
class SaveTarget
{
public:
    // Throws RuntimeError: "Path not found" when a folder on the way is missing, "Permission
    // denied" for a link that is not followed, and whatever else the kernel answers.
    static SaveTarget find(const QString& path);

    // Opened with O_PATH.
    int folder() const { return folder_.get(); }
    const QByteArray& name() const { return name_; }
    // The file behind the name, opened with O_PATH; -1 when there is none yet (also behind a
    // link that leads nowhere).
    int file() const { return file_.get(); }
    // The path chosen was a link, and the save goes where it leads.
    bool throughLink() const { return throughLink_; }
    // Everyone may add names to the folder, as to /tmp: what is there may be another user's.
    bool sharedFolder() const { return sharedFolder_; }
    // Whose names in a shared folder the user may take as their own: their own, and those of
    // the folder's owner. The kernel's fs.protected_regular trusts the same two.
    bool trusts(uid_t owner) const;

private:
    UniqueFd folder_;
    UniqueFd file_;
    QByteArray name_;
    uid_t folderOwner_ = 0;
    bool throughLink_ = false;
    bool sharedFolder_ = false;
};

// Whether a save to `path` meets something there, which the user is asked about first: a file
// or folder, or a link, even one the save would refuse to follow. Never throws.
bool saveMeetsSomething(const QString& path);
