#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// One entry's new content, deflated already: pieces laid end to end, each held in memory or
// the first bytes of a file.
struct DeflatedContent
{
    struct Piece
    {
        std::string bytes;
        int fd = -1; // when not -1, the piece is this file's first `length` bytes
        off_t length = 0;
    };
    std::vector<Piece> pieces;
    std::uint32_t crc = 0;
    std::uint64_t plainSize = 0;
};

// A small zip archive read whole, to take one entry out and write a copy with that entry's
// content replaced. The copy may be as large as the new content makes it: it turns to zip64
// where its sizes or places call for it, and only then.
class ZipArchive
{
public:
    // Throws RuntimeError when `bytes` hold no zip archive this can read: one of several
    // disks, or zip64 itself.
    explicit ZipArchive(std::string bytes);

    // An entry's content, inflated and checked. Throws RuntimeError when the archive has no
    // such entry or its content is damaged.
    std::string content(std::string_view name) const;

    // The archive written into `to` from its start, entries in their order, with `name`
    // holding `content`. Throws RuntimeError.
    void writeReplacing(int to, std::string_view name, const DeflatedContent& content) const;

private:
    struct Entry
    {
        std::string_view central; // its record in the central directory, whole
        std::string_view name;
        std::uint32_t offset;     // of its local header
        std::uint32_t packedSize; // of its data
        std::uint64_t span = 0;   // from its local header to the next entry
    };
    const Entry& find(std::string_view name) const;

    std::string bytes_;
    std::vector<Entry> entries_;
};
