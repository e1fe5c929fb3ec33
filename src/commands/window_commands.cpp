#include "commands/window_commands.h"

#include "commands/locations.h"
#include "platform/platform.h"

WindowCommands::WindowCommands(RowList& files, RowList& results, UnitOptions& units,
                               Platform& platform, const CommandContext& context,
                               const SortResults::Sorted& sorted)
    : removeFilenamesContaining(files, SubstringFilter::Containing, Handler::PushButton1_Click,
                                context),
      removeFilenamesNotContaining(files, SubstringFilter::NotContaining,
                                   Handler::PushButton2_Click, context),
      loadFileList(files, context), startChecking(files, results, units, context),
      addFiles(files, context), saveResultsAsTextFile(results, context), help(context),
      loadSampleFiles(files, platform.settings, platform.shell, platform.programFolder, context),
      clearResults(results, context), addAllFilesInFolder(files, platform.settings, context),
      clearFileList(files, context), saveResultsAsExcelFile(results, platform.spreadsheet, context),
      removeResultsContaining(results, SubstringFilter::Containing, Handler::PushButton13_Click,
                              context),
      removeResultsNotContaining(results, SubstringFilter::NotContaining,
                                 Handler::PushButton14_Click, context),
      copyResultsToClipboard(results, platform.clipboard, context),
      chooseUnit{ChooseUnit(1, units, platform.settings, context),
                 ChooseUnit(2, units, platform.settings, context),
                 ChooseUnit(3, units, platform.settings, context),
                 ChooseUnit(4, units, platform.settings, context)},
      removeSelectedFile(files, context), removeSelectedResult(results, context),
      tickAll(results, ChangeResultsTicks::Change::TickAll, context),
      untickAll(results, ChangeResultsTicks::Change::UntickAll, context),
      invertTicks(results, ChangeResultsTicks::Change::Invert, context),
      sortLargestFirst(results, SortResults::kSizeColumn, SortDirection::Descending, sorted,
                       context),
      sortSmallestFirst(results, SortResults::kSizeColumn, SortDirection::Ascending, sorted,
                        context),
      sortByName(results, SortResults::kNameColumn, SortDirection::Ascending, sorted, context),
      total(results, context),
      openResultFolder(results, platform.fileManager, platform.shell, context),
      copyResultPath(results, platform.clipboard),
      openFileFolder(files, platform.fileManager, platform.shell, context),
      copyFilePath(files, platform.clipboard)
{
}
