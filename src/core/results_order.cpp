#include "core/results_order.h"

#include "core/ascii_keys.h"
#include "core/collation_parts.h"
#include "lists/row_list.h"

#include <QCollator>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace {

// Folder paths and their numbers, in one open-addressed array: a million lookups in a node map
// pay a cache miss or two each for the nodes alone.
class FolderIds
{
public:
    // The folder's number, or -1 when it is not known yet.
    static std::size_t hashOf(std::string_view path) { return std::hash<std::string_view>()(path); }

    int find(std::string_view path) const { return find(path, hashOf(path)); }

    int find(std::string_view path, std::size_t hash) const
    {
        for (std::size_t at = hash & mask();; at = (at + 1) & mask()) {
            const Slot& slot = slots_[at];
            if (slot.id < 0) return -1;
            if (slot.hash == hash && slot.path == path) return slot.id;
        }
    }

    // Asks the memory for what a find of a path with this hash reads: first the slot, later
    // (once the slot is there) the path it holds. Always inlined, as every prefetch here: a
    // function that only prefetches looks free of effects to the compiler, whose calls to it
    // then vanish.
    [[gnu::always_inline]] void prefetchSlot(std::size_t hash) const
    {
        // The next slot too: a find often reads it, and it may start another cache line.
        __builtin_prefetch(&slots_[hash & mask()]);
        __builtin_prefetch(&slots_[(hash + 1) & mask()]);
    }
    [[gnu::always_inline]] void prefetchPath(std::size_t hash) const
    {
        const Slot& slot = slots_[hash & mask()];
        if (slot.id >= 0) __builtin_prefetch(slot.path.data());
    }

    // Adds a folder not known yet.
    void add(std::string_view path, int id)
    {
        if (2 * (used_ + 1) > slots_.size()) grow();
        place({hashOf(path), path, id});
        ++used_;
    }

private:
    struct Slot
    {
        std::size_t hash = 0;
        std::string_view path;
        int id = -1;
    };

    std::size_t mask() const { return slots_.size() - 1; }

    void place(const Slot& entry)
    {
        std::size_t at = entry.hash & mask();
        while (slots_[at].id >= 0)
            at = (at + 1) & mask();
        slots_[at] = entry;
    }

    void grow()
    {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        for (const Slot& entry : old)
            if (entry.id >= 0) place(entry);
    }

    std::vector<Slot> slots_ = std::vector<Slot>(64); // a power of two
    std::size_t used_ = 0;
};

// Bytes that stay where they were written, for keys viewed in place: filled a chunk at a time.
class KeyArena
{
public:
    // Room for `size` bytes, at the end of what was kept.
    char* room(std::size_t size)
    {
        if (size > left_) {
            left_ = std::max(size, kChunk);
            chunks_.push_back(std::make_unique_for_overwrite<char[]>(left_));
            next_ = chunks_.back().get();
        }
        return next_;
    }

    // Keeps the first `size` bytes of the room last given.
    void keep(std::size_t size)
    {
        next_ += size;
        left_ -= size;
    }

private:
    static constexpr std::size_t kChunk = std::size_t(1) << 20;
    std::vector<std::unique_ptr<char[]>> chunks_;
    char* next_ = nullptr;
    std::size_t left_ = 0;
};

QCollator numericCollator(const QLocale& locale)
{
    QCollator collator(locale);
    collator.setNumericMode(true);
    return collator;
}

// The rows by name, cheaply. A collation key for every whole path costs more than a second at a
// million rows; but two paths in the same folder compare as their names do (the collator skips
// an equal beginning that ends at a separator), and a folder's whole subtree sorts among its
// parent's entries as its name with the separator does (no file name holds one). So the rows
// are walked as a tree of folders whose entries, names and sub-folders, are sorted by keys of
// those short texts. A folder whose every entry is printable ASCII is sorted by quick keys
// (AsciiNameKeys), any other by the collator's own, which cost several times more to make.
// The result is then checked pair by pair against the collator's verdict, on the names within
// a folder and on the whole texts across folders; the rare text where a shortcut fails
// (characters the collator ignores, say, or a context the quick keys do not know) sends the
// whole list the slow, plain way. The keys, the folders' sorts and the check are split over
// the cores.
class NameSorter
{
public:
    NameSorter(const RowList& list, SortDirection direction, const QLocale& locale)
        : list_(list), descending_(direction == SortDirection::Descending),
          parts_(numericCollator(locale)), asciiKeys_(numericCollator(locale))
    {
    }

    std::vector<int> run()
    {
        const int rows = list_.count();
        texts_.reserve(std::size_t(rows));
        for (int row = 1; row <= rows; ++row)
            texts_.push_back(list_.textUtf8(row));

        buildTree();
        makeKeys();
        sortEntries();
        std::vector<int> order = walkTree();
        // Ties went the other way round, so that reversing keeps equal rows in their order.
        if (descending_) std::reverse(order.begin(), order.end());
        if (!inOrder(order)) order = plainSort();
        for (int& row : order)
            ++row; // the list's row numbers
        return order;
    }

private:
    struct Folder
    {
        std::string_view component; // within the parent, separator included; empty for the root
        int firstRow = 0;           // the first row in the subtree, for ties
        std::vector<int> subfolders;
        std::string_view quickKey;           // of the component; empty when it gets none
        std::optional<QCollatorSortKey> key; // of the component, when the parent needs it
    };

    // An entry of one folder: a file (row) or a sub-folder, with its key. Small, as a million
    // of them are sorted: the key is a quick key's bytes in a folder sorted by those, else a
    // QCollatorSortKey.
    struct Entry
    {
        const void* key;
        std::uint32_t keySize; // of a quick key
        int tie;               // row order
        int id;                // row, or folder
        bool isFolder;

        std::string_view quickKey() const { return {static_cast<const char*>(key), keySize}; }
        const QCollatorSortKey& collatorKey() const
        {
            return *static_cast<const QCollatorSortKey*>(key);
        }
    };

    static QString fromUtf8(std::string_view text)
    {
        return QString::fromUtf8(text.data(), qsizetype(text.size()));
    }

    static std::string_view nameOf(std::string_view path)
    {
        const std::size_t slash = path.rfind('/');
        return slash == path.npos ? path : path.substr(slash + 1);
    }

    // The path without its last component, which ends in the separator.
    static std::string_view parentOf(std::string_view path)
    {
        const std::size_t cut = path.size() >= 2 ? path.rfind('/', path.size() - 2) : path.npos;
        return cut == path.npos ? std::string_view() : path.substr(0, cut + 1);
    }

    // How far ahead of the rows read their memory is asked for.
    static constexpr std::size_t kAhead = 16;

    // For rows read out of order: where the row's text is, and what else is kept of it, asked
    // for before its text can be.
    [[gnu::always_inline]] void prefetchRow(std::size_t row) const
    {
        __builtin_prefetch(&texts_[row]);
        __builtin_prefetch(&rowFolder_[row]);
        __builtin_prefetch(&rowSlot_[row]);
    }

    [[gnu::always_inline]] void prefetchText(std::size_t row) const
    {
        const std::string_view text = texts_[row];
        __builtin_prefetch(text.data());
        __builtin_prefetch(text.data() + text.size() - 1);
    }

    int addFolder(std::string_view path, int row)
    {
        const int id = int(tree_.size());
        folders_.add(path, id);
        tree_.push_back({});
        tree_.back().firstRow = row;
        return id;
    }

    // The folder of a path that ends in the separator (or is empty: the root, always there).
    // A folder not met before comes with every parent up to one that was, each linked into its
    // parent.
    int folderOf(std::string_view path, std::size_t hash, int row)
    {
        if (const int known = folders_.find(path, hash); known >= 0) return known;
        const int found = addFolder(path, row);
        int child = found;
        for (std::string_view at = path;;) {
            const std::string_view parent = parentOf(at);
            tree_[std::size_t(child)].component = at.substr(parent.size());
            const int known = folders_.find(parent);
            const int id = known >= 0 ? known : addFolder(parent, row);
            tree_[std::size_t(id)].subfolders.push_back(child);
            if (known >= 0) return found;
            child = id;
            at = parent;
        }
    }

    void buildTree()
    {
        tree_.push_back({}); // the root: the folder of texts without a separator
        folders_.add(std::string_view(), 0);
        const std::size_t rows = texts_.size();
        const auto folderPath = [this](std::size_t row) {
            const std::string_view text = texts_[row];
            return text.substr(0, text.size() - nameOf(text).size());
        };
        // Once sorted, rows no longer stand in the order their texts lie in memory, and a
        // lookup is cache misses, not work: each row's text, its slot, and then the path in the
        // slot are asked for some rows before they are read.
        std::vector<std::size_t> hashes(rows);
        parts_.run(rows, [&](std::size_t begin, std::size_t end, std::size_t, const QCollator&) {
            for (std::size_t row = begin; row < end; ++row) {
                if (row + kAhead < end) prefetchText(row + kAhead);
                hashes[row] = FolderIds::hashOf(folderPath(row));
            }
        });
        rowFolder_.resize(rows);
        for (std::size_t row = 0; row < rows; ++row) {
            if (row + 2 * kAhead < rows) folders_.prefetchSlot(hashes[row + 2 * kAhead]);
            if (row + kAhead < rows) {
                prefetchText(row + kAhead);
                folders_.prefetchPath(hashes[row + kAhead]);
            }
            rowFolder_[row] = folderOf(folderPath(row), hashes[row], int(row));
        }
        // The rows of each folder, together, in row order.
        folderStart_.assign(tree_.size() + 1, 0);
        for (const int folder : rowFolder_)
            ++folderStart_[std::size_t(folder) + 1];
        for (std::size_t i = 1; i < folderStart_.size(); ++i)
            folderStart_[i] += folderStart_[i - 1];
        folderRows_.resize(rows);
        rowSlot_.resize(rows);
        std::vector<int> next(folderStart_.begin(), folderStart_.end() - 1);
        for (std::size_t row = 0; row < rows; ++row) {
            const int slot = next[std::size_t(rowFolder_[row])]++;
            folderRows_[std::size_t(slot)] = int(row);
            rowSlot_[row] = slot;
        }
        // Each folder's entries, its rows and then its sub-folders, lie together.
        entryStart_.assign(tree_.size() + 1, 0);
        for (std::size_t folder = 0; folder < tree_.size(); ++folder)
            entryStart_[folder + 1] = entryStart_[folder] + folderStart_[folder + 1] -
                                      folderStart_[folder] + tree_[folder].subfolders.size();
    }

    // The quick keys of `count` texts, made on every core, each part into an arena of its own;
    // an empty key for a text that gets none.
    template <typename TextAt>
    std::vector<std::string_view> quickKeys(std::size_t count, const TextAt& textAt)
    {
        std::vector<std::string_view> keys(count);
        if (!asciiKeys_.usable()) return keys;
        const std::size_t first = arenas_.size();
        arenas_.resize(first + parts_.partsFor(count));
        parts_.run(count,
                   [&](std::size_t begin, std::size_t end, std::size_t part, const QCollator&) {
                       KeyArena& arena = arenas_[first + part];
                       for (std::size_t i = begin; i < end; ++i) {
                           const std::string_view text = textAt(i);
                           char* const room = arena.room(AsciiNameKeys::maxKeySize(text.size()));
                           const std::size_t size =
                               asciiKeys_.write(text, reinterpret_cast<unsigned char*>(room));
                           arena.keep(size);
                           keys[i] = {room, size};
                       }
                   });
        return keys;
    }

    void makeKeys()
    {
        // Keys made folder by folder lie together in memory, as the walk reads them.
        nameKeys_ = quickKeys(texts_.size(), [this](std::size_t slot) {
            if (slot + 2 * kAhead < texts_.size())
                prefetchRow(std::size_t(folderRows_[slot + 2 * kAhead]));
            if (slot + kAhead < texts_.size())
                prefetchText(std::size_t(folderRows_[slot + kAhead]));
            return nameOf(texts_[std::size_t(folderRows_[slot])]);
        });
        const std::vector<std::string_view> componentKeys =
            quickKeys(tree_.size(), [this](std::size_t folder) { return tree_[folder].component; });

        // A folder is sorted by quick keys when every entry has one: they order nothing beside
        // the collator's own.
        quickFolder_.assign(tree_.size(), 1);
        for (std::size_t folder = 0; folder < tree_.size(); ++folder) {
            Folder& entry = tree_[folder];
            entry.quickKey = componentKeys[folder];
            for (int slot = folderStart_[folder]; slot < folderStart_[folder + 1]; ++slot)
                if (nameKeys_[std::size_t(slot)].empty()) quickFolder_[folder] = 0;
            for (const int sub : entry.subfolders)
                if (componentKeys[std::size_t(sub)].empty()) quickFolder_[folder] = 0;
        }

        // The collator's keys of the other folders' names, folder by folder.
        std::vector<int> slowSlots;
        slowStart_.assign(tree_.size(), 0);
        for (std::size_t folder = 0; folder < tree_.size(); ++folder) {
            slowStart_[folder] = int(slowSlots.size());
            if (quickFolder_[folder]) continue;
            for (int slot = folderStart_[folder]; slot < folderStart_[folder + 1]; ++slot)
                slowSlots.push_back(slot);
        }
        slowKeys_ = collationKeys(parts_, slowSlots.size(), [&](std::size_t i) {
            return fromUtf8(nameOf(texts_[std::size_t(folderRows_[std::size_t(slowSlots[i])])]));
        });
        parts_.run(tree_.size(), [this](std::size_t begin, std::size_t end, std::size_t,
                                        const QCollator& collator) {
            // Each folder writes only its sub-folders' keys, which no other folder has.
            for (std::size_t folder = begin; folder < end; ++folder) {
                if (quickFolder_[folder]) continue;
                for (const int sub : tree_[folder].subfolders) {
                    Folder& child = tree_[std::size_t(sub)];
                    child.key = collator.sortKey(fromUtf8(child.component));
                }
            }
        });
    }

    // The collator's key of the name in a slot of a folder not sorted by quick keys.
    const QCollatorSortKey& slowKey(std::size_t folder, int slot) const
    {
        return slowKeys_[std::size_t(slowStart_[folder] + slot - folderStart_[folder])];
    }

    // Every folder's entries in order, the folders shared out by how many entries they hold.
    void sortEntries()
    {
        entries_.resize(entryStart_.back());
        parts_.run(entries_.size(), [this](std::size_t begin, std::size_t end, std::size_t,
                                           const QCollator&) {
            const auto first = std::lower_bound(entryStart_.begin(), entryStart_.end() - 1, begin);
            const auto last = std::lower_bound(first, entryStart_.end() - 1, end);
            for (auto folder = std::size_t(first - entryStart_.begin());
                 folder < std::size_t(last - entryStart_.begin()); ++folder)
                sortEntriesOf(folder);
        });
    }

    void sortEntriesOf(std::size_t folderId)
    {
        const Folder& folder = tree_[folderId];
        const bool quick = quickFolder_[folderId];
        Entry* const first = entries_.data() + entryStart_[folderId];
        Entry* at = first;
        for (int slot = folderStart_[folderId]; slot < folderStart_[folderId + 1]; ++slot) {
            const int row = folderRows_[std::size_t(slot)];
            if (quick) {
                const std::string_view key = nameKeys_[std::size_t(slot)];
                *at++ = {key.data(), std::uint32_t(key.size()), row, row, false};
            } else {
                *at++ = {&slowKey(folderId, slot), 0, row, row, false};
            }
        }
        for (const int sub : folder.subfolders) {
            const Folder& child = tree_[std::size_t(sub)];
            if (quick)
                *at++ = {child.quickKey.data(), std::uint32_t(child.quickKey.size()),
                         child.firstRow, sub, true};
            else
                *at++ = {&*child.key, 0, child.firstRow, sub, true};
        }
        if (quick)
            std::sort(first, at, [this](const Entry& a, const Entry& b) {
                return before(a.quickKey().compare(b.quickKey()), a, b);
            });
        else
            std::sort(first, at, [this](const Entry& a, const Entry& b) {
                return before(a.collatorKey().compare(b.collatorKey()), a, b);
            });
    }

    bool before(int compared, const Entry& a, const Entry& b) const
    {
        if (compared != 0) return compared < 0;
        return descending_ ? a.tie > b.tie : a.tie < b.tie;
    }

    // Each folder's entries in order, depth first: the rows in ascending order.
    std::vector<int> walkTree() const
    {
        std::vector<int> order;
        order.reserve(texts_.size());
        // A chain of folders may be thousands deep: the walk keeps its own stack of the entries
        // still to visit in each folder entered.
        std::vector<std::pair<std::size_t, std::size_t>> stack{{entryStart_[0], entryStart_[1]}};
        while (!stack.empty()) {
            auto& [next, end] = stack.back();
            if (next == end) {
                stack.pop_back();
                continue;
            }
            const Entry& entry = entries_[next++];
            if (entry.isFolder)
                stack.emplace_back(entryStart_[std::size_t(entry.id)],
                                   entryStart_[std::size_t(entry.id) + 1]);
            else
                order.push_back(entry.id);
        }
        return order;
    }

    // The collator's verdict on two rows' whole texts: on their names when they share a folder,
    // through its keys of them in a folder sorted by those.
    int compareRows(int a, int b, const QCollator& collator) const
    {
        const std::string_view textA = texts_[std::size_t(a)];
        const std::string_view textB = texts_[std::size_t(b)];
        const auto folder = std::size_t(rowFolder_[std::size_t(a)]);
        if (folder != std::size_t(rowFolder_[std::size_t(b)]))
            return compareTexts(textA, textB, collator);
        if (quickFolder_[folder]) return compareTexts(nameOf(textA), nameOf(textB), collator);
        return slowKey(folder, rowSlot_[std::size_t(a)])
            .compare(slowKey(folder, rowSlot_[std::size_t(b)]));
    }

    // Longer texts are widened into strings of their own.
    static constexpr std::size_t kWidened = 512;

    // ASCII as UTF-16 into `wide` (room for kWidened); false for any other text.
    static bool widen(std::string_view text, char16_t* wide)
    {
        if (text.size() > kWidened) return false;
        unsigned char any = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            any |= c;
            wide[i] = c;
        }
        return any < 0x80;
    }

    // The collator's verdict on two texts; ASCII on the stack, as a million of them come by.
    static int compareTexts(std::string_view a, std::string_view b, const QCollator& collator)
    {
        char16_t wideA[kWidened];
        char16_t wideB[kWidened];
        if (widen(a, wideA) && widen(b, wideB))
            return collator.compare(QStringView(wideA, qsizetype(a.size())),
                                    QStringView(wideB, qsizetype(b.size())));
        return collator.compare(fromUtf8(a), fromUtf8(b));
    }

    bool inOrder(const std::vector<int>& order) const
    {
        if (order.size() < 2) return true;
        std::vector<char> partInOrder(parts_.partsFor(order.size() - 1), 1);
        parts_.run(order.size() - 1, [&](std::size_t begin, std::size_t end, std::size_t part,
                                         const QCollator& collator) {
            for (std::size_t i = begin; i < end; ++i) {
                if (i + 2 * kAhead < order.size()) prefetchRow(std::size_t(order[i + 2 * kAhead]));
                if (i + kAhead < order.size()) prefetchText(std::size_t(order[i + kAhead]));
                const int a = order[i];
                const int b = order[i + 1];
                const int compared = compareRows(a, b, collator);
                if (compared == 0 ? a > b : (compared < 0) == descending_) {
                    partInOrder[part] = 0;
                    return;
                }
            }
        });
        return std::all_of(partInOrder.begin(), partInOrder.end(), [](char ok) { return ok; });
    }

    std::vector<int> plainSort() const
    {
        const std::vector<QCollatorSortKey> keys = collationKeys(
            parts_, texts_.size(), [this](std::size_t row) { return fromUtf8(texts_[row]); });
        std::vector<int> order(texts_.size());
        for (std::size_t row = 0; row < order.size(); ++row)
            order[row] = int(row);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const int compared = keys[std::size_t(a)].compare(keys[std::size_t(b)]);
            return descending_ ? compared > 0 : compared < 0;
        });
        return order;
    }

    const RowList& list_;
    bool descending_;
    CollationParts parts_;
    AsciiNameKeys asciiKeys_;
    std::vector<std::string_view> texts_; // the rows' texts, 0-based
    FolderIds folders_;
    std::vector<Folder> tree_;
    std::vector<int> rowFolder_;
    std::vector<int> folderStart_; // folder f's rows are folderRows_[start[f] .. start[f + 1])
    std::vector<int> folderRows_;
    std::vector<int> rowSlot_;               // where each row is in folderRows_
    std::vector<KeyArena> arenas_;           // the quick keys' bytes, one a part
    std::vector<std::string_view> nameKeys_; // quick keys, in the order of folderRows_
    std::vector<char> quickFolder_;          // whether a folder is sorted by quick keys
    std::vector<QCollatorSortKey> slowKeys_; // the other folders' names', folder by folder
    std::vector<int> slowStart_;             // where a folder's are in slowKeys_
    std::vector<std::size_t> entryStart_;    // folder f's entries are entries_[start[f] ..)
    std::vector<Entry> entries_;
};

} // namespace

std::vector<int> rowsBySize(const RowList& list, SortDirection direction)
{
    struct Sized
    {
        std::int64_t bytes;
        int row;
    };
    const int rows = list.count();
    std::vector<Sized> sized;
    std::vector<int> unsized;
    sized.reserve(std::size_t(rows));
    for (int row = 1; row <= rows; ++row) {
        if (const std::optional<std::int64_t> bytes = list.size(row))
            sized.push_back({*bytes, row});
        else
            unsized.push_back(row);
    }
    // The row number decides between equal sizes, which keeps the sort stable.
    if (direction == SortDirection::Ascending)
        std::sort(sized.begin(), sized.end(), [](const Sized& a, const Sized& b) {
            return a.bytes != b.bytes ? a.bytes < b.bytes : a.row < b.row;
        });
    else
        std::sort(sized.begin(), sized.end(), [](const Sized& a, const Sized& b) {
            return a.bytes != b.bytes ? a.bytes > b.bytes : a.row < b.row;
        });

    std::vector<int> order;
    order.reserve(std::size_t(rows));
    for (const Sized& row : sized)
        order.push_back(row.row);
    order.insert(order.end(), unsized.begin(), unsized.end());
    return order;
}

std::vector<int> rowsByName(const RowList& list, SortDirection direction, const QLocale& locale)
{
    return NameSorter(list, direction, locale).run();
}
