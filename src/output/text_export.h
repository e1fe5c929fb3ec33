#pragma once

#include "core/command_context.h"

#include <QString>

class ErrorTrap;
class EventPump;
class RowList;

// The results' paths into the file at `path`, one per line, as the export writes them: the file
// is created or replaced only once every line is written, so a failure leaves the old one whole.
// Each failing step is reported through `trap` and the rest go on; `events` gets a round before
// each line.
void WriteResultsText(RowList& results, const QString& path, ErrorTrap& trap, EventPump& events);
