#include "commands/add_files.h"

#include "adding/file_to_listview1.h"
#include "adding/normalize_backslashes.h"
#include "base/runtime_error.h"
#include "commands/locations.h"
#include "core/error_trap.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"

#include <QStringList>

QStringList SelectedPaths(const QString& answer)
{
    if (answer.isEmpty()) return {};
    QStringList parts = answer.split(QChar(u'\0'));
    if (parts.size() == 1) return parts; // one file: not cleaned
    QStringList paths;
    for (qsizetype i = 1; i < parts.size(); ++i)
        paths << NormalizeBackslashes(parts[0] + u'/' + parts[i]);
    return paths;
}

AddFiles::AddFiles(RowList& files, const CommandContext& context) : files_(files), context_(context)
{
}

void AddFiles::run()
{
    ErrorTrap trap(context_.errors, Handler::PushButton5_Click);
    QString chosen;
    bool tooMany = false;
    trap.line(100, [&] {
        try {
            chosen = context_.dialogs.openFile(
                {QStringLiteral("Add File(s) - Hold Ctrl or Shift to select "
                                "multiple files"),
                 QStringLiteral("All Files (*.*;*.*)|*.*;*.*|"), true});
        } catch (const RuntimeError& error) {
            if (error.number() != RuntimeError::BufferTooSmall) throw;
            tooMany = true;
        }
    });
    if (tooMany) {
        trap.line(102, [&] {
            context_.dialogs.inform(
                QStringLiteral("You've selected too many files to add.\r\rPlease try "
                               "adding via the \"Add All\" button."));
        });
        return;
    }
    if (chosen.isEmpty()) return; // 104

    QStringList paths;
    trap.line(106, [&] { paths = SelectedPaths(chosen); });
    for (const QString& path : paths) // 108
        trap.line(110, [&] { files_.add(path); });
}

LoadFileList::LoadFileList(RowList& files, const CommandContext& context)
    : files_(files), context_(context)
{
}

void LoadFileList::run()
{
    ErrorTrap trap(context_.errors, Handler::PushButton3_Click);
    QString chosen;
    trap.line(100, [&] {
        chosen = context_.dialogs.openFile(
            {QStringLiteral("Load List(s) - Hold Ctrl to select multiple "
                            "list files"),
             QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"), true});
    });
    QStringList paths; // none after Cancel
    trap.line(102, [&] { paths = SelectedPaths(chosen); });
    trap.line(104, [&] { context_.pointer.setMousePointer(PointerSetting::Busy); });
    for (const QString& path : paths) // 106
        trap.line(108, [&] {
            FileToListview1::LoadListFile(files_, path, context_.dialogs, context_.events);
        });
    trap.line(114, [&] { context_.pointer.setMousePointer(PointerSetting::Default); });
}
