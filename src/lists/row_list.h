#pragma once

#include "lists/list_model.h"

#include <QItemSelectionModel>
#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// One list's rows with the classic 1-based operations the commands use: the item model and
// which row is selected, and nothing of how they are shown. Row and column numbers out of
// range raise RuntimeError 35600, as the classic control did.
class RowList
{
public:
    RowList(int textColumns, bool checkable);

    ListModel& model() { return model_; }
    const ListModel& model() const { return model_; }
    // Shared with every view of the list, so a selection made here shows there.
    QItemSelectionModel& selection() { return selection_; }

    int count() const { return model_.store().count(); }
    int columnCount() const { return int(model_.headers().size()); }
    QString columnHeader(int column) const;
    void addColumn(const QString& header);

    // Row texts. Column 1 is the row's own text; sub-item k is column k + 1.
    QString text(int row) const;
    std::string_view textUtf8(int row) const; // valid until the list next changes
    // Keeps the texts of every row there is now readable, views included, until the pin goes,
    // however the list changes meanwhile.
    TextArena::Pin pinTexts() const { return model_.store().pinTexts(); }
    void setText(int row, const QString& text);
    void setTextUtf8(int row, std::string_view text); // the bytes as they are, UTF-8 or not
    QString subItem(int row, int item) const;
    std::string_view subItemUtf8(int row, int item) const; // valid until the list next changes
    void setSubItem(int row, int item, const QString& text);
    bool checked(int row) const;
    void setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    void invertChecked();

    // The exact byte count the size check read for a row; nothing when it read none.
    std::optional<std::int64_t> size(int row) const;
    void setSize(int row, std::int64_t bytes);

    // Appends at the end and returns the new row's number.
    int add(const QString& text);
    int addUtf8(std::string_view text);
    // As addUtf8(text); when `text` is a row text of `textsOf` (from its textUtf8), the two
    // lists share its bytes rather than each holding a copy.
    int addUtf8(std::string_view text, const RowList& textsOf);
    // Room for `more` rows to be added, when their number is known ahead.
    void reserve(int more) { model_.store().reserve(more); }
    void remove(int row);
    // Removes the given rows (any order, repeats allowed) in one pass.
    void removeRows(std::vector<int> rows);
    void clear();
    // Puts the rows in a new order: `rows` names every row number once, in the order they are
    // to stand. Each row keeps its texts, tick and size; the selection stays on its row.
    void reorder(const std::vector<int>& rows);

    // 0 when no row is selected.
    int selectedRow() const;
    void select(int row);

    // The 0-based model row of a valid 1-based row number.
    int modelRow(int row) const;

private:
    std::string_view cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);

    ListModel model_;
    QItemSelectionModel selection_;
};
