#include "base/runtime_error.h"
#include "core/error_trap.h"
#include "doubles/test_platform.h"
#include "output/clipboard_copy.h"
#include "platform/gui/qt_clipboard.h"
#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/test_main.h"
#include "ui/form1.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

const QString kCopied = QStringLiteral(
    "Results have been copied to the clipboard.\r\rClick a text area where you normally type "
    "and press Ctrl+V to paste the clipboard.");

struct Window : LoadedWindow
{
    Window()
    {
        test.clipboard.setText("before", {});
        test.clipboard.setAttempts = 0;
        test.clipboard.everSet = false;
    }

    void addResult(const QString& path, const QString& size, bool ticked)
    {
        const int row = form.resultsList().add(path);
        form.resultsList().setSubItem(row, 1, size);
        form.resultsList().setChecked(row, ticked);
    }

    QString copy()
    {
        clickControl(form, "PushButton18");
        return test.clipboard.text();
    }
};

// A clipboard another program holds: every attempt raises an error.
class HeldClipboard : public Clipboard
{
public:
    bool clear() override { return refuse(); }
    bool setText(const QByteArray&, const QString&) override { return refuse(); }
    QString text() const override { return {}; }
    int attempts = 0;

private:
    bool refuse()
    {
        ++attempts;
        throw RuntimeError(521, QStringLiteral("Can't open Clipboard"));
    }
};

} // namespace

class ClipboardCopyTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeAllSettings(); }

    void tickedRowsAreAlignedWithTabs()
    {
        Window w;
        w.addResult(QStringLiteral("C:\\a.txt"), QStringLiteral("5 bytes"), true);
        w.addResult(QStringLiteral("C:\\folder\\b.txt"), QStringLiteral("12 bytes"), true);
        QList<PointerSetting> pointerAtMessage;
        w.test.dialogs.whileShown([&] { pointerAtMessage << w.form.mousePointer(); });

        QCOMPARE(w.copy(), QStringLiteral("C:\\a.txt       \t5 bytes\r\n"
                                          "C:\\folder\\b.txt\t12 bytes\r\n"));
        QCOMPARE(w.test.clipboard.format, QString()); // plain text
        const auto& shown = w.test.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t(1));
        QCOMPARE(shown[0].text, kCopied);
        QCOMPARE(shown[0].icon, BoxIcon::None);
        QCOMPARE(shown[0].buttons, BoxButtons::Ok);
        QCOMPARE(shown[0].title, w.test.dialogs.applicationTitle());
        QCOMPARE(pointerAtMessage, QList<PointerSetting>({PointerSetting::Busy}));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
        // Measured once per row and column, then once per row and once per cell while built.
        QCOMPARE(w.test.events.calls, 2 * 2 + 2 + 2 * 2);
    }

    void untickedRowsStillSetTheWidths_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << QStringLiteral("7 bytes")
                               << QStringLiteral("/a       \t7 bytes\r\n");
        QTest::newRow("empty size cell") << QString() << QStringLiteral("/a       \t\r\n");
        QTest::newRow("trailing blanks")
            << QStringLiteral("7 bytes  ") << QStringLiteral("/a       \t7 bytes\r\n");
        QTest::newRow("trailing tab stays")
            << QStringLiteral("7\t") << QStringLiteral("/a       \t7\t\r\n");
    }

    void untickedRowsStillSetTheWidths()
    {
        QFETCH(QString, size);
        QFETCH(QString, expected);
        Window w;
        w.addResult(QStringLiteral("/a"), size, true);
        w.addResult(QStringLiteral("/longer/b"), QStringLiteral("1234567890 bytes"), false);
        QCOMPARE(w.copy(), expected);
    }

    void noTickedRowLeavesAnEmptyText()
    {
        Window w;
        w.addResult(QStringLiteral("/a"), QStringLiteral("1 bytes"), false);
        QCOMPARE(w.copy(), QString());
        QVERIFY(w.test.clipboard.everSet);
        QCOMPARE(w.test.dialogs.texts(), QStringList({kCopied}));
    }

    void anEmptyListLeavesTheClipboardAlone()
    {
        Window w;
        QCOMPARE(w.copy(), QStringLiteral("before"));
        QCOMPARE(w.test.clipboard.clearAttempts, 0);
        QCOMPARE(w.test.clipboard.setAttempts, 0);
        QCOMPARE(w.test.dialogs.texts(), QStringList({kCopied}));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    void aBusyClipboardIsTriedAgain()
    {
        Window w;
        w.addResult(QStringLiteral("/a"), QStringLiteral("1 bytes"), true);
        w.test.clipboard.refuseNext = 5;
        QCOMPARE(w.copy(), QStringLiteral("/a\t1 bytes\r\n"));
        QCOMPARE(w.test.clipboard.clearAttempts, 6);
        QCOMPARE(w.test.clipboard.setAttempts, 1);

        FakeClipboard refusing;
        refusing.refuseNext = 1000;
        ClearClipboard(refusing);
        QCOMPARE(refusing.clearAttempts, 1000);
        refusing.refuseNext = 999;
        QVERIFY(SetClipboardText(refusing, QStringLiteral("x"), QStringLiteral("text/csv")));
        QCOMPARE(refusing.setAttempts, 1000);
        QCOMPARE(refusing.format, QStringLiteral("text/csv"));
        refusing.refuseNext = 1000;
        QVERIFY(!SetClipboardText(refusing, QStringLiteral("y")));
        QCOMPARE(refusing.text(), QStringLiteral("x"));
    }

    void aHeldClipboardIsGivenUpSilently()
    {
        HeldClipboard held;
        ClearClipboard(held);
        QCOMPARE(held.attempts, 1000);
        QVERIFY(!SetClipboardText(held, QStringLiteral("x")));
        QCOMPARE(held.attempts, 2000);
    }

    void rowsRemovedMidCopyAreReportedAndTheMessageStillComes()
    {
        Window w;
        w.addResult(QStringLiteral("/a"), QStringLiteral("1 bytes"), true);
        w.addResult(QStringLiteral("/b"), QStringLiteral("2 bytes"), true);
        w.test.events.onCall = [&] { w.form.resultsList().clear(); };
        QCOMPARE(w.copy(), QStringLiteral("before"));
        const QStringList texts = w.test.dialogs.texts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0], ErrorReporter::reportText(QStringLiteral("Index out of bounds"),
                                                     QStringLiteral("Meterkin2021/08/31"),
                                                     QStringLiteral("Form1"),
                                                     QStringLiteral("PushButton18_Click"), 110));
        QCOMPARE(texts[1], kCopied);
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    // The text goes as its UTF-8 bytes and reads back as the same text, beyond ASCII too.
    void theSystemClipboardReceivesTheText()
    {
        QtClipboard system;
        const QString text = QStringLiteral("/r\u00e9sum\u00e9s/\U0001F4C1 one\ttwo\r\n");
        QVERIFY(SetClipboardText(system, text));
        QCOMPARE(QGuiApplication::clipboard()->text(), text);
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("text/plain")),
                 text.toUtf8());
        ClearClipboard(system);
        QCOMPARE(system.text(), QString());
    }
};

BYTEMARSH_TEST_MAIN(ClipboardCopyTest)
#include "test_clipboard_copy.moc"
