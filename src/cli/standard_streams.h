#pragma once

#include <QElapsedTimer>
#include <cstddef>
#include <string>
#include <string_view>

// Opens each of descriptors 0, 1 and 2 that is closed on /dev/null, before anything else can
// open a file that would take its number and be written as standard output.
void openClosedStandardStreams();

// Standard error for a run without a window: whole lines, and on a terminal one running line
// that each whole line first clears.
class StandardError
{
public:
    explicit StandardError(int fd = 2);

    bool isTerminal() const { return terminal_; }
    // One line; the line end is added.
    void line(std::string_view text);
    // Replaces the running line; nothing when standard error is no terminal.
    void showRunning(std::string_view text);
    // Removes the running line, if one shows.
    void clearRunning();

private:
    void put(std::string_view bytes);

    int fd_;
    bool terminal_;
    bool running_ = false;
};

// Standard output, written a large block at a time. When the reader has gone (a closed pipe)
// the rest is dropped quietly; any other failure is kept for the caller to report.
class StandardOutput
{
public:
    // `errors`: standard error, whose running line is cleared before a block reaches the same
    // terminal.
    explicit StandardOutput(StandardError& errors, int fd = 1);
    ~StandardOutput();
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    void write(std::string_view bytes)
    {
        buffer_.append(bytes);
        if (buffer_.size() >= kBlock) flush();
    }
    void flush();

    bool isTerminal() const { return terminal_; }
    // The reader has gone: nothing more will arrive.
    bool readerGone() const { return readerGone_; }
    // The errno of a failed write, or 0.
    int error() const { return error_; }

private:
    static constexpr std::size_t kBlock = 1 << 16;

    StandardError& errors_;
    int fd_;
    bool terminal_;
    bool sharesTerminal_;
    std::string buffer_;
    bool readerGone_ = false;
    int error_ = 0;
};
