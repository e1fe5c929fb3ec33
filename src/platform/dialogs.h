#pragma once

#include "platform/notices.h"

#include <QString>
#include <utility>

// Everything a person answers: message boxes, the input box, the open/save dialogs and the
// folder browser. The window talks to this interface only, so tests can answer from a script.

enum class BoxIcon { None, Exclamation, Question, Information, Critical };
enum class BoxButtons { Ok, YesNo, OkCancel };

// Answers as the classic message box returns them.
enum BoxAnswer : int { AnswerOk = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

struct MessageBoxRequest
{
    MessageBoxRequest(QString text, QString title = {}, BoxIcon icon = BoxIcon::None,
                      BoxButtons buttons = BoxButtons::Ok)
        : text(std::move(text)), title(std::move(title)), icon(icon), buttons(buttons)
    {
    }

    QString text;
    QString title; // empty: the application title
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
    QString details;  // behind the box's "Show Details…"; empty: no details
    QString checkBox; // a check box's label below the text; empty: no check box
};

// A box's answer, and whether its check box was ticked when it closed.
struct BoxReply
{
    int answer = AnswerOk;
    bool ticked = false;
};

struct FileDialogRequest
{
    QString title;
    // Classic filter text: "Label|pattern|Label|pattern|". "*.*" means every name.
    QString filter;
    bool multiSelect = false;
    // Longest result the caller accepts; a longer multiple selection fails with error 20476.
    int maxResultLength = 30000;
};

class Dialogs : public Notices
{
public:
    virtual BoxReply ask(const MessageBoxRequest& request) = 0;
    int messageBox(const MessageBoxRequest& request) { return ask(request).answer; }
    // Returns the typed text, or the empty text on Cancel.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
    // One file: its full path. Several: folder NUL name NUL name ... Cancel: empty text.
    virtual QString openFile(const FileDialogRequest& request) = 0;
    // The chosen path as typed (no default extension), or the empty text on Cancel.
    virtual QString saveFile(const FileDialogRequest& request) = 0;
    // The chosen folder, or the empty text on Cancel.
    virtual QString browseForFolder(const QString& title, const QString& initialFolder) = 0;

    // Convenience for the commonest boxes.
    int inform(const QString& text) { return messageBox({text}); }
    void tell(const QString& text) override { inform(text); }
    bool askYesNo(const QString& text)
    {
        return messageBox({text, {}, BoxIcon::None, BoxButtons::YesNo}) == AnswerYes;
    }

    // The title of boxes that carry none of their own. It is kept apart from Qt's display
    // name, which the window system would append to every title; until it is set, the
    // application's name stands.
    QString applicationTitle() const;
    void setApplicationTitle(const QString& title) { applicationTitle_ = title; }

protected:
    QString titleOrDefault(const QString& title) const
    {
        return title.isEmpty() ? applicationTitle() : title;
    }

private:
    QString applicationTitle_;
};

// Joins a multiple selection into the folder NUL name NUL name form; one path stays as it is.
// Throws RuntimeError 20476 when the result would exceed maxLength characters.
QString joinSelection(const QStringList& paths, int maxLength);
