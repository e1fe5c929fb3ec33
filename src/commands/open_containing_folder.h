#pragma once

#include "commands/command.h"
#include "core/command_context.h"

#include <QByteArray>
#include <QString>

class FileManager;
class RowList;
class Shell;

// "Open Containing Folder": the selected row's file, shown selected in the desktop's file
// manager; where no file manager answers, its folder opened by the desktop's default handler.
// A file that is gone gets a message naming it instead.
class OpenContainingFolder : public Command
{
public:
    OpenContainingFolder(RowList& list, FileManager& fileManager, Shell& shell,
                         const CommandContext& context);

    InputRule inputRule() const override { return InputRule::Held; }
    // A row is selected.
    bool applies() const override;
    void run() override;

    // The folder that holds a path, as the file system's bytes: "/" for a file at the top,
    // "." for a bare name.
    static QByteArray folderOf(const QByteArray& nativePath);
    // What the message says when the file is gone.
    static QString goneMessage(const QString& path);
    // What it says when neither the file manager nor any program for folders shows `folder`.
    static QString nothingShowsMessage(const QString& folder);

private:
    RowList& list_;
    FileManager& fileManager_;
    Shell& shell_;
    CommandContext context_;
};
