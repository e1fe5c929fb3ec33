#include "platform/text_output_file.h"

#include "platform/file_system.h"
#include "platform/platform_error.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::size_t kFlushAt = 1 << 20;

} // namespace

TextOutputFile::~TextOutputFile()
{
    if (fd_ >= 0) ::close(fd_);
}

void TextOutputFile::open(const QString& path)
{
    close();
    const QByteArray native = FileSystem::requiredNativePath(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        // When creating, a missing entry can only be a folder on the way.
        if (errno == ENOENT) throw PlatformError::pathNotFound();
        throw PlatformError::fromErrno(errno);
    }
    fd_ = fd;
}

void TextOutputFile::writeLine(std::string_view utf8)
{
    if (fd_ < 0) throw PlatformError::badFileName();
    buffer_.append(utf8);
    buffer_.append("\r\n", 2);
    if (buffer_.size() >= kFlushAt) flush();
}

void TextOutputFile::flush()
{
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            buffer_.clear(); // those lines are lost; later lines still get their chance
            throw PlatformError::fromErrno(err);
        }
        done += std::size_t(written);
    }
    buffer_.clear();
}

void TextOutputFile::close()
{
    if (fd_ < 0) return;
    const int fd = fd_;
    try {
        flush();
    } catch (...) {
        ::close(fd);
        fd_ = -1;
        throw;
    }
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) throw PlatformError::fromErrno(errno);
}
