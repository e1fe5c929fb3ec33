#include "adding/add_files.h"

#include "adding/normalize_backslashes.h"
#include "base/runtime_error.h"
#include "core/error_trap.h"
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
    ErrorTrap trap(context_.errors, QStringLiteral("Form1"), QStringLiteral("PushButton5_Click"));
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
