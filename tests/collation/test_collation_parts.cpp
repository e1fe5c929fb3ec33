// Collation split over threads: run under ThreadSanitizer as well as in the plain build.

#include "../engine/engine_test_support.h"
#include "../support/name_reference.h"
#include "core/collation_parts.h"
#include "core/results_order.h"
#include "lists/row_list.h"

#include <QLocale>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <stdexcept>
#include <thread>

namespace {

QCollator numericGerman()
{
    QCollator collator{QLocale(QLocale::German, QLocale::Germany)};
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

QString textAt(std::size_t i)
{
    // Numbers inside names, case and accents: what a collator set otherwise would order
    // differently.
    static const char* const stems[] = {"File", "file", "Äpfel", "apfel", "x-", "Z"};
    return QString::fromUtf8(stems[i % 6]) + QString::number(i % 977);
}

// Every item once, in ranges that follow one another, each part on a thread of its own.
void testPartsCoverEveryItemOnce()
{
    const CollationParts parts(numericGerman(), 4, 10);
    CHECK(parts.partsFor(0) == 1 && parts.partsFor(39) == 3 && parts.partsFor(100000) == 4);
    for (const std::size_t count :
         {std::size_t(0), std::size_t(7), std::size_t(25), std::size_t(1001)}) {
        std::vector<int> seen(count, 0);
        std::vector<std::pair<std::size_t, std::size_t>> ranges(parts.partsFor(count));
        std::vector<std::thread::id> threads(ranges.size());
        parts.run(count,
                  [&](std::size_t begin, std::size_t end, std::size_t part, const QCollator&) {
                      ranges[part] = {begin, end};
                      threads[part] = std::this_thread::get_id();
                      for (std::size_t i = begin; i < end; ++i)
                          ++seen[i];
                  });
        CHECK(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));
        CHECK(ranges.front().first == 0 && ranges.back().second == count);
        for (std::size_t part = 1; part < ranges.size(); ++part)
            CHECK(ranges[part].first == ranges[part - 1].second);
        CHECK(threads.front() == std::this_thread::get_id());
        CHECK(std::set<std::thread::id>(threads.begin(), threads.end()).size() == threads.size());
    }
}

// Keys made in parts are the keys one collator makes: every part's collator is set as the
// model is (numbers in natural order, case ignored, the model's locale).
void testKeysInPartsMatchOneCollator()
{
    const QCollator model = numericGerman();
    const std::size_t count = 30000;
    const std::vector<QCollatorSortKey> keys =
        collationKeys(CollationParts(model, 3, 1000), count, textAt);
    CHECK(keys.size() == count);
    std::size_t differ = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (keys[i].compare(model.sortKey(textAt(i))) != 0) ++differ;
    CHECK_MSG(differ == 0, std::to_string(differ) + " keys differ from one collator's");
}

// What a part throws reaches the caller once every part has ended.
void testAFailingPartIsReported()
{
    const CollationParts parts(numericGerman(), 3, 1);
    std::atomic<int> ended{0};
    bool caught = false;
    try {
        parts.run(300, [&](std::size_t begin, std::size_t, std::size_t part, const QCollator&) {
            if (part == 1) throw std::runtime_error("part " + std::to_string(begin));
            ended.fetch_add(1);
        });
    } catch (const std::runtime_error& error) {
        caught = std::strcmp(error.what(), "part 100") == 0;
    }
    CHECK(caught);
    CHECK(ended.load() == 2);
}

// The name sort with its keys, its folders' sorts and its check shared out: the order one
// collator gives the whole paths, in both directions, ties in row order.
void testNameSortSharedOut()
{
    if (std::thread::hardware_concurrency() < 2)
        std::printf("note: one core, so the name sort runs on one thread\n");
    RowList list(1, false);
    list.addColumn(QStringLiteral("Filename"));
    std::mt19937 random(3);
    // Mostly names of plain ASCII, sorted by quick keys; some beyond it, which send their
    // folders to the collator's keys.
    for (int i = 0; i < 50000; ++i)
        list.add(
            QStringLiteral("/data/set%1/%2%3%4.txt")
                .arg(random() % (i % 2 ? 3 : 3000))
                .arg(random() % 7 == 0 ? QStringLiteral("sub/") : QString())
                .arg(random() % 50 == 0 ? QStringLiteral("\u00c4pfel") : QStringLiteral("File"))
                .arg(random() % 4000));
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    for (const SortDirection direction : {SortDirection::Ascending, SortDirection::Descending})
        CHECK(rowsByName(list, direction, english) == rowsByWholeKeys(list, direction, english));
}

} // namespace

int main()
{
    return enginetest::runAll({
        {"parts_cover_every_item_once", testPartsCoverEveryItemOnce},
        {"keys_in_parts_match_one_collator", testKeysInPartsMatchOneCollator},
        {"a_failing_part_is_reported", testAFailingPartIsReported},
        {"name_sort_shared_out", testNameSortSharedOut},
    });
}
