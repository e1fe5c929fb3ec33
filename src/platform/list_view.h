#pragma once

#include "platform/list_model.h"

#include <QString>
#include <QTreeView>
#include <string_view>
#include <vector>

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

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// A list with the classic 1-based operations over the model and its view. Row numbers out
// of range raise PlatformError 35600, as the classic control did.
class ListView
{
public:
    ListView(ListViewWidget* widget, int textColumns, bool checkable);

    ListViewWidget* widget() const { return widget_; }
    ListModel& model() { return *model_; }

    int count() const { return model_->store().count(); }
    int columnCount() const { return int(model_->headers().size()); }
    QString columnHeader(int column) const;
    void addColumn(const QString& header);
    void setColumnWidth(int column, int twips);

    // Row texts. Column 1 is the row's own text; sub-item k is column k + 1.
    QString text(int row) const;
    std::string_view textUtf8(int row) const; // valid until the list next changes
    void setText(int row, const QString& text);
    QString subItem(int row, int item) const;
    void setSubItem(int row, int item, const QString& text);
    bool checked(int row) const;
    void setChecked(int row, bool checked);

    // Appends at the end and returns the new row's number.
    int add(const QString& text);
    int addUtf8(std::string_view text);
    void remove(int row);
    // Removes the given rows (any order, repeats allowed) in one pass.
    void removeRows(std::vector<int> rows);
    void clear();

    // 0 when no row is selected.
    int selectedRow() const;
    void select(int row);
    void ensureVisible(int row);
    // The row at a point of the list's viewport, 0 when there is none.
    int hitTest(const QPoint& viewportPoint) const;

private:
    int checkedRow(int row) const; // 0-based index of a valid 1-based row
    std::string_view cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);

    ListViewWidget* widget_;
    ListModel* model_;
};
