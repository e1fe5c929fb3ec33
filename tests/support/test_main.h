#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "platform/settings_store.h"

// Every suite gets its own settings folder and never touches the user's.
#define BYTEMARSH_SUITE_MAIN(Application, TestClass, ...)                                          \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        QTemporaryDir configHome;                                                                  \
        qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());                                    \
        __VA_ARGS__;                                                                               \
        Application app(argc, argv);                                                               \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

// Suites of the program's rules: no window system at all.
#define BYTEMARSH_LOGIC_TEST_MAIN(TestClass) BYTEMARSH_SUITE_MAIN(QCoreApplication, TestClass, )

#ifdef QT_WIDGETS_LIB
#include <QApplication>
// Suites that drive the window: offscreen, with Qt's own dialogs so tests can answer them.
#define BYTEMARSH_TEST_MAIN(TestClass)                                                             \
    BYTEMARSH_SUITE_MAIN(QApplication, TestClass,                                                  \
                         if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                       \
                             qputenv("QT_QPA_PLATFORM", "offscreen");                              \
                         QApplication::setAttribute(Qt::AA_DontUseNativeDialogs))
#endif

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

// A file's bytes, or "<missing>" when it cannot be read.
inline QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<missing>");
}
