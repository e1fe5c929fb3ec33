#pragma once

#include <QByteArray>
#include <QString>

class EventPump;
class RowList;
class SettingsStore;

// The sample files that come with the program, in the "Samples" folder of the program folder.
// Their full paths are recorded once, scrambled, in the setting "Snapshot".

// The key both scrambling directions use.
inline constexpr auto kSampleScrambleKey = "quagmire";

// Adds each key code to each character code (the key repeats), wrapping above 255 to 1; the
// text is in the program's single-byte form (UTF-8 bytes). Processes pending events once per
// character.
QByteArray ScrambleText(const QByteArray& text, const QByteArray& key, EventPump& events);
// The inverse for codes 1 to 255.
QByteArray UnscrambleText(const QByteArray& text, const QByteArray& key, EventPump& events);

// True when some row's text equals the text exactly (case-sensitive).
bool ListContainsText(const RowList& list, const QString& text);

// Records the files now in the samples folder under "Snapshot". With no sample files the record
// stays empty, so the next start tries again.
void BuildSampleSnapshot(const QString& programFolder, SettingsStore& settings, EventPump& events);

QString sampleFolder(const QString& programFolder);
