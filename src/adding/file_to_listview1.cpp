#include "adding/file_to_listview1.h"

#include "adding/add_files.h"
#include "adding/normalize_backslashes.h"
#include "core/window_pointer.h"
#include "platform/dialogs.h"
#include "platform/error_trap.h"
#include "platform/file_system.h"
#include "platform/list_view.h"
#include "platform/platform_error.h"

#include <QStringList>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace FileToListview1 {

namespace {

class FileHandle
{
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::string readWhole(const QString& path)
{
    const QByteArray native = FileSystem::nativePath(path);
    if (native.contains('\0'))
        throw PlatformError(PlatformError::BadFileName, QStringLiteral("Bad file name or number"));
    const FileHandle file(::open(native.constData(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) throw PlatformError::fromErrno(errno);
    struct stat info = {};
    if (::fstat(file.get(), &info) != 0) throw PlatformError::fromErrno(errno);
    if (S_ISDIR(info.st_mode))
        throw PlatformError(PlatformError::PathFileAccess,
                            QStringLiteral("Path/File access error"));

    std::string bytes;
    if (info.st_size > 0) bytes.reserve(std::size_t(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw PlatformError::fromErrno(errno);
        }
        if (got == 0) break;
        bytes.append(buffer, std::size_t(got));
    }
    return bytes;
}

} // namespace

void LoadListFile(ListView& list, const QString& path, Dialogs& dialogs)
{
    if (!FileExistsByDate(path)) {
        dialogs.inform(QStringLiteral("File not found"));
        return;
    }
    const std::string bytes = readWhole(path);
    std::string_view text(bytes);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

    while (!text.empty()) {
        // One line: up to a CR, which may be followed by an LF.
        const std::size_t end = text.find('\r');
        std::string_view line = text.substr(0, end);
        if (end == std::string_view::npos) {
            text = {};
        } else {
            text.remove_prefix(end + 1);
            if (!text.empty() && text.front() == '\n') text.remove_prefix(1);
        }
        // A bare LF does not end the line as read, so split at it afterwards.
        for (std::size_t feed = line.find('\n'); feed != std::string_view::npos;
             feed = line.find('\n')) {
            list.addUtf8(line.substr(0, feed));
            line.remove_prefix(feed + 1);
        }
        list.addUtf8(line);
    }
}

} // namespace FileToListview1

LoadFileList::LoadFileList(ListView& files, WindowPointer& pointer, Dialogs& dialogs,
                           ErrorReporter& errors)
    : files_(files), pointer_(pointer), dialogs_(dialogs), errors_(errors)
{
}

void LoadFileList::PushButton3_Click()
{
    ErrorTrap trap(errors_, QStringLiteral("Form1"), QStringLiteral("PushButton3_Click"));
    QString chosen;
    trap.line(100, [&] {
        chosen = dialogs_.openFile({QStringLiteral("Load List(s) - Hold Ctrl to select multiple "
                                                   "list files"),
                                    QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"),
                                    true, AddFiles::kSelectionLimit});
    });
    // After Cancel there are no parts at all.
    QStringList parts;
    trap.line(102, [&] { parts = chosen.isEmpty() ? QStringList() : chosen.split(QChar(u'\0')); });
    trap.line(104, [&] { pointer_.setMousePointer(PointerSetting::Busy); });
    if (parts.size() == 1) // 106
        trap.line(108, [&] { FileToListview1::LoadListFile(files_, parts[0], dialogs_); });
    for (qsizetype i = 1; i < parts.size(); ++i) { // 110
        trap.line(112, [&] {
            const QString path = NormalizeBackslashes(parts[0] + u'/' + parts[i]);
            FileToListview1::LoadListFile(files_, path, dialogs_);
        });
    }
    trap.line(114, [&] { pointer_.setMousePointer(PointerSetting::Default); });
}
