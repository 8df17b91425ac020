// The worker replaces the object names while the window thread may be reading them: a
// reader must see either the old set or the new one, never a mixture.
#include "app/SharedState.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

std::array<TextPair, kObjectCount> NameSet(const QString& tag)
{
    std::array<TextPair, kObjectCount> names;
    for (int k = 0; k < kObjectCount; ++k) names[k] = {tag + QString::number(k), tag + QStringLiteral("-en")};
    return names;
}

} // namespace

TEST(ObjectNamesThreads, ReaderNeverSeesAMixedSet)
{
    SharedState shared;
    const auto first = NameSet(QStringLiteral("A"));
    const auto second = NameSet(QStringLiteral("B"));
    shared.ObjectNames.set(first);

    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 2000; ++i) shared.ObjectNames.set(i % 2 ? first : second);
        done = true;
    });
    int mixed = 0;
    int reads = 0;
    while (!done || reads < 100) {
        const auto seen = shared.ObjectNames.get();
        if (seen != first && seen != second) ++mixed;
        ++reads;
    }
    worker.join();
    EXPECT_EQ(mixed, 0);
}
