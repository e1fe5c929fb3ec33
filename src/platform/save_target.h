#pragma once

#include "platform/unique_fd.h"

#include <QByteArray>
#include <QString>

// Where a save to a path lands, found by the kernel's own rules rather than by reading links
// here: the folder, the name in it and the file behind that name.
//
// A link in a sticky, world-writable folder (such as /tmp) that belongs to neither the user nor
// the folder's owner is never followed, whatever fs.protected_symlinks says: another user may
// have planted it to aim the save at one of this user's files.
class SaveTarget
{
public:
    // Throws RuntimeError: "Path not found" when the folder is missing, "Permission denied"
    // for a link that is not followed, and whatever else the kernel answers.
    static SaveTarget find(const QString& path);

    // Opened with O_PATH.
    int folder() const { return folder_.get(); }
    const QByteArray& name() const { return name_; }
    // The file behind the name, opened with O_PATH; -1 when there is none yet (also behind a
    // link that leads nowhere).
    int file() const { return file_.get(); }
    // The name is a link, and the save goes where it leads.
    bool throughLink() const { return throughLink_; }
    // What opening the name again needs: O_NOFOLLOW where a link planted since must not be
    // followed.
    int nameFlags() const { return nameFlags_; }
    // The file's path as the kernel names it, or the empty text when it cannot say.
    QString filePath() const;

private:
    UniqueFd folder_;
    UniqueFd file_;
    QByteArray name_;
    bool throughLink_ = false;
    int nameFlags_ = 0;
};

// What the question before overwriting names.
struct SavePreview
{
    // Something is there: a file or folder, or a link the save would refuse to follow.
    bool exists = false;
    // The path itself, or the file a link there leads to when the save follows it.
    QString writtenPath;
};

// Never throws.
SavePreview previewSave(const QString& path);
