#include "lists/row_store.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {
constexpr std::uint32_t kChunkSize = 1u << 20;
}

TextArena::Ref TextArena::add(std::string_view text)
{
    if (text.empty()) return {};
    if (text.size() >= std::numeric_limits<std::uint32_t>::max() - 1)
        throw std::length_error("text too long for a list row");
    const auto needed = static_cast<std::uint32_t>(text.size() + 1);
    if (chunks_.empty() || chunks_.back().size - chunks_.back().used < needed) {
        const std::uint32_t size = std::max(needed, kChunkSize);
        chunks_.push_back({std::shared_ptr<char[]>(new char[size]), size, 0});
        reserved_ += size;
    }
    Chunk& chunk = chunks_.back();
    const Ref ref{static_cast<std::uint32_t>(chunks_.size() - 1), chunk.used,
                  static_cast<std::uint32_t>(text.size())};
    std::memcpy(chunk.data.get() + chunk.used, text.data(), text.size());
    chunk.data.get()[chunk.used + text.size()] = '\0';
    chunk.used += needed;
    return ref;
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

int RowStore::append(std::string_view firstColumn)
{
    const int row = count();
    cells_.push_back(arena_.add(firstColumn));
    cells_.resize(cells_.size() + std::size_t(columns_ - 1));
    if (checkable_) ticks_.push_back(0);
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
        ++write;
    }
    cells_.resize(write * columns_);
    if (checkable_) ticks_.resize(write);
    compactIfWasteful();
}

void RowStore::clear()
{
    cells_.clear();
    cells_.shrink_to_fit();
    ticks_.clear();
    ticks_.shrink_to_fit();
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
