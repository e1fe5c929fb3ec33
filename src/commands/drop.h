#pragma once

#include "commands/command.h"
#include "core/command_context.h"

#include <QByteArrayList>

class RowList;

// Files and folders dropped from the desktop onto the file list, as the file system's bytes. A
// dropped folder's scan lets the user's events through, as the folder scan does.
class DropItems : public Command
{
public:
    DropItems(RowList& files, QByteArrayList paths, const CommandContext& context);

    InputRule inputRule() const override { return InputRule::LetThrough; }
    void run() override;

private:
    RowList& files_;
    QByteArrayList paths_;
    CommandContext context_;
};

// Paths named on the command line or handed over by a later start: each goes in as a drop of
// it would, in order; a path that names nothing is skipped.
class AddGivenPaths : public Command
{
public:
    AddGivenPaths(RowList& files, QByteArrayList paths, const CommandContext& context);

    InputRule inputRule() const override { return InputRule::LetThrough; }
    void run() override;

private:
    RowList& files_;
    QByteArrayList paths_;
    CommandContext context_;
};
