#include "ui/list_menu.h"

#include <QAction>
#include <QMenu>

ListMenu::ListMenu(QWidget* parent, const QString& accessibleName, std::vector<Item> items)
    : menu_(std::make_unique<QMenu>(parent))
{
    menu_->setAccessibleName(accessibleName);
    for (Item& item : items) {
        if (item.caption.isEmpty()) {
            menu_->addSeparator();
            continue;
        }
        QAction* action = menu_->addAction(item.caption);
        // Queued, so the command runs after the menu has gone, not inside its event handling.
        QObject::connect(action, &QAction::triggered, menu_.get(), std::move(item.action),
                         Qt::QueuedConnection);
        items_.emplace_back(action, std::move(item.applies));
    }
}

ListMenu::~ListMenu() = default;

void ListMenu::popup(const QPoint& globalPoint)
{
    if (menu_->isVisible()) return;
    for (const auto& [action, applies] : items_)
        action->setEnabled(applies());
    menu_->popup(globalPoint);
}

QAction* ListMenu::action(const QString& caption) const
{
    for (const auto& item : items_)
        if (item.first->text() == caption) return item.first;
    return nullptr;
}

QStringList ListMenu::captions() const
{
    QStringList result;
    for (const auto& item : items_)
        result << item.first->text();
    return result;
}
