#include "cli/standard_streams.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Writes everything, or answers the errno that stopped it.
int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(std::size_t(written));
    }
    return 0;
}

// Back to the line's start, and the line cleared from there.
constexpr std::string_view kClearLine = "\r\x1b[K";

} // namespace

void openClosedStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number: this one, as those below are open by now.
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened != fd && opened >= 0) ::close(opened);
    }
}

StandardError::StandardError(int fd) : fd_(fd), terminal_(::isatty(fd) == 1) {}

void StandardError::put(std::string_view bytes)
{
    // Nowhere to say that standard error failed.
    (void)writeAll(fd_, bytes);
}

void StandardError::line(std::string_view text)
{
    std::string whole;
    whole.reserve(text.size() + kClearLine.size() + 1);
    if (running_) whole += kClearLine;
    running_ = false;
    whole += text;
    whole += '\n';
    put(whole);
}

void StandardError::showRunning(std::string_view text)
{
    if (!terminal_) return;
    std::string whole(kClearLine);
    whole += text;
    put(whole);
    running_ = true;
}

void StandardError::clearRunning()
{
    if (!running_) return;
    put(kClearLine);
    running_ = false;
}

StandardOutput::StandardOutput(StandardError& errors, int fd)
    : errors_(errors), fd_(fd), terminal_(::isatty(fd) == 1),
      sharesTerminal_(errors.isTerminal() && terminal_)
{
    buffer_.reserve(2 * kBlock);
}

StandardOutput::~StandardOutput()
{
    flush();
}

void StandardOutput::flush()
{
    if (buffer_.empty()) return;
    if (!readerGone_ && error_ == 0) {
        if (sharesTerminal_) errors_.clearRunning();
        const int error = writeAll(fd_, buffer_);
        if (error == EPIPE)
            readerGone_ = true;
        else
            error_ = error;
    }
    buffer_.clear();
}
