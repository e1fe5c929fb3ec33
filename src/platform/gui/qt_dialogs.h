#pragma once

#include "platform/dialogs.h"

class QWidget;
class WindowEventPump;

// The real boxes and dialogs, owned by the main window.
class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }
    // The pump whose held round runs before a box opens: the window system drops a close
    // that reaches a window a box blocks, so one that is waiting is heard first.
    void setEventPump(WindowEventPump* events) { events_ = events; }

    BoxReply ask(const MessageBoxRequest& request) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    QString openFile(const FileDialogRequest& request) override;
    QString saveFile(const FileDialogRequest& request) override;
    QString browseForFolder(const QString& title, const QString& initialFolder) override;

private:
    void hearPendingClose();

    QWidget* owner_;
    WindowEventPump* events_ = nullptr;
};

// "Label|pattern|Label|pattern|" to Qt's ";;"-separated name filters. "*.*" becomes "*"
// because here, unlike on the classic desktop, names need not hold a dot.
QString toQtNameFilters(const QString& classicFilter);
