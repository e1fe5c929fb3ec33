#include "platform/zip_archive.h"

#include "base/runtime_error.h"
#include "platform/save_steps.h"

#include <algorithm>
#include <zlib.h>

namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kEnd64Signature = 0x06064b50;
constexpr std::uint32_t kEnd64LocatorSignature = 0x07064b50;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kEndSize = 22;
constexpr std::uint32_t kFull32 = 0xffffffff;
constexpr std::uint16_t kZip64Extra = 0x0001;
constexpr std::uint16_t kVersionZip64 = 45;
constexpr std::uint16_t kVersionDeflate = 20;
constexpr std::uint16_t kDataDescriptorFlag = 0x0008;

std::uint64_t get(std::string_view bytes, std::size_t at, int size)
{
    if (at + std::size_t(size) > bytes.size()) throw RuntimeError::pathFileAccess();
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
    return value;
}

std::uint16_t get16(std::string_view bytes, std::size_t at)
{
    return std::uint16_t(get(bytes, at, 2));
}

std::uint32_t get32(std::string_view bytes, std::size_t at)
{
    return std::uint32_t(get(bytes, at, 4));
}

void put(std::string& out, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i, value >>= 8)
        out += char(value & 0xff);
}

void put16(std::string& out, std::uint64_t value)
{
    put(out, value, 2);
}

void put32(std::string& out, std::uint64_t value)
{
    put(out, value, 4);
}

void put64(std::string& out, std::uint64_t value)
{
    put(out, value, 8);
}

// A size or place in a 32-bit field: itself, or all ones when a zip64 field holds it.
std::uint64_t field32(std::uint64_t value)
{
    return value >= kFull32 ? kFull32 : value;
}

std::string inflated(std::string_view packed, std::uint64_t plainSize)
{
    std::string plain(plainSize, '\0');
    z_stream z = {};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw RuntimeError::pathFileAccess();
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    z.avail_in = uInt(packed.size());
    z.next_out = reinterpret_cast<Bytef*>(plain.data());
    z.avail_out = uInt(plain.size());
    const int result = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    if (result != Z_STREAM_END || z.avail_out != 0) throw RuntimeError::pathFileAccess();
    return plain;
}

// The replaced entry's content, as its headers give it.
struct NewContent
{
    std::uint32_t crc;
    std::uint64_t plainSize;
    std::uint64_t packedSize;
    bool large() const { return plainSize >= kFull32 || packedSize >= kFull32; }
};

// The replaced entry's local header, from its central record: no data descriptor, and zip64
// sizes when the content calls for them.
std::string localHeader(std::string_view central, std::string_view name, const NewContent& sizes)
{
    const bool large = sizes.large();
    std::string header;
    put32(header, kLocalSignature);
    put16(header, large ? kVersionZip64 : kVersionDeflate);
    put16(header, get16(central, 8) & ~kDataDescriptorFlag);
    put16(header, Z_DEFLATED);
    header.append(central.substr(12, 4)); // time and date
    put32(header, sizes.crc);
    put32(header, large ? kFull32 : sizes.packedSize);
    put32(header, large ? kFull32 : sizes.plainSize);
    put16(header, name.size());
    put16(header, large ? 20 : 0);
    header.append(name);
    if (large) {
        put16(header, kZip64Extra);
        put16(header, 16);
        put64(header, sizes.plainSize);
        put64(header, sizes.packedSize);
    }
    return header;
}

// An entry's central record, pointing at where the entry now is; with its new content's
// checksum and sizes when `replaced` gives them. Values past 32 bits go to a zip64 field.
std::string centralRecord(std::string_view central, std::string_view name,
                          const NewContent* replaced, std::uint64_t offset)
{
    std::string zip64Fields;
    if (replaced && replaced->plainSize >= kFull32) put64(zip64Fields, replaced->plainSize);
    if (replaced && replaced->packedSize >= kFull32) put64(zip64Fields, replaced->packedSize);
    if (offset >= kFull32) put64(zip64Fields, offset);
    const bool zip64 = offset >= kFull32 || (replaced && replaced->large());

    std::string record;
    put32(record, kCentralSignature);
    record.append(central.substr(4, 2)); // made by
    put16(record, zip64 ? kVersionZip64 : get16(central, 6));
    if (replaced) {
        put16(record, get16(central, 8) & ~kDataDescriptorFlag);
        put16(record, Z_DEFLATED);
        record.append(central.substr(12, 4));
        put32(record, replaced->crc);
        put32(record, field32(replaced->packedSize));
        put32(record, field32(replaced->plainSize));
    } else {
        record.append(central.substr(8, 20)); // flags, method, time, crc and sizes
    }
    std::string extra;
    if (!zip64Fields.empty()) {
        put16(extra, kZip64Extra);
        put16(extra, zip64Fields.size());
        extra += zip64Fields;
    }
    const std::uint16_t extraSize = get16(central, 30);
    const std::uint16_t commentSize = get16(central, 32);
    put16(record, name.size());
    put16(record, extraSize + extra.size());
    record.append(central.substr(32, 10)); // comment size, disk, attributes
    put32(record, field32(offset));
    record.append(name);
    record.append(central.substr(kCentralSize + name.size(), extraSize));
    record += extra;
    record.append(central.substr(kCentralSize + name.size() + extraSize, commentSize));
    return record;
}

// The end records: zip64's as well when the directory starts past 32 bits.
std::string endRecords(std::size_t entries, std::uint64_t directorySize, std::uint64_t directoryAt)
{
    std::string end;
    if (directoryAt >= kFull32) {
        const std::uint64_t end64At = directoryAt + directorySize;
        put32(end, kEnd64Signature);
        put64(end, 44);
        put16(end, kVersionZip64);
        put16(end, kVersionZip64);
        put32(end, 0);
        put32(end, 0);
        put64(end, entries);
        put64(end, entries);
        put64(end, directorySize);
        put64(end, directoryAt);
        put32(end, kEnd64LocatorSignature);
        put32(end, 0);
        put64(end, end64At);
        put32(end, 1);
    }
    put32(end, kEndSignature);
    put16(end, 0);
    put16(end, 0);
    put16(end, entries);
    put16(end, entries);
    put32(end, directorySize);
    put32(end, field32(directoryAt));
    put16(end, 0);
    return end;
}

// Writes the copy from its start, one piece after another.
class Output
{
public:
    explicit Output(int fd) : fd_(fd) {}
    void write(std::string_view bytes)
    {
        writeBytes(fd_, off_t(at_), bytes);
        at_ += bytes.size();
    }
    void copy(int from, off_t fromAt, std::uint64_t length)
    {
        copyRange(from, fromAt, fd_, off_t(at_), off_t(length));
        at_ += length;
    }
    std::uint64_t at() const { return at_; }

private:
    int fd_;
    std::uint64_t at_ = 0;
};

} // namespace

ZipArchive::ZipArchive(std::string bytes) : bytes_(std::move(bytes))
{
    const std::string_view all = bytes_;
    if (all.size() < kEndSize) throw RuntimeError::pathFileAccess();
    std::size_t end = all.size() - kEndSize;
    while (get32(all, end) != kEndSignature) {
        if (end == 0 || all.size() - end > kEndSize + 0xffff) throw RuntimeError::pathFileAccess();
        --end;
    }
    const std::uint16_t count = get16(all, end + 10);
    const std::uint32_t directory = get32(all, end + 16);
    if (get16(all, end + 4) != 0 || get16(all, end + 6) != 0 || count != get16(all, end + 8) ||
        directory == kFull32)
        throw RuntimeError::pathFileAccess();

    std::size_t at = directory;
    for (int i = 0; i < count; ++i) {
        if (get32(all, at) != kCentralSignature) throw RuntimeError::pathFileAccess();
        const std::size_t length =
            kCentralSize + get16(all, at + 28) + get16(all, at + 30) + get16(all, at + 32);
        if (at + length > all.size()) throw RuntimeError::pathFileAccess();
        Entry entry;
        entry.central = all.substr(at, length);
        entry.name = all.substr(at + kCentralSize, get16(all, at + 28));
        entry.packedSize = get32(all, at + 20);
        entry.offset = get32(all, at + 42);
        if (entry.packedSize == kFull32 || get32(all, at + 24) == kFull32 ||
            entry.offset == kFull32 || entry.offset >= directory)
            throw RuntimeError::pathFileAccess();
        entries_.push_back(entry);
        at += length;
    }

    // Each entry reaches to the next one's header, data descriptor and all.
    std::vector<std::uint64_t> starts;
    for (const Entry& entry : entries_)
        starts.push_back(entry.offset);
    starts.push_back(directory);
    std::sort(starts.begin(), starts.end());
    for (Entry& entry : entries_)
        entry.span = *std::upper_bound(starts.begin(), starts.end(), entry.offset) - entry.offset;
}

const ZipArchive::Entry& ZipArchive::find(std::string_view name) const
{
    const auto entry = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const Entry& e) { return e.name == name; });
    if (entry == entries_.end()) throw RuntimeError::pathFileAccess();
    return *entry;
}

std::string ZipArchive::content(std::string_view name) const
{
    const Entry& entry = find(name);
    const std::string_view all = bytes_;
    if (get32(all, entry.offset) != kLocalSignature) throw RuntimeError::pathFileAccess();
    const std::size_t data =
        entry.offset + kLocalSize + get16(all, entry.offset + 26) + get16(all, entry.offset + 28);
    if (data + entry.packedSize > all.size()) throw RuntimeError::pathFileAccess();
    const std::string_view packed = all.substr(data, entry.packedSize);
    const std::uint32_t plainSize = get32(entry.central, 24);
    std::string plain;
    switch (get16(entry.central, 10)) {
    case 0:
        plain = std::string(packed);
        break;
    case Z_DEFLATED:
        plain = inflated(packed, plainSize);
        break;
    default:
        throw RuntimeError::pathFileAccess();
    }
    if (plain.size() != plainSize || crc32_z(0, reinterpret_cast<const Bytef*>(plain.data()),
                                             plain.size()) != get32(entry.central, 16))
        throw RuntimeError::pathFileAccess();
    return plain;
}

void ZipArchive::writeReplacing(int to, std::string_view name, const DeflatedContent& content) const
{
    const Entry& replaced = find(name);
    NewContent sizes{content.crc, content.plainSize, 0};
    for (const auto& piece : content.pieces)
        sizes.packedSize += piece.fd >= 0 ? std::uint64_t(piece.length) : piece.bytes.size();

    Output out(to);
    std::string directory;
    for (const Entry& entry : entries_) {
        const std::uint64_t offset = out.at();
        const bool isReplaced = &entry == &replaced;
        if (isReplaced) {
            out.write(localHeader(entry.central, entry.name, sizes));
            for (const auto& piece : content.pieces) {
                if (piece.fd >= 0)
                    out.copy(piece.fd, 0, std::uint64_t(piece.length));
                else
                    out.write(piece.bytes);
            }
        } else {
            out.write(std::string_view(bytes_).substr(entry.offset, entry.span));
        }
        directory +=
            centralRecord(entry.central, entry.name, isReplaced ? &sizes : nullptr, offset);
    }
    const std::uint64_t directoryAt = out.at();
    out.write(directory);
    out.write(endRecords(entries_.size(), directory.size(), directoryAt));
}
