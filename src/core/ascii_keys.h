#pragma once

#include <QCollator>
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Sort keys for names of printable ASCII that order as a collator orders the names, made by
// table lookups: a fraction of the cost of the collator's own keys, which pass every name
// through UTF-16 and ICU. The tables come from the collator itself, one character and one pair
// of characters at a time, so its locale's order of punctuation, its case order and its
// numbers in natural order are what the keys follow. A name with anything else, or with a pair
// of characters the locale treats as one letter ("ch" in Czech, say), gets no key.
//
// A shortcut, not a proof: a longer context the probes did not try may still collate
// otherwise, so what is ordered by these keys must be checked against the collator.
//
// A key is bytes compared as memcmp does, the shorter first when one begins the other: the
// characters' primary weights (a number counts as one, by its value), then their case ranks.
class AsciiNameKeys
{
public:
    explicit AsciiNameKeys(const QCollator& collator);

    // The most bytes the key of a name of `length` bytes takes.
    static std::size_t maxKeySize(std::size_t length) { return 4 * length + 1; }

    // Writes the key of `name` at `out` (room for maxKeySize) and returns its length; 0 when
    // the name gets none.
    std::size_t write(std::string_view name, unsigned char* out) const;

    // Whether any name gets a key: not when the collator's single characters do not order as
    // weights can say.
    bool usable() const { return usable_; }

private:
    static constexpr int kCharacters = 128;
    // A name with a longer run of digits gets no key: the collator splits very long runs in
    // ways the key does not follow.
    static constexpr std::size_t kMostDigits = 40;

    bool isDigit(unsigned char c) const { return numeric_ && c >= '0' && c <= '9'; }
    bool pairRefused(unsigned char first, unsigned char second) const
    {
        return anyPairRefused_ && refusedPairs_[std::size_t(first) * kCharacters + second];
    }
    void weighCharacters(const QCollator& collator);
    void probePairs(const QCollator& collator);

    bool usable_ = false;
    bool numeric_ = false;
    std::uint8_t numberWeight_ = 0;
    // 0: the character gets no key. Weights start at 1, below them the end of the characters.
    std::array<std::uint8_t, kCharacters> primary_{};
    std::array<std::uint8_t, kCharacters> caseRank_{}; // among characters of the same primary
    std::bitset<kCharacters * kCharacters> refusedPairs_;
    bool anyPairRefused_ = false; // most locales refuse none
};
