#pragma once

#include "commands/add_files.h"
#include "commands/add_folder.h"
#include "commands/clipboard_copy.h"
#include "commands/copy_path.h"
#include "commands/help.h"
#include "commands/list_editing.h"
#include "commands/open_containing_folder.h"
#include "commands/results_menu.h"
#include "commands/samples.h"
#include "commands/size_check.h"
#include "commands/spreadsheet_export.h"
#include "commands/text_export.h"
#include "commands/unit_option.h"

#include <array>

struct Platform;
class UnitOptions;

// Every command the window's controls and menus run, built once with the window from its two
// lists: the window's table only says which control runs which. A drop and a hand-over carry
// their own paths, so those are made when they come (src/commands/drop.h).
struct WindowCommands
{
    WindowCommands(RowList& files, RowList& results, UnitOptions& units, Platform& platform,
                   const CommandContext& context, const SortResults::Sorted& sorted);

    // The buttons, by caption.
    RemoveBySubstring removeFilenamesContaining;    // PushButton1
    RemoveBySubstring removeFilenamesNotContaining; // PushButton2
    LoadFileList loadFileList;                      // PushButton3
    SizeCheck startChecking;                        // PushButton4
    AddFiles addFiles;                              // PushButton5
    TextExport saveResultsAsTextFile;               // PushButton6
    Help help;                                      // PushButton7
    LoadSampleFiles loadSampleFiles;                // PushButton8
    ClearResults clearResults;                      // PushButton9
    AddAllFilesInFolder addAllFilesInFolder;        // PushButton10
    ClearFileList clearFileList;                    // PushButton11
    SpreadsheetExport saveResultsAsExcelFile;       // PushButton12
    RemoveBySubstring removeResultsContaining;      // PushButton13
    RemoveBySubstring removeResultsNotContaining;   // PushButton14
    ClipboardCopy copyResultsToClipboard;           // PushButton18
    std::array<ChooseUnit, 4> chooseUnit;           // Option1 to Option4

    // A double-click on a list; the Delete key on the results.
    RemoveSelectedRow removeSelectedFile;
    RemoveSelectedRow removeSelectedResult;

    // The results menu.
    ChangeResultsTicks tickAll;
    ChangeResultsTicks untickAll;
    ChangeResultsTicks invertTicks;
    SortResults sortLargestFirst;
    SortResults sortSmallestFirst;
    SortResults sortByName;
    ShowResultsTotal total;
    OpenContainingFolder openResultFolder;
    CopyPath copyResultPath;
    // The file list's menu.
    OpenContainingFolder openFileFolder;
    CopyPath copyFilePath;
};
