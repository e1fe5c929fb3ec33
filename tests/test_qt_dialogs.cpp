#include "platform/gui/qt_dialogs.h"
#include "support/test_main.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <functional>

namespace {

// Runs `look` on the box or dialog once it is open, then closes it.
void whenOpen(std::function<void(QWidget*)> look)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, look] {
        QWidget* open = QApplication::activeModalWidget();
        if (!open) return;
        timer->stop();
        timer->deleteLater();
        look(open);
        if (auto* dialog = qobject_cast<QDialog*>(open)) dialog->reject();
    });
    timer->start();
}

// The labels that show a text holding markup, with the format each shows it in.
QList<std::pair<QString, Qt::TextFormat>> labelsShowing(QWidget* window, const QString& part)
{
    QList<std::pair<QString, Qt::TextFormat>> found;
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->text().contains(part)) found.append({label->text(), label->textFormat()});
    return found;
}

} // namespace

class QtDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void markupInATextShowsAsWritten()
    {
        const QString path = QStringLiteral("/tmp/<b>x</b>.txt");
        const QString question =
            QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?");
        const auto plainOnly =
            QList<std::pair<QString, Qt::TextFormat>>({{question, Qt::PlainText}});
        QtDialogs dialogs;

        QList<std::pair<QString, Qt::TextFormat>> inBox;
        whenOpen([&](QWidget* box) { inBox = labelsShowing(box, QStringLiteral("<b>")); });
        dialogs.messageBox({question, {}, BoxIcon::None, BoxButtons::YesNo});
        QCOMPARE(inBox, plainOnly);

        QList<std::pair<QString, Qt::TextFormat>> inPrompt;
        whenOpen([&](QWidget* prompt) { inPrompt = labelsShowing(prompt, QStringLiteral("<b>")); });
        QCOMPARE(dialogs.inputBox(question, {}, QStringLiteral("*")), QString());
        QCOMPARE(inPrompt, plainOnly);
    }

    void eachFilterLabelShowsOnceAsWritten()
    {
        QtDialogs dialogs;
        const auto labelsOf = [&](const QString& filter, bool save) {
            QStringList labels;
            whenOpen([&](QWidget* dialog) {
                for (QComboBox* types :
                     dialog->findChildren<QComboBox*>(QStringLiteral("fileTypeCombo")))
                    for (int i = 0; i < types->count(); ++i)
                        labels << types->itemText(i);
            });
            const QString chosen = save ? dialogs.saveFile({QStringLiteral("Save"), filter})
                                        : dialogs.openFile({QStringLiteral("Add"), filter, true});
            if (!chosen.isEmpty()) labels << QStringLiteral("answered ") + chosen;
            return labels;
        };
        QCOMPARE(labelsOf(QStringLiteral("All Files (*.*;*.*)|*.*;*.*|"), false),
                 QStringList({QStringLiteral("All Files (*.*;*.*)")}));
        QCOMPARE(
            labelsOf(QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"), true),
            QStringList({QStringLiteral("Text Files (*.txt)"), QStringLiteral("All Files (*.*)")}));
        // The patterns still choose the names shown.
        QCOMPARE(toQtNameFilters(QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|")),
                 QStringLiteral("Text Files (*.txt) (*.txt);;All Files (*.*) (*)"));
    }
};

BYTEMARSH_TEST_MAIN(QtDialogsTest)
#include "test_qt_dialogs.moc"
