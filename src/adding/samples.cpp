#include "adding/samples.h"

#include "adding/add_folder.h"
#include "core/settings_keys.h"
#include "lists/row_list.h"
#include "platform/event_pump.h"
#include "platform/file_system.h"
#include "platform/settings_store.h"

namespace {

template <typename Step>
QByteArray walk(const QByteArray& text, const QByteArray& key, EventPump& events, Step step)
{
    QByteArray result(text.size(), Qt::Uninitialized);
    qsizetype k = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        events.processPendingEvents();
        const int c = static_cast<unsigned char>(text[i]);
        const int code = key.isEmpty() ? 0 : static_cast<unsigned char>(key[k]);
        if (!key.isEmpty()) k = (k + 1) % key.size();
        result[i] = static_cast<char>(step(c, code));
    }
    return result;
}

} // namespace

QByteArray ScrambleText(const QByteArray& text, const QByteArray& key, EventPump& events)
{
    return walk(text, key, events, [](int c, int k) {
        const int v = c + k;
        return v > 255 ? v - 255 : v;
    });
}

QByteArray UnscrambleText(const QByteArray& text, const QByteArray& key, EventPump& events)
{
    return walk(text, key, events, [](int c, int k) {
        const int v = c - k;
        return v < 1 ? v + 255 : v;
    });
}

bool ListContainsText(const RowList& list, const QString& text)
{
    const QByteArray wanted = text.toUtf8();
    const std::string_view needle(wanted.constData(), std::size_t(wanted.size()));
    for (int row = 1, count = list.count(); row <= count; ++row)
        if (list.textUtf8(row) == needle) return true;
    return false;
}

QString sampleFolder(const QString& programFolder)
{
    return programFolder + QStringLiteral("/Samples");
}

void BuildSampleSnapshot(const QString& programFolder, SettingsStore& settings, EventPump& events)
{
    const QString folder = sampleFolder(programFolder);
    QString paths;
    for (const QString& name : AddFolder::ListFilesInFolder(folder, QStringLiteral("*.*")))
        paths += folder + u'/' + name + u'|';
    paths.chop(1);
    // Scrambled bytes go into the settings one character per byte.
    settings.write(
        SettingsKey::Snapshot,
        QString::fromLatin1(ScrambleText(paths.toUtf8(), QByteArray(kSampleScrambleKey), events)));
}
