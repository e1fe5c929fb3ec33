#include "doubles/scripted_dialogs.h"

namespace {

template <typename T> T take(std::deque<T>& queue, T fallback)
{
    if (queue.empty()) return fallback;
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

} // namespace

QStringList ScriptedDialogs::texts() const
{
    QStringList result;
    for (const Shown& box : shown_)
        result << box.text;
    return result;
}

void ScriptedDialogs::record(Shown box)
{
    if (box.title.isEmpty()) box.title = applicationTitle();
    shown_.push_back(std::move(box));
    if (whileShown_) whileShown_();
}

BoxReply ScriptedDialogs::ask(const MessageBoxRequest& request)
{
    record({Kind::Message,
            request.title,
            request.text,
            request.icon,
            request.buttons,
            {},
            {},
            false,
            request.details,
            request.checkBox});
    const int fallback = request.buttons == BoxButtons::YesNo      ? AnswerNo
                         : request.buttons == BoxButtons::OkCancel ? AnswerCancel
                                                                   : AnswerOk;
    const int answer = request.buttons == BoxButtons::Ok ? AnswerOk : take(messages_, fallback);
    return {answer, !request.checkBox.isEmpty() && take(ticks_, false)};
}

QString ScriptedDialogs::inputBox(const QString& prompt, const QString& title,
                                  const QString& defaultText)
{
    record({Kind::Input,
            title,
            prompt,
            BoxIcon::None,
            BoxButtons::OkCancel,
            defaultText,
            {},
            false,
            {},
            {}});
    return take(inputs_, QString());
}

void ScriptedDialogs::recordFileDialog(Kind kind, const FileDialogRequest& request)
{
    record({kind,
            {},
            request.title,
            BoxIcon::None,
            BoxButtons::OkCancel,
            {},
            request.filter,
            request.multiSelect,
            {},
            {}});
}

QString ScriptedDialogs::openFile(const FileDialogRequest& request)
{
    recordFileDialog(Kind::OpenFile, request);
    const QStringList chosen = take(openFiles_, QStringList());
    return request.multiSelect ? joinSelection(chosen, request.maxResultLength) : chosen.value(0);
}

QString ScriptedDialogs::saveFile(const FileDialogRequest& request)
{
    recordFileDialog(Kind::SaveFile, request);
    return take(saveFiles_, QString());
}

QString ScriptedDialogs::browseForFolder(const QString& title, const QString& initialFolder)
{
    record({Kind::Folder,
            {},
            title,
            BoxIcon::None,
            BoxButtons::OkCancel,
            initialFolder,
            {},
            false,
            {},
            {}});
    return take(folders_, QString());
}
