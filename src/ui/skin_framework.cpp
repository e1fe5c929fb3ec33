#include "ui/skin_framework.h"

#include "base/runtime_error.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QWidget>

namespace {

QString readSheet(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) throw RuntimeError::fileNotFound();
    return QString::fromUtf8(file.readAll());
}

bool isColourProperty(const QString& property)
{
    return property.contains(QLatin1String("color")) ||
           property.startsWith(QLatin1String("background")) ||
           property == QLatin1String("border") || property.startsWith(QLatin1String("selection"));
}

bool isMetricProperty(const QString& property)
{
    static const QRegularExpression metric(QStringLiteral(
        "^(font.*|padding.*|margin.*|spacing|(min-|max-)?(width|height)|border-.*(width|radius)|"
        "border-radius)$"));
    return metric.match(property).hasMatch();
}

} // namespace

void SkinFramework::LoadSkin(const QString& path, const QString& variant)
{
    QString sheet = readSheet(path);
    if (!variant.isEmpty()) sheet += u'\n' + readSheet(QFileInfo(path).dir().filePath(variant));
    sheet_ = sheet;
    loaded_ = true;
}

QString SkinFramework::effectiveStyleSheet() const
{
    if (applyColors_ && applyMetrics_) return sheet_;

    // Drops the declarations of the switched-off kind; selectors and the rest stay.
    static const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/"),
                                            QRegularExpression::DotMatchesEverythingOption);
    QString sheet = sheet_;
    sheet.remove(comment);
    QString result;
    qsizetype at = 0;
    while (at < sheet.size()) {
        const qsizetype open = sheet.indexOf(u'{', at);
        if (open < 0) break;
        const qsizetype close = sheet.indexOf(u'}', open);
        if (close < 0) break;
        QStringList kept;
        for (const QString& declaration : sheet.mid(open + 1, close - open - 1).split(u';')) {
            const QString property = declaration.section(u':', 0, 0).trimmed().toLower();
            if (property.isEmpty()) continue;
            if (!applyColors_ && isColourProperty(property)) continue;
            if (!applyMetrics_ && isMetricProperty(property)) continue;
            kept << declaration.trimmed();
        }
        result += sheet.mid(at, open - at).trimmed() + QStringLiteral(" { ") +
                  kept.join(QStringLiteral("; ")) + QStringLiteral(" }\n");
        at = close + 1;
    }
    return result;
}

void SkinFramework::ApplyWindow(QWidget* window)
{
    if (!loaded_ || !window)
        throw RuntimeError(RuntimeError::InvalidProcedureCall,
                            QStringLiteral("Invalid procedure call or argument"));
    const QString sheet = effectiveStyleSheet();
    if (options_ & SkinDialogs)
        qApp->setStyleSheet(sheet);
    else
        window->setStyleSheet(sheet);
    ++applications_;
}
