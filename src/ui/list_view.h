#pragma once

#include "lists/row_list.h"

#include <QTreeView>

// The report-style list control: a tree view without branches, tuned for a million rows.
// It only draws and forwards input; what input means is the window's business.
class ListViewWidget : public QTreeView
{
    Q_OBJECT

public:
    explicit ListViewWidget(QWidget* parent = nullptr);

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

private:
    // Where a menu asked for from the keyboard opens: below the current row, or at the top.
    QPoint keyboardMenuPoint() const;
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
