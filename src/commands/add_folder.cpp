#include "commands/add_folder.h"

#include "adding/add_folder.h"
#include "commands/locations.h"
#include "core/error_trap.h"
#include "core/settings_keys.h"
#include "core/window_pointer.h"
#include "platform/dialogs.h"
#include "platform/settings_store.h"

AddAllFilesInFolder::AddAllFilesInFolder(RowList& files, SettingsStore& settings,
                                         const CommandContext& context)
    : files_(files), settings_(settings), context_(context)
{
}

void AddAllFilesInFolder::run()
{
    ErrorTrap trap(context_.errors, Handler::PushButton10_Click);
    QString extension;
    trap.line(100, [&] {
        extension = context_.dialogs.inputBox(
            QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt "
                           "files, doc for all doc files, etc.)"),
            QString(), settings_.read(SettingsKey::Extension, QStringLiteral("*")));
    });
    if (extension.isEmpty()) return; // 102
    trap.line(104, [&] { settings_.write(SettingsKey::Extension, extension); });

    QString folder;
    trap.line(106, [&] { lastFolder_ = settings_.read(SettingsKey::LastFolder, QString()); });
    trap.line(108, [&] {
        folder =
            context_.dialogs.browseForFolder(QStringLiteral("Please select folder:"), lastFolder_);
    });
    if (folder.isEmpty()) return; // 110
    trap.line(112, [&] { lastFolder_ = folder; });
    trap.line(114, [&] { settings_.write(SettingsKey::LastFolder, folder); });

    trap.line(116, [&] { context_.pointer.setMousePointer(PointerSetting::Busy); });
    trap.line(118, [&] {
        AddFolder::AddFolderTreeFiles(files_, folder, QStringLiteral("*.") + extension,
                                      context_.errors, context_.events);
    });
    trap.line(120, [&] { context_.pointer.setMousePointer(PointerSetting::Default); });
}
