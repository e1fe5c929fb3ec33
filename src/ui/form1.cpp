#include "ui/form1.h"

#include "adding/samples.h"
#include "commands/drop.h"
#include "commands/locations.h"
#include "core/results_columns.h"
#include "core/settings_keys.h"
#include "core/unit_options.h"
#include "platform/file_system.h"
#include "platform/gui/cursor_file.h"
#include "platform/settings_store.h"
#include "ui/list_menu.h"
#include "ui/sort_indicator.h"

#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>

Form1::Form1(Platform& platform, QWidget* parent)
    : QWidget(parent), platform_(platform), errors_(platform.dialogs),
      running_(platform.events, *this, errors_), context_{*this, platform.dialogs, errors_,
                                                          platform.events}
{
    buildLayout();
    commands_ = std::make_unique<WindowCommands>(files_, results_, *unitOptions_, platform_,
                                                 context_, sortShown());
    connectHandlers();
    buildListMenus();
    installPointerRules();
}

Form1::~Form1() = default;

// Which control runs which command. A command runs inside its scope, as its input rule says.
void Form1::connectHandlers()
{
    WindowCommands& c = *commands_;
    const std::pair<QPushButton*, Command*> buttons[] = {
        {PushButton1, &c.removeFilenamesContaining},
        {PushButton2, &c.removeFilenamesNotContaining},
        {PushButton3, &c.loadFileList},
        {PushButton4, &c.startChecking},
        {PushButton5, &c.addFiles},
        {PushButton6, &c.saveResultsAsTextFile},
        {PushButton7, &c.help},
        {PushButton8, &c.loadSampleFiles},
        {PushButton9, &c.clearResults},
        {PushButton10, &c.addAllFilesInFolder},
        {PushButton11, &c.clearFileList},
        {PushButton12, &c.saveResultsAsExcelFile},
        {PushButton13, &c.removeResultsContaining},
        {PushButton14, &c.removeResultsNotContaining},
        {PushButton18, &c.copyResultsToClipboard},
    };
    for (const auto& [button, command] : buttons)
        connect(button, &QPushButton::clicked, this, [this, command = command] { run(*command); });

    const QRadioButton* options[] = {Option1, Option2, Option3, Option4};
    for (std::size_t option = 0; option < 4; ++option)
        connect(options[option], &QRadioButton::clicked, this,
                [this, command = &c.chooseUnit[option]] { run(*command); });

    connect(ListView1->widget(), &ListViewWidget::doubleClickedAnywhere, this,
            [this] { run(commands_->removeSelectedFile); });
    connect(ListView2->widget(), &ListViewWidget::doubleClickedAnywhere, this,
            [this] { run(commands_->removeSelectedResult); });
    // Shift, Ctrl and Alt make no difference.
    connect(ListView2->widget(), &ListViewWidget::keyPressed, this, [this](QKeyEvent* event) {
        if (event->key() == Qt::Key_Delete) run(commands_->removeSelectedResult);
    });
    connectFileListPointer();
    connectDropHandlers();
}

void Form1::addGivenPaths(const QByteArrayList& paths)
{
    running_.whenIdle([this, paths] {
        AddGivenPaths given(files_, paths, context_);
        run(given);
    });
}

// Runs as a command that holds input, so paths handed over while it shows a box or records the
// samples wait until the window is ready for them.
void Form1::Form_Load()
{
    const CommandScope scope(running_, InputRule::Held);
    ErrorTrap trap(errors_, Handler::Form_Load);
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
