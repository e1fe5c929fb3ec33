#include "doubles/test_platform.h"

#include "base/runtime_error.h"

namespace {

class MissingSpreadsheet : public SpreadsheetLauncher
{
public:
    std::unique_ptr<SpreadsheetApplication> create() override
    {
        throw RuntimeError(429, QStringLiteral("ActiveX component can't create object"));
    }
};

} // namespace

TestPlatform::TestPlatform()
    : spreadsheet(std::make_unique<MissingSpreadsheet>()),
      platform_{dialogs,     settings,  shell,
                fileManager, clipboard, currentSpreadsheet_,
                events,      random,    programDir_.path()}
{
}

TestPlatform::~TestPlatform() = default;

void TestPlatform::useSpreadsheet(std::unique_ptr<SpreadsheetLauncher> launcher)
{
    spreadsheet = std::move(launcher);
}

RecordingSpreadsheet& TestPlatform::recordSpreadsheet()
{
    auto recorder = std::make_unique<RecordingSpreadsheet>();
    RecordingSpreadsheet& result = *recorder;
    spreadsheet = std::move(recorder);
    return result;
}
