#pragma once

#include <QCollator>
#include <cstddef>
#include <functional>
#include <vector>

// Collation work over many items, split over the machine's cores. A collator is not to serve
// two threads at once, so each part has one of its own, set as the model collator is.
class CollationParts
{
public:
    // work(begin, end, part, collator): the items [begin, end) of part `part`. It runs on the
    // part's own thread, so it may write only what belongs to its items or to its part.
    using Work = std::function<void(std::size_t begin, std::size_t end, std::size_t part,
                                    const QCollator& collator)>;

    // At most `parts` parts (0: one a core); fewer than `leastPerPart` items make no part of
    // their own, as a thread costs more than they do.
    explicit CollationParts(const QCollator& model, std::size_t parts = 0,
                            std::size_t leastPerPart = 20000);

    // How many parts run splits `count` items into; work's `part` is below it.
    std::size_t partsFor(std::size_t count) const;

    // Runs work over [0, count) in partsFor(count) ranges, the first on this thread, and
    // returns when every part is done. What a part threw is thrown here, the first part's
    // first; a thread that cannot be had leaves its range to this one.
    void run(std::size_t count, const Work& work) const;

private:
    std::vector<QCollator> collators_; // one a part
    std::size_t leastPerPart_;
};

// The collation key of each of `count` texts, in order, made on every core. textAt is called
// from several threads at once, so it may only read.
std::vector<QCollatorSortKey> collationKeys(const CollationParts& parts, std::size_t count,
                                            const std::function<QString(std::size_t)>& textAt);
