#include "lists/row_store.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <stdexcept>
#include <type_traits>

namespace {
constexpr std::uint32_t kChunkSize = 1u << 20;
}

TextArena::Ref TextArena::add(std::string_view text)
{
    if (text.empty()) return {};
    if (text.size() >= std::numeric_limits<std::uint32_t>::max() - 1)
        throw std::length_error("text too long for a list row");
    const auto needed = static_cast<std::uint32_t>(text.size() + 1);
    if (writing_ == kNone || chunks_[writing_].size - chunks_[writing_].used < needed) {
        const std::uint32_t size = std::max(needed, kChunkSize);
        writing_ = static_cast<std::uint32_t>(chunks_.size());
        chunks_.push_back({std::shared_ptr<char[]>(new char[size]), size, 0});
        reserved_ += size;
    }
    Chunk& chunk = chunks_[writing_];
    const Ref ref{writing_, chunk.used, static_cast<std::uint32_t>(text.size())};
    std::memcpy(chunk.data.get() + chunk.used, text.data(), text.size());
    chunk.data.get()[chunk.used + text.size()] = '\0';
    chunk.used += needed;
    return ref;
}

TextArena::Ref TextArena::add(std::string_view text, const TextArena& owner)
{
    const std::uint32_t theirs = text.empty() ? kNone : owner.chunkHolding(text, ownerHint_);
    if (theirs == kNone) return add(text);
    const Chunk& chunk = owner.chunks_[theirs];
    return {shareChunk(chunk), static_cast<std::uint32_t>(text.data() - chunk.data.get()),
            static_cast<std::uint32_t>(text.size())};
}

std::uint32_t TextArena::chunkHolding(std::string_view text, std::uint32_t& hint) const
{
    // Texts are mostly asked for in the order they were added: the last chunk found first.
    const auto holds = [&](std::uint32_t index) {
        const Chunk& chunk = chunks_[index];
        const char* begin = chunk.data.get();
        const char* end = begin + chunk.used;
        // std::less orders pointers into different arrays too. A whole text ends in its NUL;
        // a part of one does not, and could not be handed on as a C string.
        const std::less<const char*> below;
        return !below(text.data(), begin) && below(text.data() + text.size(), end) &&
               text.data()[text.size()] == '\0';
    };
    if (hint < chunks_.size() && holds(hint)) return hint;
    for (std::uint32_t index = 0; index < chunks_.size(); ++index)
        if (holds(index)) return hint = index;
    return kNone;
}

std::uint32_t TextArena::shareChunk(const Chunk& theirs)
{
    if (lastShared_ != kNone && chunks_[lastShared_].data == theirs.data) return lastShared_;
    const auto known = std::find_if(chunks_.begin(), chunks_.end(),
                                    [&](const Chunk& chunk) { return chunk.data == theirs.data; });
    if (known != chunks_.end()) return lastShared_ = std::uint32_t(known - chunks_.begin());
    lastShared_ = static_cast<std::uint32_t>(chunks_.size());
    chunks_.push_back({theirs.data, theirs.size, theirs.used});
    return lastShared_;
}

std::string_view TextArena::view(Ref ref) const
{
    if (ref.length == 0) return std::string_view(""); // still a C string
    return {chunks_[ref.chunk].data.get() + ref.offset, ref.length};
}

TextArena::Pin TextArena::pin() const
{
    Pin pinned;
    pinned.reserve(chunks_.size());
    for (const Chunk& chunk : chunks_)
        pinned.push_back(chunk.data);
    return pinned;
}

void TextArena::clear()
{
    chunks_.clear();
    chunks_.shrink_to_fit();
    writing_ = lastShared_ = kNone;
    ownerHint_ = 0;
    reserved_ = 0;
}

RowStore::RowStore(int textColumns, bool checkable)
    : columns_(std::max(1, textColumns)), checkable_(checkable)
{
}

std::string_view RowStore::text(int row, int column) const
{
    return arena_.view(cells_.at(std::size_t(row) * columns_ + std::size_t(column)));
}

void RowStore::setText(int row, int column, std::string_view text)
{
    TextArena::Ref& cell = cells_.at(std::size_t(row) * columns_ + std::size_t(column));
    garbageBytes_ += cell.length;
    liveBytes_ += text.size();
    liveBytes_ -= cell.length;
    cell = arena_.add(text);
}

bool RowStore::checked(int row) const
{
    return checkable_ && ticks_.at(std::size_t(row)) != 0;
}

void RowStore::setChecked(int row, bool checked)
{
    if (checkable_) ticks_.at(std::size_t(row)) = checked ? 1 : 0;
}

void RowStore::setAllChecked(bool checked)
{
    std::fill(ticks_.begin(), ticks_.end(), checked ? 1 : 0);
}

void RowStore::invertChecked()
{
    for (std::uint8_t& tick : ticks_)
        tick ^= 1;
}

std::int64_t RowStore::size(int row) const
{
    if (row < 0 || row >= count()) throw std::out_of_range("no such row");
    return sizes_.empty() ? kNoSize : sizes_[std::size_t(row)];
}

void RowStore::setSize(int row, std::int64_t bytes)
{
    if (row < 0 || row >= count()) throw std::out_of_range("no such row");
    if (sizes_.empty()) {
        if (bytes == kNoSize) return;
        sizes_.assign(std::size_t(count()), kNoSize);
    }
    sizes_[std::size_t(row)] = bytes < 0 ? kNoSize : bytes;
}

void RowStore::reserve(int more)
{
    if (more <= 0) return;
    const std::size_t rows = std::size_t(count()) + std::size_t(more);
    cells_.reserve(rows * std::size_t(columns_));
    if (checkable_) ticks_.reserve(rows);
    sizes_.reserve(rows);
}

int RowStore::append(std::string_view firstColumn, const RowStore* textsOf)
{
    const int row = count();
    cells_.push_back(textsOf ? arena_.add(firstColumn, textsOf->arena_) : arena_.add(firstColumn));
    cells_.resize(cells_.size() + std::size_t(columns_ - 1));
    if (checkable_) ticks_.push_back(0);
    if (!sizes_.empty()) sizes_.push_back(kNoSize);
    liveBytes_ += firstColumn.size();
    return row;
}

void RowStore::removeRows(const std::vector<int>& ascendingRows)
{
    if (ascendingRows.empty()) return;
    const std::size_t rows = std::size_t(count());
    std::size_t write = std::size_t(ascendingRows.front());
    std::size_t next = 0; // index into ascendingRows
    for (std::size_t read = write; read < rows; ++read) {
        if (next < ascendingRows.size() && std::size_t(ascendingRows[next]) == read) {
            ++next;
            for (int c = 0; c < columns_; ++c) {
                garbageBytes_ += cells_[read * columns_ + c].length;
                liveBytes_ -= cells_[read * columns_ + c].length;
            }
            continue;
        }
        std::copy_n(cells_.begin() + std::ptrdiff_t(read * columns_), columns_,
                    cells_.begin() + std::ptrdiff_t(write * columns_));
        if (checkable_) ticks_[write] = ticks_[read];
        if (!sizes_.empty()) sizes_[write] = sizes_[read];
        ++write;
    }
    cells_.resize(write * columns_);
    if (checkable_) ticks_.resize(write);
    if (!sizes_.empty()) sizes_.resize(write);
    compactIfWasteful();
}

void RowStore::reorder(const std::vector<int>& order)
{
    const std::size_t rows = std::size_t(count());
    if (order.size() != rows) throw std::invalid_argument("an order must name every row");
    std::vector<bool> seen(rows);
    for (const int row : order) {
        if (row < 0 || std::size_t(row) >= rows || seen[std::size_t(row)])
            throw std::invalid_argument("an order must name every row once");
        seen[std::size_t(row)] = true;
    }

    // The texts stay where they are in the arena; only their references move.
    std::vector<TextArena::Ref> cells(cells_.size());
    for (std::size_t to = 0; to < rows; ++to)
        std::copy_n(cells_.begin() + std::ptrdiff_t(std::size_t(order[to]) * columns_), columns_,
                    cells.begin() + std::ptrdiff_t(to * columns_));
    cells_ = std::move(cells);
    const auto permute = [&](auto& values) {
        if (values.empty()) return;
        std::remove_reference_t<decltype(values)> moved(values.size());
        for (std::size_t to = 0; to < rows; ++to)
            moved[to] = values[std::size_t(order[to])];
        values = std::move(moved);
    };
    permute(ticks_);
    permute(sizes_);
}

void RowStore::clear()
{
    cells_.clear();
    cells_.shrink_to_fit();
    ticks_.clear();
    ticks_.shrink_to_fit();
    sizes_.clear();
    sizes_.shrink_to_fit();
    arena_.clear();
    liveBytes_ = garbageBytes_ = 0;
}

void RowStore::compactIfWasteful()
{
    // Rebuild only when most of the arena is dead text, so removals stay linear overall.
    if (garbageBytes_ < (std::size_t(8) << 20) || garbageBytes_ < liveBytes_) return;
    TextArena fresh;
    for (TextArena::Ref& cell : cells_)
        cell = fresh.add(arena_.view(cell));
    arena_ = std::move(fresh);
    garbageBytes_ = 0;
}
