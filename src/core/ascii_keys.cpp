#include "core/ascii_keys.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

int signOf(int compared)
{
    return (compared > 0) - (compared < 0);
}

} // namespace

AsciiNameKeys::AsciiNameKeys(const QCollator& collator)
{
    weighCharacters(collator);
    if (usable_) probePairs(collator);
}

std::size_t AsciiNameKeys::write(std::string_view name, unsigned char* out) const
{
    if (!usable_ || name.empty()) return 0;
    const std::size_t length = name.size();
    // The case ranks wait at the far end of the room until every weight is written: weights
    // take at most three bytes a character, and one for their end.
    unsigned char* const ranks = out + maxKeySize(length) - length;
    unsigned char* weight = out;
    unsigned char* rank = ranks;
    for (std::size_t i = 0; i < length;) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= kCharacters || primary_[c] == 0) return 0;
        if (i > 0 && pairRefused(static_cast<unsigned char>(name[i - 1]), c)) return 0;
        if (!isDigit(c)) {
            *weight++ = primary_[c];
            *rank++ = caseRank_[c];
            ++i;
            continue;
        }
        // A number weighs as its value: leading zeros count for nothing, then the longer
        // number is the larger.
        std::size_t end = i + 1;
        for (; end < length && isDigit(static_cast<unsigned char>(name[end])); ++end)
            if (pairRefused(static_cast<unsigned char>(name[end - 1]),
                            static_cast<unsigned char>(name[end])))
                return 0;
        if (end - i > kMostDigits) return 0;
        std::size_t first = i;
        while (first + 1 < end && name[first] == '0')
            ++first;
        const std::size_t digits = end - first;
        *weight++ = numberWeight_;
        *weight++ = static_cast<unsigned char>(digits);
        std::memcpy(weight, name.data() + first, digits);
        weight += digits;
        i = end;
    }
    *weight++ = 0;
    // Names whose weights are equal have as many ranks, so the lowest ones at the end decide
    // nothing.
    while (rank > ranks && rank[-1] == 0)
        --rank;
    std::memmove(weight, ranks, std::size_t(rank - ranks));
    return std::size_t(weight - out) + std::size_t(rank - ranks);
}

namespace {

// Where neighbours of `texts`, sorted by their keys, are not in the collator's order (or
// not equal where their keys are): each i whose text and the next disagree. Texts without a
// key disagree with their neighbours.
std::vector<std::size_t> disagreements(const AsciiNameKeys& keys, std::vector<std::string>& texts,
                                       const QCollator& collator)
{
    std::vector<std::pair<std::string, std::string>> keyed;
    for (std::string& text : texts) {
        std::string key(AsciiNameKeys::maxKeySize(text.size()), '\0');
        key.resize(keys.write(text, reinterpret_cast<unsigned char*>(key.data())));
        keyed.emplace_back(std::move(key), std::move(text));
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        texts[i] = std::move(keyed[i].second);
        if (keyed[i].first.empty()) {
            if (i > 0) found.push_back(i - 1);
            if (i + 1 < keyed.size()) found.push_back(i);
            continue;
        }
        if (i == 0 || keyed[i - 1].first.empty()) continue;
        const int expected = signOf(keyed[i - 1].first.compare(keyed[i].first));
        if (signOf(collator.compare(latin1(texts[i - 1]), latin1(texts[i]))) != expected)
            found.push_back(i - 1);
    }
    return found;
}

// The values of `places` (distinct) outside one longest rising run of them.
std::vector<std::size_t> outsideLongestRise(const std::vector<std::size_t>& places)
{
    // Patience sorting: tails[k] ends the best run of k + 1 found so far; each value remembers
    // the one before it in its run.
    std::vector<std::size_t> tails;
    std::vector<std::ptrdiff_t> before(places.size(), -1);
    for (std::size_t i = 0; i < places.size(); ++i) {
        const auto at =
            std::lower_bound(tails.begin(), tails.end(), i,
                             [&](std::size_t t, std::size_t) { return places[t] < places[i]; });
        if (at != tails.begin()) before[i] = std::ptrdiff_t(*(at - 1));
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<bool> inRun(places.size(), false);
    for (std::ptrdiff_t i = tails.empty() ? -1 : std::ptrdiff_t(tails.back()); i >= 0;
         i = before[std::size_t(i)])
        inRun[std::size_t(i)] = true;
    std::vector<std::size_t> outside;
    for (std::size_t i = 0; i < places.size(); ++i)
        if (!inRun[i]) outside.push_back(places[i]);
    return outside;
}

} // namespace

void AsciiNameKeys::weighCharacters(const QCollator& collator)
{
    numeric_ =
        collator.numericMode() && collator.compare(QStringLiteral("2"), QStringLiteral("10")) < 0;
    QCollator caseless(collator.locale());
    caseless.setNumericMode(collator.numericMode());
    caseless.setIgnorePunctuation(collator.ignorePunctuation());
    caseless.setCaseSensitivity(Qt::CaseInsensitive);

    const auto single = [](unsigned char c) { return QString(QChar(char16_t(c))); };
    std::vector<unsigned char> characters;
    const QString context = QStringLiteral("a");
    for (unsigned char c = 0x20; c < 0x7f; ++c)
        // One the collator can pass over has no weight of its own to give.
        if (collator.compare(single(c) + context, context) != 0) characters.push_back(c);
    std::stable_sort(characters.begin(), characters.end(), [&](unsigned char a, unsigned char b) {
        return collator.compare(single(a), single(b)) < 0;
    });

    // Characters the caseless collator cannot tell apart differ in case only: one weight, and
    // ranks in the order the collator gives them.
    int weight = 0;
    int rank = 0;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const unsigned char c = characters[i];
        const unsigned char before = i > 0 ? characters[i - 1] : 0;
        if (i == 0) {
            weight = 1;
        } else if (isDigit(c) && isDigit(before)) {
            // A number weighs as one, whatever its digits.
        } else if (caseless.compare(single(before), single(c)) == 0) {
            if (collator.compare(single(before), single(c)) != 0) ++rank;
        } else {
            ++weight;
            rank = 0;
        }
        primary_[c] = std::uint8_t(weight);
        caseRank_[c] = std::uint8_t(rank);
        if (isDigit(c)) numberWeight_ = std::uint8_t(weight);
    }
    usable_ = !characters.empty();
    if (!usable_) return;

    // The weights must give back the collator's order of the characters themselves, and its
    // numbers: leading zeros ignored, a number after a letter, a shorter name first.
    std::vector<std::string> probes;
    probes.reserve(characters.size() + 19);
    for (const unsigned char c : characters)
        probes.emplace_back(1, char(c));
    if (numeric_)
        for (const char* probe : {"a0", "a00", "a01", "a1", "a1b", "a1B", "A1", "a01b", "a10", "a9",
                                  "a009", "a2a", "a", "b", "0", "00", "7", "b-1", "b 1"})
            probes.emplace_back(probe);
    usable_ = disagreements(*this, probes, collator).empty();
}

void AsciiNameKeys::probePairs(const QCollator& collator)
{
    // A pair the locale treats as one letter sorts away from where the weights of its two
    // characters put it. Of the pairs that begin alike, those the collator keeps in the keys'
    // order are the longest run it does; every other one is refused, and so is each pair
    // whose neighbour by key disagrees with it (where keys tie, the run cannot tell).
    std::vector<unsigned char> characters;
    for (unsigned char c = 0; c < kCharacters; ++c)
        if (primary_[c] != 0) characters.push_back(c);
    std::vector<std::pair<unsigned char, unsigned char>> refused;
    for (const unsigned char first : characters) {
        std::vector<std::string> pairs;
        pairs.reserve(characters.size());
        for (const unsigned char second : characters)
            pairs.push_back({char(first), char(second)});
        for (const std::size_t i : disagreements(*this, pairs, collator))
            for (const std::string& pair : {pairs[i], pairs[i + 1]})
                refused.emplace_back(pair[0], pair[1]);

        // `pairs` is in the keys' order now; the collator's order of the same pairs, as
        // places in it.
        std::vector<QString> texts;
        texts.reserve(pairs.size());
        for (const std::string& pair : pairs)
            texts.push_back(latin1(pair));
        std::vector<std::size_t> places(pairs.size());
        for (std::size_t i = 0; i < places.size(); ++i)
            places[i] = i;
        std::stable_sort(places.begin(), places.end(), [&](std::size_t a, std::size_t b) {
            return collator.compare(texts[a], texts[b]) < 0;
        });
        for (const std::size_t i : outsideLongestRise(places))
            refused.emplace_back(pairs[i][0], pairs[i][1]);
    }
    for (const auto& [first, second] : refused)
        refusedPairs_.set(std::size_t(first) * kCharacters + second);
    anyPairRefused_ = refusedPairs_.any();
}
