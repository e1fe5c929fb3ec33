#pragma once

#include "platform/dialogs.h"

#include <QStringList>
#include <deque>
#include <vector>

// Answers every box from a script and records each one shown, in order.
class ScriptedDialogs : public Dialogs
{
public:
    enum class Kind { Message, Input, OpenFile, SaveFile, Folder };

    struct Shown
    {
        Kind kind;
        QString title; // as shown: the application title when the caller gave none
        QString text;  // message text, input prompt, or dialog title
        BoxIcon icon = BoxIcon::None;
        BoxButtons buttons = BoxButtons::Ok;
        QString defaultText; // input box default, folder browser's initial folder
        QString filter;      // file dialogs
        bool multiSelect = false;
        QString details;  // message boxes
        QString checkBox; // message boxes: the check box's label, empty when none
    };

    // Queued answers, taken in order per kind. Unscripted boxes answer OK/No/Cancel.
    void answerMessage(int answer) { messages_.push_back(answer); }
    // Ticks the check box of the next box that carries one; the others are left unticked.
    void tickNextCheckBox() { ticks_.push_back(true); }
    void answerInput(const QString& text) { inputs_.push_back(text); }
    void answerOpenFile(const QStringList& paths) { openFiles_.push_back(paths); }
    void answerSaveFile(const QString& path) { saveFiles_.push_back(path); }
    void answerFolder(const QString& folder) { folders_.push_back(folder); }
    // Runs while a box is up, as a person might act meanwhile.
    void whileShown(std::function<void()> action) { whileShown_ = std::move(action); }

    const std::vector<Shown>& shown() const { return shown_; }
    QStringList texts() const;
    void clearShown() { shown_.clear(); }

    BoxReply ask(const MessageBoxRequest& request) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    QString openFile(const FileDialogRequest& request) override;
    QString saveFile(const FileDialogRequest& request) override;
    QString browseForFolder(const QString& title, const QString& initialFolder) override;

private:
    void record(Shown box);
    void recordFileDialog(Kind kind, const FileDialogRequest& request);

    std::deque<int> messages_;
    std::deque<bool> ticks_;
    std::deque<QString> inputs_;
    std::deque<QStringList> openFiles_;
    std::deque<QString> saveFiles_;
    std::deque<QString> folders_;
    std::vector<Shown> shown_;
    std::function<void()> whileShown_;
};
