#include "platform/testing/test_platform.h"

#include "platform/platform_error.h"

namespace {

class MissingSpreadsheet : public SpreadsheetLauncher
{
public:
    std::unique_ptr<SpreadsheetApplication> create() override
    {
        throw PlatformError(429, QStringLiteral("ActiveX component can't create object"));
    }
};

} // namespace

TestPlatform::TestPlatform()
    : spreadsheet(std::make_unique<MissingSpreadsheet>()),
      platform_{dialogs, settings, shell, clipboard, *spreadsheet, events, random,
                programDir_.path()}
{
}

TestPlatform::~TestPlatform() = default;
