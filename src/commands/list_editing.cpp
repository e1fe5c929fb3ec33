#include "commands/list_editing.h"

#include "commands/locations.h"
#include "core/list_editing.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"

RemoveBySubstring::RemoveBySubstring(RowList& list, SubstringFilter filter,
                                     const ReportLocation& where, const CommandContext& context)
    : list_(list), filter_(filter), where_(where), context_(context)
{
}

void RemoveBySubstring::run()
{
    ErrorTrap trap(context_.errors, where_);
    const bool containing = filter_ == SubstringFilter::Containing;
    const QString prompt = containing ? QStringLiteral("Remove entries containing: ")
                                      : QStringLiteral("Remove entries not containing: ");
    QString text;
    trap.line(100, [&] { text = context_.dialogs.inputBox(prompt, QString(), QString()); });
    if (trap.test(102, [&] { return text.isEmpty(); })) return;
    trap.line(104, [&] { context_.pointer.setMousePointer(PointerSetting::Busy); });
    trap.line(106, [&] {
        if (containing)
            RemoveRowsContaining(list_, text);
        else
            RemoveRowsNotContaining(list_, text);
    });
    trap.line(108, [&] { context_.pointer.setMousePointer(PointerSetting::Default); });
}

ClearFileList::ClearFileList(RowList& files, const CommandContext& context)
    : files_(files), context_(context)
{
}

void ClearFileList::run()
{
    ErrorTrap trap(context_.errors, Handler::PushButton11_Click);
    trap.line(100, [&] {
        if (!context_.pointer.isBusy()) files_.clear();
    });
}

ClearResults::ClearResults(RowList& results, const CommandContext& context)
    : results_(results), context_(context)
{
}

void ClearResults::run()
{
    ErrorTrap trap(context_.errors, Handler::PushButton9_Click);
    trap.line(100, [&] { results_.clear(); });
}

RemoveSelectedRow::RemoveSelectedRow(RowList& list, const CommandContext& context)
    : list_(list), context_(context)
{
}

void RemoveSelectedRow::run()
{
    if (context_.pointer.isBusy() || list_.count() <= 0) return;
    const int selected = list_.selectedRow();
    if (selected > 0) list_.remove(selected);
}
