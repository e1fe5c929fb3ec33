#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// One part of a zip archive, through the unzip tool; empty when it cannot be read.
inline QByteArray zipPart(const QString& archive, const QString& part)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, part});
    if (!unzip.waitForFinished(10000) || unzip.exitCode() != 0) return {};
    return unzip.readAllStandardOutput();
}
