#pragma once

#include "commands/command.h"
#include "core/command_context.h"
#include "core/error_trap.h"

class RowList;

enum class SubstringFilter { Containing, NotContaining };

// The four "Remove ... X" buttons: ask for a text and, unless none was typed, filter the list
// with it under the busy pointer.
class RemoveBySubstring : public Command
{
public:
    RemoveBySubstring(RowList& list, SubstringFilter filter, const ReportLocation& where,
                      const CommandContext& context);

    InputRule inputRule() const override { return InputRule::Held; }
    void run() override;

private:
    RowList& list_;
    SubstringFilter filter_;
    ReportLocation where_;
    CommandContext context_;
};

// "Clear List" of the file list: nothing while the window is busy, since a folder scan that
// lets the user's events through may still be adding rows.
class ClearFileList : public Command
{
public:
    ClearFileList(RowList& files, const CommandContext& context);

    InputRule inputRule() const override { return InputRule::Held; }
    void run() override;

private:
    RowList& files_;
    CommandContext context_;
};

// "Clear List" of the results list, busy or not: emptying it can lose no work.
class ClearResults : public Command
{
public:
    ClearResults(RowList& results, const CommandContext& context);

    InputRule inputRule() const override { return InputRule::Held; }
    void run() override;

private:
    RowList& results_;
    CommandContext context_;
};

// A double-click on either list, and the Delete key on the results: the selected row goes,
// unless the window is busy. No error trap: there is nothing in it that can fail.
class RemoveSelectedRow : public Command
{
public:
    RemoveSelectedRow(RowList& list, const CommandContext& context);

    InputRule inputRule() const override { return InputRule::Held; }
    void run() override;

private:
    RowList& list_;
    CommandContext context_;
};
