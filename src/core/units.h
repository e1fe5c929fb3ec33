#pragma once

#include <QString>

// Size unit codes, in the order of the four unit options.
enum SizeUnit : short { UnitBytes = 0, UnitKilobytes = 1, UnitMegabytes = 2, UnitGigabytes = 3 };

// A byte count as the results list shows it: "1536 bytes", "1.5 KB", "0.97 KB", "1.99GB".
// Powers of 1024, truncated (never rounded) to two decimals, the user's decimal separator.
// Any other unit code gives the empty text.
QString ConvertUnitTo(short unit, double size);
