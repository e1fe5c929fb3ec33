#pragma once

#include "desktop/single_instance.h"

#include <QByteArray>
#include <QByteArrayList>

// A message fed to the window's reader in one piece: its state, and the paths once complete
// (none otherwise).
inline SingleInstance::MessageReader::State readWholeMessage(const QByteArray& bytes,
                                                             QByteArrayList& paths)
{
    SingleInstance::MessageReader reader;
    const SingleInstance::MessageReader::State state = reader.feed(bytes);
    paths =
        state == SingleInstance::MessageReader::State::Complete ? reader.paths() : QByteArrayList();
    return state;
}
