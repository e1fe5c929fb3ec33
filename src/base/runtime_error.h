#pragma once

#include <QString>
#include <stdexcept>

// The one exception the platform layer raises. It carries the classic error number that
// the error report and the callers test and the error's own text.
class RuntimeError : public std::runtime_error
{
public:
    enum Number : int {
        InvalidProcedureCall = 5,
        TypeMismatch = 13,
        BadFileName = 52,
        FileNotFound = 53,
        PermissionDenied = 70,
        PathFileAccess = 75,
        PathNotFound = 76,
        ObjectNotSet = 91,
        ControlArrayElementMissing = 340,
        CannotCreateObject = 429,
        InvalidPicture = 481,
        ApplicationDefined = 1004,
        BufferTooSmall = 20476,
        IndexOutOfBounds = 35600,
    };

    RuntimeError(int number, const QString& description);

    int number() const { return number_; }
    const QString& description() const { return description_; }

    // Maps a POSIX errno to the error numbers the program reasons about.
    static RuntimeError fromErrno(int err);

    // The errors raised in more than one place, each with its one text.
    static RuntimeError badFileName();
    static RuntimeError fileNotFound();
    static RuntimeError pathNotFound();
    static RuntimeError pathFileAccess();
    static RuntimeError indexOutOfBounds();

private:
    int number_;
    QString description_;
};
