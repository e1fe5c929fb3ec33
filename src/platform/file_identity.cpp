#include "platform/file_identity.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

using Names = std::vector<std::string>;

// Every attribute name the user may see: ACLs show as system.posix_acl_access. Attributes in
// the trusted namespace show to root alone, and only root can have set them.
std::optional<Names> attributeNames(int fd)
{
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0) return errno == ENOTSUP ? std::optional<Names>(Names{}) : std::nullopt;
        std::string list(std::size_t(size), '\0');
        const ssize_t got = ::flistxattr(fd, list.data(), list.size());
        if (got < 0 && errno == ERANGE) continue; // one was added meanwhile
        if (got < 0) return std::nullopt;
        Names names;
        for (std::size_t at = 0; at < std::size_t(got);) {
            const std::size_t end = list.find('\0', at);
            if (end == std::string::npos || end >= std::size_t(got)) break;
            names.push_back(list.substr(at, end - at));
            at = end + 1;
        }
        return names;
    }
}

std::optional<std::string> attributeValue(int fd, const std::string& name)
{
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
        if (size < 0) return std::nullopt;
        std::string value(std::size_t(size), '\0');
        const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
        if (got < 0 && errno == ERANGE) continue;
        if (got < 0) return std::nullopt;
        value.resize(std::size_t(got));
        return value;
    }
}

bool carryAttributes(int from, int to)
{
    const std::optional<Names> wanted = attributeNames(from);
    const std::optional<Names> present = attributeNames(to);
    if (!wanted || !present) return false;
    // A new file may have been given some of its own, such as the folder's default ACL.
    for (const std::string& name : *present)
        if (std::find(wanted->begin(), wanted->end(), name) == wanted->end() &&
            ::fremovexattr(to, name.c_str()) != 0)
            return false;
    for (const std::string& name : *wanted) {
        const std::optional<std::string> value = attributeValue(from, name);
        if (!value) return false;
        // A label the system gave both alike needs no right to set it again.
        if (attributeValue(to, name) == value) continue;
        if (::fsetxattr(to, name.c_str(), value->data(), value->size(), 0) != 0) return false;
    }
    return true;
}

} // namespace

bool carryIdentity(int from, int to)
{
    struct stat source = {};
    if (::fstat(from, &source) != 0 || !carryAttributes(from, to)) return false;
    struct stat copy = {};
    if (::fstat(to, &copy) != 0) return false;
    if (copy.st_gid != source.st_gid && ::fchown(to, uid_t(-1), source.st_gid) != 0) return false;
    // After the ACL, which sets the mode bits it governs, and after the group, whose change
    // drops the set-id bits.
    if (::fchmod(to, source.st_mode & 07777) != 0 || ::fstat(to, &copy) != 0) return false;
    return copy.st_uid == source.st_uid && copy.st_gid == source.st_gid &&
           (copy.st_mode & 07777) == (source.st_mode & 07777);
}
