#include "adding/normalize_backslashes.h"
#include "commands/add_files.h"
#include "support/adding_support.h"
#include "support/form_controls.h"
#include "support/test_main.h"

class AddFilesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void init() { removeAllSettings(); }

    void theWindowsFormCollapsesPairsAndKeepsANetworkPrefix()
    {
        // The classic desktop's parameters of the same rule.
        const auto windows = [](const char* path) {
            QString text = QString::fromLatin1(path);
            NormalizeSeparatorPairs(text, QChar(u'\\'), 2);
            return text;
        };
        QCOMPARE(windows(R"(C:\\a.txt)"), QStringLiteral(R"(C:\a.txt)"));
        QCOMPARE(windows(R"(C:\dir\\\x)"), QStringLiteral(R"(C:\dir\\x)"));
        QCOMPARE(windows(R"(\\server\share\\f)"), QStringLiteral(R"(\\server\share\f)"));
        QCOMPARE(windows(R"(\dir\f)"), QStringLiteral(R"(\\dir\f)"));
        QCOMPARE(windows(""), QString());
        QCOMPARE(windows(R"(a\\\\b)"), QStringLiteral(R"(a\\b)")); // four become two
        QCOMPARE(windows(R"(\\\\\server\\\x)"), QStringLiteral(R"(\\server\\x)"));
        QCOMPARE(windows(R"(\)"), QStringLiteral(R"(\\)"));
        QCOMPARE(windows("C:/x//y"), QStringLiteral("C:/x//y")); // only backslashes count
    }

    void thePosixFormLeavesOneLeadingSeparator()
    {
        QCOMPARE(NormalizeBackslashes("//a.txt"), QStringLiteral("/a.txt"));
        QCOMPARE(NormalizeBackslashes("/home/u//f.txt"), QStringLiteral("/home/u/f.txt"));
        QCOMPARE(NormalizeBackslashes("///srv///x"), QStringLiteral("/srv//x"));
        QCOMPARE(NormalizeBackslashes("/srv/x"), QStringLiteral("/srv/x"));
        QCOMPARE(NormalizeBackslashes("rel//x"), QStringLiteral("rel/x"));
        QCOMPARE(NormalizeBackslashes(""), QString());
        QCOMPARE(NormalizeBackslashes("/"), QStringLiteral("/"));
        QCOMPARE(NormalizeBackslashes(R"(a\\b)"), QStringLiteral(R"(a\\b)"));
        std::string native = "//\xc3\xa9t\xc3\xa9//x";
        NormalizeBackslashesInPlace(native);
        QCOMPARE(native, std::string("/\xc3\xa9t\xc3\xa9/x"));
    }

    void chosenFilesBecomeRowsInTheDialogsOrder()
    {
        AddingWindow w;
        clickControl(w.form, "PushButton5"); // cancelled
        QCOMPARE(w.form.fileList().count(), 0);
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(1));
        const auto& box = w.test.dialogs.shown()[0];
        QCOMPARE(box.kind, ScriptedDialogs::Kind::OpenFile);
        QCOMPARE(box.text,
                 QStringLiteral("Add File(s) - Hold Ctrl or Shift to select multiple files"));
        QCOMPARE(box.filter, QStringLiteral("All Files (*.*;*.*)|*.*;*.*|"));
        QVERIFY(box.multiSelect);

        // One file is taken exactly as the dialog returns it.
        const QString odd = dir_.path() + QStringLiteral("//one.txt");
        w.test.dialogs.answerOpenFile({odd});
        clickControl(w.form, "PushButton5");
        // Several: folder NUL names, joined and cleaned; a repeat is added again.
        w.test.dialogs.answerOpenFile({path("b.txt"), path("a.txt"), path("sub/c d.txt")});
        clickControl(w.form, "PushButton5");
        w.test.dialogs.answerOpenFile({"/x.txt", "/y.txt"});
        clickControl(w.form, "PushButton5");
        w.test.dialogs.answerOpenFile({path("b.txt")});
        clickControl(w.form, "PushButton5");
        QCOMPARE(w.rows(), QStringList({odd, path("b.txt"), path("a.txt"), path("sub/c d.txt"),
                                        "/x.txt", "/y.txt", path("b.txt")}));
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(5)); // the dialogs only
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    void aSelectionBeyondTheBufferAddsNothing()
    {
        AddingWindow w;
        QStringList many;
        for (int i = 0; i < 320; ++i)
            many << path(QString(95, u'n') + QString::number(i));
        w.test.dialogs.answerOpenFile(many);
        clickControl(w.form, "PushButton5");
        QCOMPARE(w.form.fileList().count(), 0);
        const auto& shown = w.test.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t(2));
        QCOMPARE(shown[1].text, QStringLiteral("You've selected too many files to add.\r\rPlease "
                                               "try adding via the \"Add All\" button."));
        QCOMPARE(shown[1].icon, BoxIcon::None);
        QCOMPARE(shown[1].title, w.test.dialogs.applicationTitle());

        // Just inside the limit, everything goes in.
        w.test.dialogs.answerOpenFile(many.mid(0, 250));
        clickControl(w.form, "PushButton5");
        QCOMPARE(w.form.fileList().count(), 250);
    }
};

BYTEMARSH_TEST_MAIN(AddFilesTest)
#include "test_add_files.moc"
