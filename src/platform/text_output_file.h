#pragma once

#include <QString>
#include <string>
#include <string_view>

// A sequential text file opened for output: created, or truncated when it exists. Lines are
// written as UTF-8 and end with CR LF. Writing to a file that could not be opened fails each
// time, as the classic file number did.
class TextOutputFile
{
public:
    TextOutputFile() = default;
    ~TextOutputFile();
    TextOutputFile(const TextOutputFile&) = delete;
    TextOutputFile& operator=(const TextOutputFile&) = delete;

    // Throws PlatformError when the file cannot be created or replaced.
    void open(const QString& path);
    bool isOpen() const { return fd_ >= 0; }
    // Throws PlatformError 52 when the file is not open, or the system's error when the
    // buffered text cannot be written.
    void writeLine(std::string_view utf8);
    // Writes what is buffered and closes; closing a file that is not open does nothing.
    void close();

private:
    void flush();

    int fd_ = -1;
    std::string buffer_;
};
