#include "core/size_check.h"

#include "core/error_trap.h"
#include "core/unit_options.h"
#include "core/units.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"

SizeCheck::SizeCheck(RowList& files, RowList& results, const UnitOptions& units,
                     WindowPointer& pointer, Dialogs& dialogs, ErrorReporter& errors)
    : files_(files), results_(results), units_(units), pointer_(pointer), dialogs_(dialogs),
      errors_(errors)
{
}

void SizeCheck::run()
{
    ErrorTrap trap(errors_, QStringLiteral("Form1"), QStringLiteral("PushButton4_Click"));
    if (checking_) return; // 100
    checking_ = true;      // 102

    if (!trap.test(104, [&] { return files_.count() <= 0; })) {
        trap.line(106, [&] { pointer_.setMousePointer(PointerSetting::Busy); });
        int last = 0;
        trap.line(108, [&] { last = files_.count(); });
        short unit = UnitBytes;
        for (int i = 1; i <= last; ++i) {
            std::string_view path; // points into the file list, which this loop never changes
            int row = 0;
            trap.line(110, [&] { path = files_.textUtf8(i); });
            trap.line(112, [&] { row = results_.addUtf8(path); });
            trap.line(114, [&] { unit = selectedUnit(units_, unit); });
            trap.line(130, [&] {
                const auto size = double(FileSystem::fileLength(path));
                results_.setSubItem(row, 1, ConvertUnitTo(unit, size));
            });
        }
        trap.line(134, [&] { pointer_.setMousePointer(PointerSetting::Default); });
        trap.line(136, [&] { dialogs_.inform(QStringLiteral("Done.")); });
    } else {
        trap.line(138, [&] { dialogs_.inform(QStringLiteral("No Files added.")); });
    }
    checking_ = false; // 140
}
