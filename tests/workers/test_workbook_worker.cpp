// A workbook written on a worker while the caller waits in held rounds: run under
// ThreadSanitizer as well as in the plain build.

#include "../engine/engine_test_support.h"
#include "base/runtime_error.h"
#include "platform/event_pump.h"
#include "platform/held_worker.h"
#include "platform/xlsx_workbook.h"

#include <QRandomGenerator>
#include <QString>
#include <fstream>
#include <iterator>

namespace {

// Counts what the waiting side does, and whether input is held while it does it.
class WatchingPump : public QtEventPump
{
public:
    WatchingPump() : QtEventPump(0, 0) {}
    void processWaitRound() override
    {
        ++rounds;
        heldInEveryRound = heldInEveryRound && holding();
        QtEventPump::processWaitRound();
    }
    bool isHolding() const { return holding(); }
    int rounds = 0;
    bool heldInEveryRound = true;
};

std::string contentOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void testAWorkbookIsWrittenWhileTheCallerWaitsHeld()
{
    enginetest::TempDir dir;
    const std::string path = dir / "results.xlsx";
    XlsxWorkbook workbook;
    workbook.setCell(1, 1, QStringLiteral("Filename"));
    workbook.setCell(1, 2, QStringLiteral("File Size"));
    // Names that compress slowly, so the save takes a while.
    for (int row = 2; row < 200000; ++row) {
        quint32 words[8];
        QRandomGenerator::global()->fillRange(words);
        const QByteArray name(reinterpret_cast<const char*>(words), sizeof words);
        workbook.setCell(row, 1, QStringLiteral("/data/%1.txt").arg(QLatin1String(name.toHex())));
        workbook.setCell(row, 2, QStringLiteral("%1 bytes").arg(row));
    }
    WatchingPump pump;
    runHeldOnWorker(pump, [&] { workbook.saveReplacing(QString::fromStdString(path)); });
    CHECK(contentOf(path).substr(0, 2) == "PK");
    CHECK(contentOf(path).size() > 100000);
    // More than a round of work: the caller waited in rounds, every one held.
    CHECK(pump.rounds > 0);
    CHECK(pump.heldInEveryRound);
    CHECK(!pump.isHolding());
}

void testWhatTheWorkThrowsReachesTheCaller()
{
    enginetest::TempDir dir;
    XlsxWorkbook workbook;
    workbook.setCell(1, 1, QStringLiteral("x"));
    WatchingPump pump;
    QString said;
    try {
        runHeldOnWorker(pump, [&] {
            workbook.saveReplacing(QString::fromStdString(dir / "no folder/out.xlsx"));
        });
    } catch (const RuntimeError& error) {
        said = error.description();
    }
    CHECK(said == QStringLiteral("Path not found"));
    CHECK(!pump.isHolding());
}

} // namespace

int main()
{
    return enginetest::runAll({
        {"a_workbook_is_written_while_the_caller_waits_held",
         testAWorkbookIsWrittenWhileTheCallerWaitsHeld},
        {"what_the_work_throws_reaches_the_caller", testWhatTheWorkThrowsReachesTheCaller},
    });
}
