#pragma once

#include "platform/save_target.h"
#include "platform/unique_fd.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <sys/stat.h>

// A sequential text file opened for output: created, or replaced when it exists. Lines are
// written as UTF-8 and end with CR LF.
//
// Nothing reaches the target before close(). Until then the lines wait in a file without a
// name (O_TMPFILE), in the target's folder where it takes one, otherwise in the user's runtime
// folder or /tmp; a process that ends on the way leaves nothing behind and the old file whole.
// close() puts the lines in place without waiting on anything, by one of two roads:
//
// - replace: the new file is linked into the target's folder and renamed over the target, when
//   that keeps the file the same file: no file there yet, or the user's own regular file with
//   one link, in a folder the user may change, whose group, mode, ACLs and extended attributes
//   the new file can take on;
// - in place otherwise (see rewriteInPlace): the old content is kept beside the file until the
//   new content is whole, so owner, links, ACLs and attributes stay and no half file remains.
//
// Where the path is walked, SaveTarget decides which links are followed. In a shared folder
// such as /tmp, another user's file is never written (Permission denied), and a file with a
// second link, which may have been planted, is only ever replaced. Only regular files are
// written; nothing here waits on a pipe or device.
class TextOutputFile
{
public:
    // Throws RuntimeError when the file cannot be created or written, or names no regular
    // file.
    void open(const QString& path);
    // False once closed, and once a write failed: the lines are then dropped, the target as it
    // was.
    bool isOpen() const { return bool(staged_); }
    // Throws RuntimeError 52 when the file is not open, or the system's error when the
    // buffered text cannot be kept, which closes the file.
    void writeLine(std::string_view utf8);
    // For a writer that takes only a file name (a library's): `fill` writes the file's whole
    // content through the name it is given, which reaches the waiting file and nothing else.
    // What `fill` throws closes the file and reaches the caller.
    void fillThroughName(const std::function<void(const char* name)>& fill);
    // Puts the lines in place; closing a file that is not open does nothing. When they cannot
    // be put in place the target keeps its old content.
    void close();

private:
    void flush();
    void discard();
    void commit();
    bool linkNew();
    bool replace(const struct stat& old, bool linkedElsewhere);
    void createInPlace();

    SaveTarget target_;
    UniqueFd writable_; // the file already there, open for writing
    UniqueFd staged_;
    bool stagedBeside_ = false; // in the target's folder, so it can be linked there
    std::string buffer_;
    std::int64_t length_ = 0;
};
