#pragma once

#include "lists/row_list.h"

#include <QHeaderView>
#include <QTableView>

// The report-style list control, tuned for a million rows: a table of whole rows without grid
// or row numbers, whose rows all take the height the first one needs. A table keeps nothing of
// its own per row beyond its height (a tree view keeps an item of some forty bytes for each).
// It only draws and forwards input; what input means is the window's business.
class ListViewWidget : public QTableView
{
    Q_OBJECT

public:
    explicit ListViewWidget(QWidget* parent = nullptr);

    // The column headers, as a report list has them.
    QHeaderView* header() const { return horizontalHeader(); }

signals:
    void mousePressed(QMouseEvent* event);
    void mouseMoved(QMouseEvent* event);
    void mouseReleased(QMouseEvent* event);
    // Anywhere in the list, on a row or not.
    void doubleClickedAnywhere();
    void keyPressed(QKeyEvent* event);
    void dragEntered(QDragEnterEvent* event);
    void dragMoved(QDragMoveEvent* event);
    void dropped(QDropEvent* event);
    // A context menu asked for, by the right button, the Menu key or Shift+F10; it opens at
    // this point of the screen (under the pointer, or at the current row from the keyboard).
    void menuRequested(const QPoint& globalPoint);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The keys move between rows as in a list: Home and End to the first and last row, Left and
    // Right scroll rather than move between columns.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void rowsInserted(const QModelIndex& parent, int first, int last) override;
    void changeEvent(QEvent* event) override;

private:
    // Where a menu asked for from the keyboard opens: below the current row, or at the top.
    QPoint keyboardMenuPoint() const;
    // Every row as high as the first row's texts and tick need.
    void fitRowHeight();
};

// A row list shown in a widget: the operations that need the screen.
class ListView
{
public:
    ListView(ListViewWidget* widget, RowList& rows);

    ListViewWidget* widget() const { return widget_; }
    RowList& rows() { return rows_; }

    // Widths are given in twips, as the classic layout measured them.
    void setColumnWidth(int column, int twips);
    void ensureVisible(int row);
    // The row at a point of the list's viewport, 0 when there is none.
    int hitTest(const QPoint& viewportPoint) const;

private:
    ListViewWidget* widget_;
    RowList& rows_;
};
