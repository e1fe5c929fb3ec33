#pragma once

#include <sys/types.h>

class SaveTarget;

// Gives the file open for writing as `out` the first `length` bytes of `content`, in place, so
// that it stays the same file to everyone who holds it (its links, owner, ACLs, attributes),
// and so that the save can always go back:
//
// 1. the old content is copied to a hidden sibling, ".NAME.old-content.RANDOM", and synced;
// 2. room for the new content is made sure of (reserved, or counted where the file system
//    reserves nothing), so a full disk fails before one old byte changes;
// 3. the new content is written, the file cut to length and synced, and the copy removed.
//
// A write that fails puts the old content back and removes the copy. A process killed on the
// way leaves the copy beside the file. Where the folder takes no new name, the copy has no
// name and lives only as long as the process. Throws RuntimeError; "Permission denied" when the
// old content cannot be read, and so could not be put back.
void rewriteInPlace(const SaveTarget& target, int out, int content, off_t length);
