#pragma once

#include <QString>
#include <stdexcept>

// The one exception the platform layer raises. It carries the classic error number that
// the error report and the callers test (53, 70, 76, 20476, ...) and the error's own text.
class PlatformError : public std::runtime_error
{
public:
    enum Number : int {
        TypeMismatch = 13,
        BadFileName = 52,
        FileNotFound = 53,
        PermissionDenied = 70,
        PathFileAccess = 75,
        PathNotFound = 76,
        BufferTooSmall = 20476,
    };

    PlatformError(int number, const QString& description);

    int number() const { return number_; }
    const QString& description() const { return description_; }

    // Maps a POSIX errno to the error numbers the program reasons about.
    static PlatformError fromErrno(int err);

private:
    int number_;
    QString description_;
};
