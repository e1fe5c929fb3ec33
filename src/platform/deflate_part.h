#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// One part of a raw deflate stream, compressed on its own. Parts laid one after another make one
// stream when every part but the last ends open (byte-aligned, no final block); their checksum
// is the parts' checksums combined. So a file's middle can be compressed before its head is
// known.
class DeflatePart
{
public:
    enum class Ends { Open, Last };
    static constexpr int kDefaultLevel = -1; // zlib's own balance of time and size
    // zlib's levels, 1 (fastest) to 9, or kDefaultLevel.
    DeflatePart(int level, Ends ends);
    ~DeflatePart();
    DeflatePart(const DeflatePart&) = delete;
    DeflatePart& operator=(const DeflatePart&) = delete;

    // Compresses `plain`, appending what comes out to `packed`.
    void add(std::string_view plain, std::string& packed);
    // Ends the part, appending the rest to `packed`. Once.
    void end(std::string& packed);

    std::uint32_t crc() const { return crc_; }
    std::uint64_t plainSize() const { return plainSize_; }
    std::uint64_t packedSize() const { return packedSize_; }

    // The checksum of `first` followed by `second`.
    static std::uint32_t combinedCrc(std::uint32_t first, std::uint32_t second,
                                     std::uint64_t secondSize);

private:
    void run(std::string_view plain, int flush, std::string& packed);

    struct Stream;
    std::unique_ptr<Stream> stream_;
    Ends ends_;
    std::uint32_t crc_;
    std::uint64_t plainSize_ = 0;
    std::uint64_t packedSize_ = 0;
};
