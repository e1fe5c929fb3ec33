#include "core/ascii_keys.h"
#include "core/results_order.h"
#include "core/results_total.h"
#include "core/units.h"
#include "lists/row_list.h"
#include "support/name_reference.h"
#include "support/test_main.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>

namespace {

// A results list: each row a path, a size text in whatever unit, and the byte count read, if
// one was.
struct Row
{
    QString path;
    std::optional<std::int64_t> bytes;
    short unit = UnitBytes;
};

void fill(RowList& list, const std::vector<Row>& rows)
{
    for (const Row& row : rows) {
        const int at = list.add(row.path);
        if (row.bytes) {
            list.setSubItem(at, 1, ConvertUnitTo(row.unit, double(*row.bytes)));
            list.setSize(at, *row.bytes);
        }
    }
}

struct Results : RowList
{
    explicit Results(const std::vector<Row>& rows) : RowList(2, true)
    {
        addColumn("Filename");
        addColumn("File Size");
        fill(*this, rows);
    }
};

QStringList pathsIn(const RowList& list, const std::vector<int>& order)
{
    QStringList paths;
    for (const int row : order)
        paths << list.text(row);
    return paths;
}

// The order by whole paths, one collator comparison at a time: what the quick name sort must
// give.
std::vector<int> referenceByName(const RowList& list, SortDirection direction,
                                 const QLocale& locale)
{
    QCollator collator(locale);
    collator.setNumericMode(true);
    std::vector<int> order(std::size_t(list.count()));
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int compared = collator.compare(list.text(a), list.text(b));
        return direction == SortDirection::Ascending ? compared < 0 : compared > 0;
    });
    return order;
}

constexpr std::int64_t k2To53 = std::int64_t(1) << 53;

// Locales that order ASCII differently: case first or last, and letters of two characters
// ("ch" in Czech, "aa" in Danish, "cs" and "sz" in Hungarian). One whose rules ICU lacks still
// has a collator, which is all the comparisons below need.
const QList<QLocale> kLocales = {
    QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c(),
    QLocale(QLocale::Czech, QLocale::CzechRepublic),  QLocale(QLocale::Danish, QLocale::Denmark),
    QLocale(QLocale::Hungarian, QLocale::Hungary),    QLocale(QLocale::German, QLocale::Germany),
};

QCollator numericCollator(const QLocale& locale)
{
    QCollator collator(locale);
    collator.setNumericMode(true);
    return collator;
}

// Names of a few pieces each: case, letters some locales join, numbers with leading zeros and
// long ones, punctuation and spaces; with `unusual`, now and then a control character or one
// beyond ASCII.
QString generatedName(std::mt19937& random, bool unusual)
{
    // Split at '|', as a space is a piece of its own.
    static const QList<QByteArray> pieces =
        QByteArray("a|A|b|B|c|C|h|H|ch|Ch|CH|aa|Aa|cs|sz|dz|zs|ny|ly|z|Z|x|-|_|.|,| |~|!|(|)|'|0|"
                   "00|007|1|01|10|9|99|0099|2|20|file|File|FILE|12345678901234567890123")
            .split('|');
    static const char* const unusualPieces[] = {"\x01", "\t", "\xc3\xa9", "\xc3\x85",
                                                "\xe2\x80\x8b"};
    QByteArray name;
    const int count = 1 + int(random() % 5);
    for (int i = 0; i < count; ++i) {
        if (unusual && random() % 12 == 0)
            name += unusualPieces[random() % std::size(unusualPieces)];
        else
            name += pieces[qsizetype(random() % pieces.size())];
    }
    return QString::fromUtf8(name);
}

int signOf(int compared)
{
    return (compared > 0) - (compared < 0);
}

// The quick key of a name, or an empty one.
std::string quickKey(const AsciiNameKeys& keys, const QString& name)
{
    const QByteArray bytes = name.toUtf8();
    std::string key(AsciiNameKeys::maxKeySize(std::size_t(bytes.size())), '\0');
    key.resize(keys.write(std::string_view(bytes.data(), std::size_t(bytes.size())),
                          reinterpret_cast<unsigned char*>(key.data())));
    return key;
}

} // namespace

// The results' orders and their total, on rows as the size check leaves them.
class ResultsOrderTest : public QObject
{
    Q_OBJECT

private slots:
    void sizesCompareByTheBytesReadWhateverTheUnitShown()
    {
        // The texts alone would put "2 MB" before "900 KB" and "1.99GB" before "3 bytes".
        Results list({
            {"/d/three-bytes", 3, UnitBytes},
            {"/d/two-mb", 2 * 1048576, UnitMegabytes},
            {"/d/failed-1", std::nullopt},
            {"/d/nine-hundred-kb", 900 * 1024, UnitKilobytes},
            {"/d/almost-two-gb", 2136746229, UnitGigabytes},
            {"/d/empty", 0, UnitGigabytes},
            {"/d/failed-2", std::nullopt},
        });
        QCOMPARE(list.subItem(2, 1), QStringLiteral("2 MB"));

        QCOMPARE(pathsIn(list, rowsBySize(list, SortDirection::Descending)),
                 QStringList({"/d/almost-two-gb", "/d/two-mb", "/d/nine-hundred-kb",
                              "/d/three-bytes", "/d/empty", "/d/failed-1", "/d/failed-2"}));
        // Failed reads stay last the other way round too, in their own order.
        QCOMPARE(pathsIn(list, rowsBySize(list, SortDirection::Ascending)),
                 QStringList({"/d/empty", "/d/three-bytes", "/d/nine-hundred-kb", "/d/two-mb",
                              "/d/almost-two-gb", "/d/failed-1", "/d/failed-2"}));
    }

    void equalSizesKeepTheirOrderInBothDirections()
    {
        std::vector<Row> rows;
        for (int i = 0; i < 40; ++i)
            rows.push_back({QStringLiteral("/r/%1").arg(i),
                            i % 3 == 0 ? std::nullopt : std::optional<std::int64_t>(i % 4)});
        Results list(rows);
        for (const SortDirection direction :
             {SortDirection::Ascending, SortDirection::Descending}) {
            const std::vector<int> order = rowsBySize(list, direction);
            QCOMPARE(order.size(), std::size_t(40));
            for (std::size_t i = 1; i < order.size(); ++i) {
                const auto a = list.size(order[i - 1]);
                const auto b = list.size(order[i]);
                if (!a || !b) {
                    QVERIFY(!b); // nothing with a size after a row without one
                    if (!a) QVERIFY(order[i - 1] < order[i]);
                    continue;
                }
                if (*a == *b)
                    QVERIFY(order[i - 1] < order[i]); // the earlier row stays first
                else
                    QVERIFY(direction == SortDirection::Ascending ? *a < *b : *a > *b);
            }
        }
        // Sorting a sorted list again changes nothing.
        list.reorder(rowsBySize(list, SortDirection::Descending));
        const std::vector<int> again = rowsBySize(list, SortDirection::Descending);
        std::vector<int> identity(again.size());
        std::iota(identity.begin(), identity.end(), 1);
        QCOMPARE(again, identity);
    }

    void namesCollateWithNumbersInNaturalOrder()
    {
        Results list({{"/data/File10.txt", 1},
                      {"/data/file2.txt", 2},
                      {"/data/File1.txt", 3},
                      {"/data/b/z.txt", 4},
                      {"/data/a.txt", 5},
                      {"/data/File2.txt", 6},
                      {"/data/file2.txt", 7}});
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const std::vector<int> ascending = rowsByName(list, SortDirection::Ascending, english);
        QCOMPARE(pathsIn(list, ascending),
                 QStringList({"/data/a.txt", "/data/b/z.txt", "/data/File1.txt", "/data/file2.txt",
                              "/data/file2.txt", "/data/File2.txt", "/data/File10.txt"}));
        QCOMPARE(ascending, referenceByName(list, SortDirection::Ascending, english));
        // The two equal rows (2 and 7) keep their order either way.
        const std::vector<int> descending = rowsByName(list, SortDirection::Descending, english);
        QCOMPARE(descending, referenceByName(list, SortDirection::Descending, english));
        QVERIFY(std::find(descending.begin(), descending.end(), 2) <
                std::find(descending.begin(), descending.end(), 7));
    }

    void theQuickNameSortAgreesWithWholePathsOverATree()
    {
        // Folders and files whose names differ in case only, in accents, in numbers and in
        // punctuation, where a folder's subtree and its parent's files interleave; duplicates;
        // names without a folder; a name that is not UTF-8.
        const QStringList parts = {"a",   "A",  "b", "B",  "é", "e", "10", "9",   "x-1",
                                   "x_1", "x1", "ß", "ss", "Z", "",  " z", "a.b", "a b"};
        std::mt19937 random(19);
        std::vector<Row> rows;
        for (int i = 0; i < 3000; ++i) {
            QString path = (random() % 5 == 0) ? QString() : QStringLiteral("/");
            const int depth = int(random() % 4);
            for (int level = 0; level <= depth; ++level) {
                if (level > 0) path += u'/';
                path += parts[int(random() % parts.size())];
                if (random() % 3 == 0) path += QString::number(random() % 12);
            }
            rows.push_back({path, i});
        }
        Results list(rows);
        list.setTextUtf8(list.add(QString()), "/a/\xff\xfe.bin");
        for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::Swedish, QLocale::Sweden)})
            for (const SortDirection direction :
                 {SortDirection::Ascending, SortDirection::Descending})
                QCOMPARE(rowsByName(list, direction, locale),
                         referenceByName(list, direction, locale));
    }

    void aListLargeEnoughToShareOutSortsAsOne()
    {
        // Enough rows for the keys, the folders' sorts and the check to be split over threads:
        // wide folders and narrow ones, equal paths far apart, and a folder whose subtree sorts
        // between its parent's files.
        std::mt19937 random(7);
        std::vector<Row> rows;
        for (int i = 0; i < 60000; ++i) {
            const int folder = int(random() % (i % 2 ? 3 : 4000));
            rows.push_back({QStringLiteral("/data/set%1/%2File%3.txt")
                                .arg(folder)
                                .arg(random() % 7 == 0 ? QStringLiteral("sub/") : QString())
                                .arg(random() % 5000),
                            i});
        }
        Results list(rows);
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        for (const SortDirection direction : {SortDirection::Ascending, SortDirection::Descending})
            QCOMPARE(rowsByName(list, direction, english),
                     rowsByWholeKeys(list, direction, english));
    }

    void aDeepChainSortsWithoutRecursion()
    {
        QString path;
        std::vector<Row> rows;
        for (int level = 0; level < 5000; ++level) {
            path += QStringLiteral("/d");
            rows.push_back({path + QStringLiteral("/f"), level});
        }
        Results list(rows);
        const std::vector<int> order = rowsByName(list, SortDirection::Descending, QLocale::c());
        QCOMPARE(order, referenceByName(list, SortDirection::Descending, QLocale::c()));
    }

    void quickKeysOrderNamesAsTheCollatorDoes()
    {
        std::mt19937 random(5);
        QStringList names;
        for (int i = 0; i < 500; ++i)
            names << generatedName(random, false);
        names << "a01"
              << "a1"
              << "A1"
              << "a001b"
              << "a1a"
              << "a0"
              << "a00"
              << "a"
              << "A";
        for (const QLocale& locale : kLocales) {
            const QCollator collator = numericCollator(locale);
            const AsciiNameKeys keys(collator);
            QVERIFY(keys.usable());
            std::vector<std::string> quick;
            int keyed = 0;
            for (const QString& name : names) {
                quick.push_back(quickKey(keys, name));
                if (!quick.back().empty()) ++keyed;
            }
            // Most names get a key, or the quick path would hardly ever be taken; every one
            // where the locale joins no letters.
            QVERIFY2(keyed > names.size() / 2, qPrintable(locale.name()));
            for (qsizetype a = 0; a < names.size(); ++a) {
                if (quick[a].empty()) continue;
                for (qsizetype b = 0; b < names.size(); ++b) {
                    if (quick[b].empty()) continue;
                    if (signOf(quick[a].compare(quick[b])) !=
                        signOf(collator.compare(names[a], names[b])))
                        QFAIL(qPrintable(QStringLiteral("%1: \"%2\" and \"%3\"")
                                             .arg(locale.name(), names[a], names[b])));
                }
            }
        }
    }

    void quickKeysRefuseWhatTheyCannotOrder()
    {
        const QCollator english = numericCollator(QLocale(QLocale::English, QLocale::UnitedStates));
        const AsciiNameKeys keys(english);
        QVERIFY(!quickKey(keys, "Report 2024.txt").empty());
        QVERIFY(!quickKey(keys, "~$x (1).doc").empty());
        // Characters the collator passes over, anything beyond ASCII, no name at all, and a
        // number longer than the key follows.
        for (const char* name :
             {"a\x01"
              "b",
              "tab\there", "caf\xc3\xa9", "", "x1234567890123456789012345678901234567890123"})
            QVERIFY2(quickKey(keys, QString::fromUtf8(name)).empty(), name);

        // Where a locale makes one letter of two, names holding them get no key; others do.
        const struct
        {
            QLocale locale;
            const char* joined;
            const char* next; // what sorts after the joined letter's first character
        } letters[] = {{QLocale(QLocale::Czech, QLocale::CzechRepublic), "ch", "ci"},
                       {QLocale(QLocale::Danish, QLocale::Denmark), "aa", "ab"},
                       {QLocale(QLocale::Hungarian, QLocale::Hungary), "cs", "ct"}};
        for (const auto& letter : letters) {
            const QCollator collator = numericCollator(letter.locale);
            if (collator.compare(QString::fromLatin1(letter.joined),
                                 QString::fromLatin1(letter.next)) < 0)
                continue; // no rules for this locale here
            const AsciiNameKeys joining(collator);
            QVERIFY(joining.usable());
            QVERIFY2(quickKey(joining, QStringLiteral("x%1y").arg(letter.joined)).empty(),
                     letter.joined);
            QVERIFY(!quickKey(joining, QStringLiteral("xyz 10.txt")).empty());
        }
    }

    void aLetterOfThreeCharactersSortsAsTheCollatorSays()
    {
        // Breton's "c'h" is one letter after "ch": no pair of its characters gives it away, so
        // the quick keys put "c'had" before "cz"; only the check against the collator
        // sees it, and the list goes the plain way.
        const QLocale breton(QLocale::Breton, QLocale::France);
        const QCollator collator = numericCollator(breton);
        const bool joins = collator.compare(QStringLiteral("c'had"), QStringLiteral("cz")) > 0;
        if (joins) {
            const AsciiNameKeys keys(collator);
            QVERIFY(quickKey(keys, "c'had") < quickKey(keys, "cz"));
        }
        // In one folder, where only the names are compared; no "ch", which the keys refuse.
        std::vector<Row> rows;
        for (const char* name : {"cz.txt", "c'had.txt", "ca.txt", "d.txt", "c'hoari", "cy"})
            rows.push_back({QStringLiteral("/b/") + QString::fromLatin1(name), 1});
        Results list(rows);
        for (const SortDirection direction : {SortDirection::Ascending, SortDirection::Descending})
            QCOMPARE(rowsByName(list, direction, breton), referenceByName(list, direction, breton));
    }

    void theNameSortMatchesTheCollatorInManyLocales()
    {
        // Folders and files of generated names, some with control characters and letters
        // beyond ASCII, the same names in several folders; a folder's files beside its
        // sub-folders of similar names.
        std::mt19937 random(11);
        QStringList folders = {QString(), QStringLiteral("/")};
        for (int i = 0; i < 40; ++i) {
            const QString parent = folders[qsizetype(random() % folders.size())];
            folders << parent + generatedName(random, true) + u'/';
        }
        std::vector<Row> rows;
        QStringList names;
        for (int i = 0; i < 300; ++i)
            names << generatedName(random, true);
        for (int i = 0; i < 2500; ++i)
            rows.push_back({folders[qsizetype(random() % folders.size())] +
                                names[qsizetype(random() % names.size())],
                            i});
        Results list(rows);
        // Folders of plain ASCII only, where every folder takes the quick way.
        std::vector<Row> plainRows;
        for (int i = 0; i < 2500; ++i) {
            QString path = QStringLiteral("/p");
            for (int level = int(random() % 3); level > 0; --level)
                path += u'/' + generatedName(random, false);
            plainRows.push_back({path + u'/' + generatedName(random, false), i});
        }
        Results plainList(plainRows);
        for (const QLocale& locale : kLocales)
            for (const SortDirection direction :
                 {SortDirection::Ascending, SortDirection::Descending})
                for (const RowList* rowList :
                     {static_cast<const RowList*>(&list), static_cast<const RowList*>(&plainList)})
                    QVERIFY2(rowsByName(*rowList, direction, locale) ==
                                 referenceByName(*rowList, direction, locale),
                             qPrintable(locale.name()));
    }

    void anEmptyListHasAnEmptyOrder()
    {
        Results list({});
        QVERIFY(rowsBySize(list, SortDirection::Ascending).empty());
        QVERIFY(rowsByName(list, SortDirection::Ascending).empty());
    }

    void theByteSumIsExactAtTwoToTheFiftyThreeAndAbove()
    {
        ByteSum sum;
        QCOMPARE(sum.digits(), QStringLiteral("0"));
        sum.add(std::uint64_t(k2To53));
        sum.add(1); // a double would lose this byte
        QCOMPARE(sum.digits(), QStringLiteral("9007199254740993"));
        sum.add(1);
        QCOMPARE(sum.digits(), QStringLiteral("9007199254740994"));

        // Past 2^64: three rows of the largest size there is.
        ByteSum large;
        const std::uint64_t biggest = std::uint64_t(std::numeric_limits<std::int64_t>::max());
        for (int i = 0; i < 3; ++i)
            large.add(biggest);
        QCOMPARE(large.digits(), QStringLiteral("27670116110564327421"));
        QCOMPARE(large.toDouble(), 3.0 * double(biggest));

        // A run of nines carries through every group of digits.
        ByteSum carry;
        carry.add(999999999999999999u);
        carry.add(1);
        QCOMPARE(carry.digits(), QStringLiteral("1000000000000000000"));
    }

    void theTotalCountsTickedRowsOrEveryRow()
    {
        Results list({{"/t/a", k2To53},
                      {"/t/b", 1},
                      {"/t/failed", std::nullopt},
                      {"/t/c", 1024, UnitKilobytes}});
        ResultsTotal all = totalOfTickedRows(list);
        QVERIFY(all.allRows);
        QCOMPARE(all.rows, 4);
        QCOMPARE(all.withoutSize, 1);
        QCOMPARE(all.bytes.digits(), QStringLiteral("9007199254742017"));

        list.setChecked(1, true);
        list.setChecked(2, true);
        list.setChecked(3, true);
        ResultsTotal ticked = totalOfTickedRows(list);
        QVERIFY(!ticked.allRows);
        QCOMPARE(ticked.rows, 3);
        QCOMPARE(ticked.withoutSize, 1);
        QCOMPARE(ticked.bytes.digits(), QStringLiteral("9007199254740993"));

        QLocale::setDefault(QLocale::c());
        QCOMPARE(totalMessage(ticked),
                 QStringLiteral("Ticked rows: 3\r\n\r\nTotal size:\r\n9007199254740992 bytes\r\n"
                                "8796093022208 KB\r\n8589934592 MB\r\n8388608GB\r\n\r\n"
                                "Exact byte count: 9007199254740993\r\n\r\n"
                                "Ticked rows without a size (not in the total): 1"));
        Results small({{"/s/a", 1536}, {"/s/b", std::nullopt}});
        QCOMPARE(totalMessage(totalOfTickedRows(small)),
                 QStringLiteral("No rows are ticked, so every row is counted.\r\n\r\nRows: 2"
                                "\r\n\r\nTotal size:\r\n1536 bytes\r\n1.5 KB\r\n0 MB\r\n0GB\r\n"
                                "\r\nExact byte count: 1536\r\n\r\n"
                                "Rows without a size (not in the total): 1"));
    }
};

BYTEMARSH_LOGIC_TEST_MAIN(ResultsOrderTest)
#include "test_results_order.moc"
