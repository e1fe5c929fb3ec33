#include "ui/form1.h"

#include "adding/add_files.h"
#include "adding/add_folder.h"
#include "adding/file_to_listview1.h"
#include "adding/samples.h"
#include "core/results_columns.h"
#include "core/results_total.h"
#include "core/settings_keys.h"
#include "core/size_check.h"
#include "core/unit_options.h"
#include "output/clipboard_copy.h"
#include "output/copy_path.h"
#include "output/open_containing_folder.h"
#include "output/spreadsheet_export.h"
#include "output/text_export.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/gui/cursor_file.h"
#include "platform/settings_store.h"
#include "ui/list_menu.h"

#include <QCloseEvent>
#include <QIcon>
#include <QPushButton>
#include <QRadioButton>

struct Form1::Commands
{
    SizeCheck sizeCheck;
    AddFiles addFiles;
    LoadFileList loadFileList;
    AddFolder::AddAllFilesInFolder addFolder;
    TextExport textExport;
    SpreadsheetExport spreadsheetExport;
    ClipboardCopy clipboardCopy;
    ResultsTotalCommand resultsTotal;
    OpenContainingFolder openFileFolder;
    OpenContainingFolder openResultFolder;
    CopyPath copyFilePath;
    CopyPath copyResultPath;
};

Form1::Form1(Platform& platform, QWidget* parent)
    : QWidget(parent), platform_(platform), errors_(platform.dialogs),
      running_(platform.events, *this)
{
    buildLayout();
    ListView1 = std::make_unique<ListView>(ListView1Widget, files_);
    ListView2 = std::make_unique<ListView>(ListView2Widget, results_);
    Platform& p = platform_;
    const CommandContext context{*this, p.dialogs, errors_, p.events};
    commands_ = std::make_unique<Commands>(Commands{
        {files_, results_, *unitOptions_, context},
        {files_, context},
        {files_, context},
        {files_, p.settings, context},
        {results_, context},
        {results_, p.spreadsheet, context},
        {results_, p.clipboard, context},
        {results_, context},
        {files_, p.fileManager, p.shell, context},
        {results_, p.fileManager, p.shell, context},
        {files_, p.clipboard},
        {results_, p.clipboard},
    });
    connectHandlers();
    connectListHandlers();
    buildListMenus();
    installPointerRules();
}

Form1::~Form1() = default;

void Form1::connectHandlers()
{
    const std::pair<QPushButton*, void (Form1::*)()> buttons[] = {
        {PushButton1, &Form1::PushButton1_Click},   {PushButton2, &Form1::PushButton2_Click},
        {PushButton3, &Form1::PushButton3_Click},   {PushButton4, &Form1::PushButton4_Click},
        {PushButton5, &Form1::PushButton5_Click},   {PushButton6, &Form1::PushButton6_Click},
        {PushButton7, &Form1::PushButton7_Click},   {PushButton8, &Form1::PushButton8_Click},
        {PushButton9, &Form1::PushButton9_Click},   {PushButton10, &Form1::PushButton10_Click},
        {PushButton11, &Form1::PushButton11_Click}, {PushButton12, &Form1::PushButton12_Click},
        {PushButton13, &Form1::PushButton13_Click}, {PushButton14, &Form1::PushButton14_Click},
        {PushButton18, &Form1::PushButton18_Click},
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handler);

    const QRadioButton* options[] = {Option1, Option2, Option3, Option4};
    for (int option = 1; option <= 4; ++option)
        connect(options[option - 1], &QRadioButton::clicked, this,
                [this, option] { Option_Click(option); });
    connectDropHandlers();
}

// Runs as a command that holds input, so paths handed over while it shows a box or records the
// samples wait until the window is ready for them.
void Form1::Form_Load()
{
    const CommandScope scope(running_, CommandScope::Input::Held);
    ErrorTrap trap(errors_, QStringLiteral("Form1"), QStringLiteral("Form_Load"));
    trap.line(100, [&] { ApplySkin(); });
    const QString handCursor = platform_.programFolder + QStringLiteral("/HAND-M.CUR");
    if (trap.test(104, [&] { return FileExistsByDate(handCursor); })) {
        trap.line(106, [&] {
            customCursor_ = loadCursorFile(handCursor);
            applyPointer();
        });
    }
    trap.line(108, [&] { OpenHomePageAtRandom(); });
    if (trap.test(108, [&] {
            return platform_.settings.read(SettingsKey::Snapshot, QString()).isEmpty();
        })) {
        trap.line(108, [&] {
            BuildSampleSnapshot(platform_.programFolder, platform_.settings, platform_.events);
        });
    }
    trap.line(126, [&] {
        setWindowTitle(QString::fromLatin1(kProductName));
        setWindowIcon(QIcon(QStringLiteral(":/icons/bytemarsh.ico")));
        SetApplicationTitle();
    });
    trap.line(128, [&] { files_.addColumn(QStringLiteral("File(s)")); });
    trap.line(130, [&] { ListView1->setColumnWidth(1, 7000); });
    trap.line(132, [&] { results_.addColumn(ResultsColumns::filename()); });
    trap.line(134, [&] { results_.addColumn(ResultsColumns::fileSize()); });
    trap.line(136, [&] { ListView2->setColumnWidth(1, 5500); });
    trap.line(138, [&] { ListView2->setColumnWidth(2, 1800); });
    for (int option = 1; option <= 4; ++option)
        trap.line(138 + 2 * option, [&] { restoreUnitOption(option); });
}

// Selecting an option in code runs its click handling too, even when it was selected already,
// so the stored keys follow every selection made during the restore.
void Form1::restoreUnitOption(int option)
{
    const bool selected =
        toBoolean(platform_.settings.read(SettingsKey::unitOption(option), QStringLiteral("1")));
    unitOptions_->setSelected(option, selected);
    if (selected) saveUnitOptions(*unitOptions_, platform_.settings);
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (closeAction_) closeAction_();
}

void Form1::Option_Click(int option)
{
    runCommand(CommandScope::Input::Held, [&] {
        ErrorTrap trap(errors_, QStringLiteral("Form1"),
                       QStringLiteral("Option%1_Click").arg(option));
        trap.line(100, [&] { saveUnitOptions(*unitOptions_, platform_.settings); });
    });
}

void Form1::PushButton4_Click()
{
    runCommand(CommandScope::Input::Held, [this] { commands_->sizeCheck.run(); });
}

void Form1::PushButton3_Click()
{
    runCommand(CommandScope::Input::Held, [this] { commands_->loadFileList.run(); });
}

void Form1::PushButton5_Click()
{
    runCommand(CommandScope::Input::Held, [this] { commands_->addFiles.run(); });
}

void Form1::PushButton10_Click()
{
    runCommand(CommandScope::Input::LetThrough, [this] { commands_->addFolder.run(); });
}

void Form1::PushButton6_Click()
{
    runCommand(CommandScope::Input::LetThrough, [this] { commands_->textExport.run(); });
}

void Form1::PushButton12_Click()
{
    runCommand(CommandScope::Input::LetThrough, [this] { commands_->spreadsheetExport.run(); });
}

void Form1::PushButton18_Click()
{
    runCommand(CommandScope::Input::LetThrough, [this] { commands_->clipboardCopy.run(); });
}

bool Form1::SaveResultsAsExcelFileIsExcelInstalled()
{
    return commands_->spreadsheetExport.SaveResultsAsExcelFileIsExcelInstalled();
}

void Form1::showResultsTotal()
{
    runMenuCommand([this] { commands_->resultsTotal.run(); });
}

void Form1::openContainingFolder(RowList& list)
{
    runMenuCommand([&] {
        (&list == &files_ ? commands_->openFileFolder : commands_->openResultFolder).run();
    });
}

void Form1::copyPath(RowList& list)
{
    runMenuCommand(
        [&] { (&list == &files_ ? commands_->copyFilePath : commands_->copyResultPath).run(); });
}
