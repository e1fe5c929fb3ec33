#include "ui/form1.h"

#include "platform/event_pump.h"
#include "ui/colour_pairs.h"
#include "ui/progress_line.h"
#include "ui/twips.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Positions and sizes are kept in twips as the layout was drawn.
QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

QFont arial(double points)
{
    // Where Arial is missing, fontconfig maps it onto the metric-compatible Liberation Sans.
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

} // namespace

void Form1::buildLayout()
{
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(twipsToPixels(15960), twipsToPixels(5085));
    setFont(arial(9));
    whiteWithDarkText(this);

    const auto button = [this](const char* name, const char* caption, int left, int top,
                               int width) {
        auto* pushButton = new QPushButton(QString::fromUtf8(caption), this);
        pushButton->setObjectName(QString::fromLatin1(name));
        pushButton->setGeometry(twipsRect(left, top, width, 405));
        pushButton->setFont(arial(11.25));
        whiteWithDarkText(pushButton);
        return pushButton;
    };
    const auto listView = [this](const char* name, int left, int top, int width, int height) {
        auto* list = new ListViewWidget(this);
        list->setObjectName(QString::fromLatin1(name));
        list->setGeometry(twipsRect(left, top, width, height));
        list->setFont(arial(9));
        // The lists and their headers keep the desktop's own pairs of colours.
        keepDesktopColours(list);
        return list;
    };

    auto* const fileListWidget = listView("ListView1", 120, 120, 7800, 2070);
    ListView1 = std::make_unique<ListView>(fileListWidget, files_);
    // Screen readers name each list by these, not merely as a tree.
    fileListWidget->setAccessibleName(QStringLiteral("File list"));
    fileListWidget->setToolTip(QStringLiteral(
        "Drag and drop files here. Double-click item to remove it. Move | line to right and out "
        "of window to reveal full names."));
    fileListWidget->setAcceptDrops(true);
    fileListWidget->setDragEnabled(false);
    PushButton5 = button("PushButton5", "Add Files", 120, 2270, 3840);
    PushButton10 = button("PushButton10", "Add All Files In Folder", 4080, 2270, 3840);
    PushButton3 = button("PushButton3", "Load File List From Text File", 120, 2780, 3840);
    PushButton7 = button("PushButton7", "Help", 4080, 2780, 3840);
    PushButton11 = button("PushButton11", "Clear List", 120, 3290, 3840);
    PushButton8 = button("PushButton8", "Load Sample/Example Files", 4080, 3290, 3840);
    PushButton1 = button("PushButton1", "Remove Filenames Containing X", 120, 3800, 3840);
    PushButton2 = button("PushButton2", "Remove Filenames Not Cont. X", 4080, 3800, 3840);

    Frame1 = new QGroupBox(QStringLiteral("Unit"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twipsRect(120, 4240, 7800, 735));
    whiteWithDarkText(Frame1);
    const auto option = [this](const char* name, const char* caption, int left, int width) {
        auto* radio = new QRadioButton(QString::fromUtf8(caption), Frame1);
        radio->setObjectName(QString::fromLatin1(name));
        radio->setGeometry(twipsRect(left, 300, width, 255));
        whiteWithDarkText(radio);
        return radio;
    };
    Option1 = option("Option1", "Bytes", 240, 855);
    Option2 = option("Option2", "Kilobytes (Kb)", 1560, 1575);
    Option3 = option("Option3", "Megabytes(Mb)", 3600, 1695);
    Option4 = option("Option4", "Gigabytes (Gb)", 5760, 1695);
    Option1->setChecked(true);

    PushButton4 = button("PushButton4", "Start Checking", 8040, 120, 7800);
    auto* const resultsWidget = listView("ListView2", 8040, 630, 7800, 2835);
    ListView2 = std::make_unique<ListView>(resultsWidget, results_);
    resultsWidget->setAccessibleName(QStringLiteral("Results"));
    PushButton6 = button("PushButton6", "Save Results As Text File", 8040, 3550, 3840);
    PushButton12 = button("PushButton12", "Save Results As Excel File", 12000, 3550, 3840);
    PushButton18 = button("PushButton18", "Copy Results To Clipboard", 8040, 4060, 3840);
    PushButton9 = button("PushButton9", "Clear List", 12000, 4060, 3840);
    PushButton13 = button("PushButton13", "Remove Results Containing X", 8040, 4570, 3840);
    PushButton14 = button("PushButton14", "Remove Results Not Cont. X", 12000, 4570, 3840);

    // Keyboard order as the layout numbers it (0 to 21).
    const QList<QWidget*> tabOrder = {
        fileListWidget, PushButton5,  PushButton3,   PushButton11, PushButton6,  PushButton9,
        PushButton4,    PushButton8,  resultsWidget, PushButton7,  Frame1,       Option1,
        Option2,        Option3,      Option4,       PushButton12, PushButton18, PushButton1,
        PushButton2,    PushButton10, PushButton13,  PushButton14};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // Over either list while a long command runs; out of the keyboard order.
    progressLine_ =
        new ProgressLine(context_.events.progress(), fileListWidget, resultsWidget, this);

    unitOptions_ = std::make_unique<RadioUnitOptions>(
        std::array<QRadioButton*, 4>{Option1, Option2, Option3, Option4});
}
