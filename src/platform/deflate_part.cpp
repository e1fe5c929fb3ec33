#include "platform/deflate_part.h"

#include "base/runtime_error.h"

#include <zlib.h>

struct DeflatePart::Stream
{
    z_stream z = {};
};

DeflatePart::DeflatePart(int level, Ends ends)
    : stream_(std::make_unique<Stream>()), ends_(ends), crc_(std::uint32_t(crc32(0, nullptr, 0)))
{
    // Negative window bits: raw deflate, as a zip entry holds it.
    if (deflateInit2(&stream_->z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw RuntimeError::pathFileAccess();
}

DeflatePart::~DeflatePart()
{
    deflateEnd(&stream_->z);
}

void DeflatePart::add(std::string_view plain, std::string& packed)
{
    crc_ = std::uint32_t(crc32_z(crc_, reinterpret_cast<const Bytef*>(plain.data()), plain.size()));
    plainSize_ += plain.size();
    run(plain, Z_NO_FLUSH, packed);
}

void DeflatePart::end(std::string& packed)
{
    run({}, ends_ == Ends::Last ? Z_FINISH : Z_SYNC_FLUSH, packed);
}

void DeflatePart::run(std::string_view plain, int flush, std::string& packed)
{
    z_stream& z = stream_->z;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    std::size_t left = plain.size();
    for (;;) {
        // zlib counts in 32 bits; a larger text goes through in slices.
        const uInt slice = uInt(std::min<std::size_t>(left, 1u << 30));
        z.avail_in = slice;
        const std::size_t before = packed.size();
        const std::size_t room = deflateBound(&z, slice) + 64;
        packed.resize(before + room);
        z.next_out = reinterpret_cast<Bytef*>(packed.data() + before);
        z.avail_out = uInt(room);
        const int result = deflate(&z, slice == left ? flush : Z_NO_FLUSH);
        packed.resize(before + (room - z.avail_out));
        packedSize_ += room - z.avail_out;
        left -= slice - z.avail_in;
        if (result == Z_STREAM_ERROR) throw RuntimeError::pathFileAccess();
        // With room to spare, zlib took everything and ended as asked.
        if (left == 0 && z.avail_out != 0) return;
    }
}

std::uint32_t DeflatePart::combinedCrc(std::uint32_t first, std::uint32_t second,
                                       std::uint64_t secondSize)
{
    return std::uint32_t(crc32_combine64(first, second, z_off64_t(secondSize)));
}
