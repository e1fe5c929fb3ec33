#include "platform/gui/qt_dialogs.h"
#include "platform/gui/qt_shell.h"
#include "support/test_main.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <sys/inotify.h>
#include <unistd.h>

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
    // The opener's own answer decides: a program that says it has nothing for folders, or no
    // opener at all, is "nothing could"; one still at work has started a program.
    void openingAFolderHearsWhetherAnyProgramTookIt()
    {
        QTemporaryDir bin;
        const QByteArray savedPath = qgetenv("PATH");
        const auto opener = [&](const QByteArray& body) {
            writeFile(bin.filePath(QStringLiteral("xdg-open")), "#!/bin/sh\n" + body + "\n");
            QFile::setPermissions(bin.filePath(QStringLiteral("xdg-open")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        };
        qputenv("PATH", QFile::encodeName(bin.path()) + ":/usr/bin:/bin");
        QtShell shell;
        opener("exit 3");
        const bool refused = shell.openFolder(bin.path());
        opener("exit 0");
        const bool opened = shell.openFolder(bin.path());
        opener("sleep 3");
        QElapsedTimer clock;
        clock.start();
        const bool stillOpening = shell.openFolder(bin.path());
        const qint64 waited = clock.elapsed();
        qputenv("PATH", savedPath);
        QVERIFY(!refused);
        QVERIFY(opened);
        QVERIFY(stillOpening);
        QVERIFY2(waited < 2000, qPrintable(QString::number(waited)));
    }

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
        dialogs.askYesNo(question);
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

    // A read of some files (in /proc, on a hung network disk) never returns: the dialogs
    // must show a folder, with each file's icon and type, without opening one file in it.
    void theFileDialogsShowAFolderWithoutOpeningItsFiles()
    {
        QTemporaryDir folder;
        const QStringList names = {QStringLiteral("kmsg"), QStringLiteral("notes.unheardof"),
                                   QStringLiteral("results.txt")};
        for (const QString& name : names) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("%PDF-1.4 and more, for a reader of first bytes\n");
        }
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(watch >= 0);
        QVERIFY(::inotify_add_watch(watch, QFile::encodeName(folder.path()).constData(), IN_OPEN) >=
                0);

        QtDialogs dialogs;
        QStringList shown;
        whenOpen([&](QWidget* open) {
            auto* dialog = qobject_cast<QFileDialog*>(open);
            auto* model = dialog->findChild<QFileSystemModel*>();
            dialog->setDirectory(folder.path());
            // Icons and types arrive from the model's own thread, one file at a time.
            QTRY_VERIFY_WITH_TIMEOUT(
                [&] {
                    const QModelIndex root = model->index(folder.path());
                    if (model->rowCount(root) != names.size()) return false;
                    for (int row = 0; row < names.size(); ++row)
                        if (model->data(model->index(row, 2, root)).toString().isEmpty())
                            return false;
                    return true;
                }(),
                10000);
            const QModelIndex root = model->index(folder.path());
            for (int row = 0; row < names.size(); ++row) {
                const QModelIndex name = model->index(row, 0, root);
                shown << name.data().toString();
                QVERIFY(!name.data(Qt::DecorationRole).value<QIcon>().isNull());
            }
        });
        QCOMPARE(dialogs.openFile({QStringLiteral("Add"), QStringLiteral("All|*.*|"), true}),
                 QString());
        shown.sort();
        QCOMPARE(shown, names);

        QStringList opened;
        char events[4096] __attribute__((aligned(__alignof__(inotify_event))));
        for (ssize_t got; (got = ::read(watch, events, sizeof events)) > 0;)
            for (char* at = events; at < events + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                // The folder itself is opened to list it; its files never are.
                if (event->len > 0) opened << QString::fromLocal8Bit(event->name);
                at += sizeof(inotify_event) + event->len;
            }
        ::close(watch);
        QCOMPARE(opened, QStringList());
    }
};

BYTEMARSH_TEST_MAIN(QtDialogsTest)
#include "test_qt_dialogs.moc"
