#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// UTF-8 texts packed into large chunks, each text followed by a NUL so its view can be handed
// to the system as a C string. Texts are never moved while the arena lives; replaced texts
// become garbage until the owner rebuilds the arena.
class TextArena
{
public:
    // Keeps every text the arena holds now readable, whatever becomes of the arena, for as
    // long as the pin lives: threads that read the texts hold one.
    using Pin = std::vector<std::shared_ptr<const char[]>>;

    struct Ref
    {
        std::uint32_t chunk = 0;
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };

    Ref add(std::string_view text);
    // The same text as add(text); when `text` is one of `owner`'s texts, the two arenas share
    // its bytes instead of holding a copy each. The chunk it lies in then lives as long as
    // either arena refers to it.
    Ref add(std::string_view text, const TextArena& owner);
    // The text; data() is NUL-terminated. An empty Ref gives an empty text.
    std::string_view view(Ref ref) const;
    void clear();
    std::size_t bytesReserved() const { return reserved_; }
    Pin pin() const;

private:
    struct Chunk
    {
        std::shared_ptr<char[]> data;
        std::uint32_t size = 0;
        std::uint32_t used = 0; // a chunk taken from another arena is never written here, and
                                // keeps what it held when it was taken
    };
    static constexpr std::uint32_t kNone = ~std::uint32_t(0);

    // The chunk of this arena that holds `text` as a whole text, or kNone; `hint` is tried
    // first and becomes the chunk found.
    std::uint32_t chunkHolding(std::string_view text, std::uint32_t& hint) const;
    // This arena's index for the other arena's chunk, taken on first use.
    std::uint32_t shareChunk(const Chunk& theirs);

    std::vector<Chunk> chunks_;
    std::uint32_t writing_ = kNone; // the chunk new texts are written into
    std::uint32_t ownerHint_ = 0;   // where in the other arena the last shared text lay
    std::uint32_t lastShared_ = kNone;
    std::size_t reserved_ = 0; // the bytes of the chunks this arena made
};

// The rows of one list: a fixed number of text columns per row, optionally a tick, and the
// byte count the size check read for the row, when it read one. Rows are 0-based here; the list
// wrapper presents them 1-based.
class RowStore
{
public:
    // What size() answers for a row without a byte count.
    static constexpr std::int64_t kNoSize = -1;

    RowStore(int textColumns, bool checkable);

    int count() const { return static_cast<int>(cells_.size() / columns_); }
    int textColumns() const { return columns_; }
    bool checkable() const { return checkable_; }

    std::string_view text(int row, int column) const;
    void setText(int row, int column, std::string_view text);
    bool checked(int row) const;
    void setChecked(int row, bool checked);
    // Every row's tick at once; nothing for a list without ticks.
    void setAllChecked(bool checked);
    void invertChecked();

    // The row's byte count, or kNoSize. Lists that never get one spend no memory on them.
    std::int64_t size(int row) const;
    void setSize(int row, std::int64_t bytes);

    // Returns the new row's number. When `textsOf` holds the text as a row's text, the two
    // stores share its bytes.
    int append(std::string_view firstColumn, const RowStore* textsOf = nullptr);
    // Room for `more` rows beyond those there are, with their byte counts: appending that many
    // then moves no row, and never holds the old rows and their copy at once.
    void reserve(int more);
    // Removes the given rows (ascending, no repeats) in one pass; survivors keep their order.
    void removeRows(const std::vector<int>& ascendingRows);
    void clear();
    // Puts the rows in a new order: order[i] is the row that comes to stand at i. Each row
    // keeps its texts, tick and size. `order` must hold every row exactly once.
    void reorder(const std::vector<int>& order);

    std::size_t bytesReserved() const { return arena_.bytesReserved(); }
    // Keeps the texts of every row there is now readable until the pin goes.
    TextArena::Pin pinTexts() const { return arena_.pin(); }

private:
    void compactIfWasteful();

    int columns_;
    bool checkable_;
    TextArena arena_;
    std::vector<TextArena::Ref> cells_; // row-major
    std::vector<std::uint8_t> ticks_;
    std::vector<std::int64_t> sizes_; // empty until a row gets a size
    std::size_t liveBytes_ = 0;
    std::size_t garbageBytes_ = 0;
};
