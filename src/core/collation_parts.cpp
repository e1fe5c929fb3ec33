#include "core/collation_parts.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>

namespace {

QCollator likeModel(const QCollator& model)
{
    QCollator collator(model.locale());
    collator.setCaseSensitivity(model.caseSensitivity());
    collator.setNumericMode(model.numericMode());
    collator.setIgnorePunctuation(model.ignorePunctuation());
    return collator;
}

} // namespace

CollationParts::CollationParts(const QCollator& model, std::size_t parts, std::size_t leastPerPart)
    : leastPerPart_(std::max<std::size_t>(leastPerPart, 1))
{
    if (parts == 0) parts = std::max(std::thread::hardware_concurrency(), 1u);
    collators_.reserve(parts);
    // Each made afresh, not copied: copies would share one collator between threads.
    for (std::size_t part = 0; part < parts; ++part)
        collators_.push_back(likeModel(model));
}

std::size_t CollationParts::partsFor(std::size_t count) const
{
    return std::clamp<std::size_t>(count / leastPerPart_, 1, collators_.size());
}

void CollationParts::run(std::size_t count, const Work& work) const
{
    const std::size_t parts = partsFor(count);
    const auto beginOf = [&](std::size_t part) { return count * part / parts; };
    std::vector<std::exception_ptr> failures(parts);
    const auto runPart = [&](std::size_t part) {
        try {
            work(beginOf(part), beginOf(part + 1), part, collators_[part]);
        } catch (...) {
            failures[part] = std::current_exception();
        }
    };

    std::vector<std::thread> threads;
    std::vector<std::size_t> leftHere;
    for (std::size_t part = 1; part < parts; ++part) {
        try {
            threads.emplace_back(runPart, part);
        } catch (const std::system_error&) {
            leftHere.push_back(part);
        }
    }
    runPart(0);
    for (const std::size_t part : leftHere)
        runPart(part);
    for (std::thread& thread : threads)
        thread.join();
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

std::vector<QCollatorSortKey> collationKeys(const CollationParts& parts, std::size_t count,
                                            const std::function<QString(std::size_t)>& textAt)
{
    // A key has no empty state to make room with, so each part fills a vector of its own.
    std::vector<std::vector<QCollatorSortKey>> partKeys(parts.partsFor(count));
    parts.run(count,
              [&](std::size_t begin, std::size_t end, std::size_t part, const QCollator& collator) {
                  std::vector<QCollatorSortKey>& keys = partKeys[part];
                  keys.reserve(end - begin);
                  for (std::size_t i = begin; i < end; ++i)
                      keys.push_back(collator.sortKey(textAt(i)));
              });
    if (partKeys.size() == 1) return std::move(partKeys.front());
    std::vector<QCollatorSortKey> keys;
    keys.reserve(count);
    for (std::vector<QCollatorSortKey>& part : partKeys)
        std::move(part.begin(), part.end(), std::back_inserter(keys));
    return keys;
}
