#include "commands/samples.h"

#include "adding/samples.h"
#include "commands/locations.h"
#include "core/error_trap.h"
#include "core/settings_keys.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/settings_store.h"
#include "platform/shell.h"

LoadSampleFiles::LoadSampleFiles(RowList& files, SettingsStore& settings, Shell& shell,
                                 QString programFolder, const CommandContext& context)
    : files_(files), settings_(settings), shell_(shell), programFolder_(std::move(programFolder)),
      context_(context)
{
}

void LoadSampleFiles::run()
{
    ErrorTrap trap(context_.errors, Handler::PushButton8_Click);
    trap.line(100, [&] { addSamples(); });
}

void LoadSampleFiles::addSamples()
{
    const QByteArray scrambled = settings_.read(SettingsKey::Snapshot, QString()).toLatin1();
    const QString paths = QString::fromUtf8(
        UnscrambleText(scrambled, QByteArray(kSampleScrambleKey), context_.events));
    for (const QString& path : paths.split(u'|'))
        if (FileExistsByDate(path) && !ListContainsText(files_, path)) files_.add(path);

    if (context_.dialogs.askYesNo(QStringLiteral(
            "Would you like this software to open the folder where these sample files are stored "
            "(so that you can view them before working with them)?"))) {
        try {
            shell_.openFolder(sampleFolder(programFolder_) + u'/');
        } catch (...) {
            // The file manager's troubles are its own; the samples are listed either way.
        }
    }
}
