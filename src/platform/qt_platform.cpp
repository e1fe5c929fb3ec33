#include "platform/qt_platform.h"

#include "platform/platform_error.h"

#include <QCoreApplication>

namespace {

class NoSpreadsheetLauncher : public SpreadsheetLauncher
{
public:
    std::unique_ptr<SpreadsheetApplication> create() override
    {
        throw PlatformError(429, QStringLiteral("ActiveX component can't create object"));
    }
};

} // namespace

QtPlatform::QtPlatform()
    : spreadsheet_(std::make_unique<NoSpreadsheetLauncher>()),
      platform_{dialogs_,  settings_, shell_,  clipboard_,
                *spreadsheet_, events_, random_, QCoreApplication::applicationDirPath()}
{
}

QtPlatform::~QtPlatform() = default;
