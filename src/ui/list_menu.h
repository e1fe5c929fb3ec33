#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QPoint;
class QWidget;

// A list's context menu: items with their captions, each enabled only while it applies.
// Choosing one runs its action from the event loop, once the menu has closed.
class ListMenu
{
public:
    struct Item
    {
        QString caption; // empty: a separator
        std::function<bool()> applies;
        std::function<void()> action;
    };

    ListMenu(QWidget* parent, const QString& accessibleName, std::vector<Item> items);
    ~ListMenu();

    // Opens at a point of the screen, the items enabled as they apply now. Nothing when the
    // menu is open already (the Menu key may ask twice).
    void popup(const QPoint& globalPoint);

    QMenu& menu() { return *menu_; }
    // The item of that caption, or none.
    QAction* action(const QString& caption) const;
    QStringList captions() const;

private:
    std::unique_ptr<QMenu> menu_;
    std::vector<std::pair<QAction*, std::function<bool()>>> items_;
};
