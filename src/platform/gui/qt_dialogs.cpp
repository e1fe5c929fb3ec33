#include "platform/gui/qt_dialogs.h"

#include "platform/gui/name_only_icon_provider.h"
#include "platform/gui/window_event_pump.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace {

QMessageBox::Icon toQtIcon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Exclamation:
        return QMessageBox::Warning;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::Critical:
        return QMessageBox::Critical;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The program's texts break lines with bare carriage returns, alone or before a line feed.
QString withLineFeeds(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

// The labels name their patterns already; Qt would add its own copy of them.
constexpr QFileDialog::Options kShowLabelsAsWritten = QFileDialog::HideNameFilterDetails;

// Qt's own file dialog, as its static functions show it, but with icons told by name alone.
QStringList showFileDialog(QWidget* owner, const QString& title, const QString& folder,
                           const QString& filters, QFileDialog::FileMode mode,
                           QFileDialog::Options options)
{
    static NameOnlyIconProvider icons;
    QFileDialog dialog(owner, title, folder, filters);
    dialog.setFileMode(mode);
    dialog.setOptions(options);
    if (mode == QFileDialog::AnyFile) dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setIconProvider(&icons);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

QString firstOf(const QStringList& chosen)
{
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace

void QtDialogs::hearPendingClose()
{
    if (events_) events_->processHeldRoundNow();
}

BoxReply QtDialogs::ask(const MessageBoxRequest& request)
{
    hearPendingClose();
    QMessageBox box(toQtIcon(request.icon), titleOrDefault(request.title), request.text,
                    QMessageBox::NoButton, owner_);
    // Paths may hold "<b>" or "&amp;": the box shows what the text says, never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(withLineFeeds(request.text));
    box.setDetailedText(request.details);
    if (!request.checkBox.isEmpty()) box.setCheckBox(new QCheckBox(request.checkBox, &box));
    switch (request.buttons) {
    case BoxButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case BoxButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case BoxButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    }
    // The keyboard stays on the answer, as in every other box: Return answers, and a check box
    // is ticked only on purpose.
    if (box.checkBox()) box.setDefaultButton(qobject_cast<QPushButton*>(box.buttons().value(0)));
    const int pressed = box.exec();
    const bool ticked = box.checkBox() && box.checkBox()->isChecked();
    switch (pressed) {
    case QMessageBox::Yes:
        return {AnswerYes, ticked};
    case QMessageBox::No:
        return {AnswerNo, ticked};
    case QMessageBox::Cancel:
        return {AnswerCancel, ticked};
    default:
        return {AnswerOk, ticked};
    }
}

QString QtDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    hearPendingClose();
    QInputDialog dialog(owner_);
    dialog.setWindowTitle(titleOrDefault(title));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextEchoMode(QLineEdit::Normal);
    dialog.setLabelText(withLineFeeds(prompt));
    dialog.setTextValue(defaultText);
    for (QLabel* label : dialog.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

QString toQtNameFilters(const QString& classicFilter)
{
    const QStringList parts = classicFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
        patterns.removeDuplicates();
        filters << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

QString QtDialogs::openFile(const FileDialogRequest& request)
{
    hearPendingClose();
    const QString filters = toQtNameFilters(request.filter);
    const QStringList chosen =
        showFileDialog(owner_, request.title, {}, filters,
                       request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile,
                       kShowLabelsAsWritten);
    if (!request.multiSelect) return firstOf(chosen);
    return joinSelection(chosen, request.maxResultLength);
}

QString QtDialogs::saveFile(const FileDialogRequest& request)
{
    hearPendingClose();
    // The command asks its own overwrite question.
    return firstOf(showFileDialog(owner_, request.title, {}, toQtNameFilters(request.filter),
                                  QFileDialog::AnyFile,
                                  kShowLabelsAsWritten | QFileDialog::DontConfirmOverwrite));
}

QString QtDialogs::browseForFolder(const QString& title, const QString& initialFolder)
{
    hearPendingClose();
    return firstOf(showFileDialog(owner_, title, initialFolder, {}, QFileDialog::Directory,
                                  QFileDialog::ShowDirsOnly));
}
