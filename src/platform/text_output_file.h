#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

// A sequential text file opened for output: created, or replaced when it exists. Lines are
// written as UTF-8 and end with CR LF. Writing to a file that could not be opened fails each
// time, as the classic file number did.
//
// The lines go to a new file beside the target, which takes the target's place only when
// every line reached the disk: a failed save leaves an existing file as it was. A link is
// followed, so the file it names is replaced and the link stays. Only regular files are
// written; nothing here ever waits on a pipe or a device.
class TextOutputFile
{
public:
    TextOutputFile() = default;
    ~TextOutputFile();
    TextOutputFile(const TextOutputFile&) = delete;
    TextOutputFile& operator=(const TextOutputFile&) = delete;

    // Throws PlatformError when the file cannot be created or replaced, or names no regular
    // file.
    void open(const QString& path);
    bool isOpen() const { return fd_ >= 0; }
    // Throws PlatformError 52 when the file is not open, or the system's error when the
    // buffered text cannot be written.
    void writeLine(std::string_view utf8);
    // Writes what is buffered and puts the file in place; closing a file that is not open does
    // nothing. After a failed write the target is left untouched.
    void close();

private:
    void flush();
    void discard();

    int fd_ = -1;
    std::string buffer_;
    QByteArray target_;    // the file to replace, links resolved
    QByteArray temporary_; // the new file beside it; empty when writing the target in place
    bool failed_ = false;
};
