// Later starts of the program, as far as the hand-over goes, in a process of their own: each
// hands one path to the window at SOCKET after a random pause of up to MAX_PAUSE_MS.
//
//     handover_probe SOCKET PATH COUNT MAX_PAUSE_MS
//
// Prints how many the window took.

#include "desktop/single_instance.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fputs("usage: handover_probe SOCKET PATH COUNT MAX_PAUSE_MS\n", stderr);
        return 2;
    }
    const QString socket = QFile::decodeName(argv[1]);
    const QByteArray path = argv[2];
    const int count = std::atoi(argv[3]);
    const int maxPause = std::max(1, std::atoi(argv[4]));
    int taken = 0;
    for (int i = 0; i < count; ++i) {
        QThread::msleep(QRandomGenerator::global()->bounded(maxPause));
        if (SingleInstance::handOver(socket, {path}, ::geteuid(), 5000) ==
            SingleInstance::HandOver::Taken)
            ++taken;
    }
    std::printf("%d\n", taken);
    return 0;
}
