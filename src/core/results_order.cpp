#include "core/results_order.h"

#include "lists/row_list.h"

#include <QCollator>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The rows by name, cheaply. A collation key for every whole path costs more than a second at a
// million rows; but two paths in the same folder compare as their names do (the collator skips
// an equal beginning that ends at a separator), and a folder's whole subtree sorts among its
// parent's entries as its name with the separator does (no file name holds one). So the rows
// are walked as a tree of folders whose entries, names and sub-folders, are sorted by the
// collation keys of those short texts. The result is then checked pair by pair against the
// collator's verdict on the whole texts; the rare text where the shortcut fails (characters the
// collator ignores, say) sends the whole list the slow, plain way.
class NameSorter
{
public:
    NameSorter(const RowList& list, SortDirection direction, const QLocale& locale)
        : list_(list), descending_(direction == SortDirection::Descending)
    {
        collator_.setLocale(locale);
        collator_.setNumericMode(true);
    }

    std::vector<int> run()
    {
        const int rows = list_.count();
        texts_.reserve(std::size_t(rows));
        for (int row = 1; row <= rows; ++row)
            texts_.push_back(list_.textUtf8(row));

        buildTree();
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
        std::optional<QCollatorSortKey> key; // of the component
    };

    // Entries of one folder: files (rows) and sub-folders, each with its key.
    struct Entry
    {
        const QCollatorSortKey* key;
        int tie; // row order
        int id;  // row, or folder
        bool isFolder;
    };

    // The path without its last component, which ends in the separator.
    static std::string_view parentOf(std::string_view path)
    {
        const std::size_t cut = path.size() >= 2 ? path.rfind('/', path.size() - 2) : path.npos;
        return cut == path.npos ? std::string_view() : path.substr(0, cut + 1);
    }

    int addFolder(std::string_view path, int row)
    {
        const int id = int(tree_.size());
        folders_.emplace(path, id);
        tree_.push_back({});
        tree_.back().firstRow = row;
        return id;
    }

    // The folder of a path that ends in the separator (or is empty: the root, always there).
    // A folder not met before comes with every parent up to one that was, each linked into its
    // parent.
    int folderOf(std::string_view path, int row)
    {
        if (const auto known = folders_.find(path); known != folders_.end()) return known->second;
        const int found = addFolder(path, row);
        int child = found;
        for (std::string_view at = path;;) {
            const std::string_view parent = parentOf(at);
            tree_[std::size_t(child)].component = at.substr(parent.size());
            const auto known = folders_.find(parent);
            const int id = known != folders_.end() ? known->second : addFolder(parent, row);
            tree_[std::size_t(id)].subfolders.push_back(child);
            if (known != folders_.end()) return found;
            child = id;
            at = parent;
        }
    }

    void buildTree()
    {
        tree_.push_back({}); // the root: the folder of texts without a separator
        folders_.emplace(std::string_view(), 0);
        const std::size_t rows = texts_.size();
        rowFolder_.resize(rows);
        for (std::size_t row = 0; row < rows; ++row) {
            const std::string_view text = texts_[row];
            const std::size_t slash = text.rfind('/');
            const std::size_t nameAt = slash == text.npos ? 0 : slash + 1;
            rowFolder_[row] = folderOf(text.substr(0, nameAt), int(row));
        }
        // The rows of each folder, together, in row order.
        folderStart_.assign(tree_.size() + 1, 0);
        for (const int folder : rowFolder_)
            ++folderStart_[std::size_t(folder) + 1];
        for (std::size_t i = 1; i < folderStart_.size(); ++i)
            folderStart_[i] += folderStart_[i - 1];
        folderRows_.resize(rows);
        std::vector<int> next(folderStart_.begin(), folderStart_.end() - 1);
        for (std::size_t row = 0; row < rows; ++row)
            folderRows_[std::size_t(next[std::size_t(rowFolder_[row])]++)] = int(row);

        // Keys made folder by folder lie together in memory, as the walk reads them.
        nameKeys_.reserve(rows);
        rowSlot_.resize(rows);
        for (std::size_t slot = 0; slot < rows; ++slot) {
            const std::size_t row = std::size_t(folderRows_[slot]);
            rowSlot_[row] = int(slot);
            const std::string_view text = texts_[row];
            const std::size_t slash = text.rfind('/');
            nameKeys_.push_back(
                collator_.sortKey(fromUtf8(slash == text.npos ? text : text.substr(slash + 1))));
        }
        for (Folder& folder : tree_)
            if (!folder.component.empty())
                folder.key = collator_.sortKey(fromUtf8(folder.component));
    }

    bool before(const Entry& a, const Entry& b) const
    {
        const int compared = a.key->compare(*b.key);
        if (compared != 0) return compared < 0;
        return descending_ ? a.tie > b.tie : a.tie < b.tie;
    }

    // Each folder's entries in order, depth first: the rows in ascending order.
    std::vector<int> walkTree()
    {
        std::vector<int> order;
        order.reserve(texts_.size());
        // A chain of folders may be thousands deep: the walk keeps its own stack.
        struct Visit
        {
            std::vector<Entry> entries;
            std::size_t next = 0;
        };
        std::vector<Visit> stack;
        const auto enter = [&](int folderId) {
            const Folder& folder = tree_[std::size_t(folderId)];
            Visit visit;
            for (int i = folderStart_[std::size_t(folderId)];
                 i < folderStart_[std::size_t(folderId) + 1]; ++i) {
                const int row = folderRows_[std::size_t(i)];
                visit.entries.push_back({&nameKeys_[std::size_t(i)], row, row, false});
            }
            for (const int sub : folder.subfolders) {
                const Folder& child = tree_[std::size_t(sub)];
                visit.entries.push_back({&*child.key, child.firstRow, sub, true});
            }
            std::sort(visit.entries.begin(), visit.entries.end(),
                      [this](const Entry& a, const Entry& b) { return before(a, b); });
            stack.push_back(std::move(visit));
        };
        enter(0);
        while (!stack.empty()) {
            Visit& top = stack.back();
            if (top.next == top.entries.size()) {
                stack.pop_back();
                continue;
            }
            const Entry entry = top.entries[top.next++];
            if (entry.isFolder)
                enter(entry.id);
            else
                order.push_back(entry.id);
        }
        return order;
    }

    // The collator's verdict on two rows' whole texts.
    int compareRows(int a, int b) const
    {
        if (rowFolder_[std::size_t(a)] == rowFolder_[std::size_t(b)])
            return nameKeys_[std::size_t(rowSlot_[std::size_t(a)])].compare(
                nameKeys_[std::size_t(rowSlot_[std::size_t(b)])]);
        return collator_.compare(fromUtf8(texts_[std::size_t(a)]),
                                 fromUtf8(texts_[std::size_t(b)]));
    }

    bool inOrder(const std::vector<int>& order) const
    {
        for (std::size_t i = 1; i < order.size(); ++i) {
            const int a = order[i - 1];
            const int b = order[i];
            const int compared = compareRows(a, b);
            const bool ordered = compared == 0 ? a < b : (compared < 0) != descending_;
            if (!ordered) return false;
        }
        return true;
    }

    std::vector<int> plainSort() const
    {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(texts_.size());
        for (const std::string_view text : texts_)
            keys.push_back(collator_.sortKey(fromUtf8(text)));
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
    QCollator collator_;
    std::vector<std::string_view> texts_; // the rows' texts, 0-based
    std::unordered_map<std::string_view, int> folders_;
    std::vector<Folder> tree_;
    std::vector<int> rowFolder_;
    std::vector<int> folderStart_; // folder f's rows are folderRows_[start[f] .. start[f + 1])
    std::vector<int> folderRows_;
    std::vector<QCollatorSortKey> nameKeys_; // in the order of folderRows_
    std::vector<int> rowSlot_;               // where each row's key is in nameKeys_
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
