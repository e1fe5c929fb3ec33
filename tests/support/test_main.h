#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "platform/settings_store.h"

// Every suite runs offscreen, with its own settings folder, and never touches the user's.
#define BYTEMARSH_TEST_MAIN(TestClass)                                                             \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        QTemporaryDir configHome;                                                                  \
        qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());                                    \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);                                   \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

// Forgets every stored setting.
inline void removeAllSettings()
{
    QFile::remove(QtSettingsStore::filePath());
}

// Writes a file of the given bytes, creating folders as needed.
inline QString writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
    return path;
}
