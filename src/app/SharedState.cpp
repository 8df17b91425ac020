#include "SharedState.h"

#include "texts/Texts.h"

#include <mutex>
#include <shared_mutex>

std::atomic<uint8_t> Lang{0};
std::atomic<uint8_t> VersionUnread{1};
std::atomic<uint8_t> Operation{0};
std::atomic<uint8_t> WorkerState{0};
std::atomic<uint8_t> CancelRequest{0};
std::atomic<uint8_t> LinkStatus{0};
std::atomic<uint32_t> RecordCount{0};
std::atomic<int32_t> SortDirection{0};
std::array<std::atomic<uint8_t>, kScreenBufferSize> ScreenBuffer{};

namespace {

std::array<TextPair, kObjectCount> DefaultNames()
{
    std::array<TextPair, kObjectCount> names;
    for (int k = 0; k < kObjectCount; ++k) names[k] = DefaultObjectName(k + 1);
    return names;
}

// A standard lock rather than QReadWriteLock: its pthread calls are visible to
// ThreadSanitizer, whereas Qt's lock-free fast path inside the uninstrumented QtCore shows up
// as false data races in every test that runs the worker.
std::shared_mutex& NamesLock()
{
    static std::shared_mutex lock;
    return lock;
}

std::array<TextPair, kObjectCount>& Names()
{
    static std::array<TextPair, kObjectCount> names = DefaultNames();
    return names;
}

QString& TimeFormatStore()
{
    static QString format;
    return format;
}

} // namespace

QString TimeFormat()
{
    std::shared_lock lock(NamesLock());
    return TimeFormatStore();
}

void SetTimeFormat(const QString& format)
{
    std::unique_lock lock(NamesLock());
    TimeFormatStore() = format;
}

std::array<TextPair, kObjectCount> ObjectNames()
{
    std::shared_lock lock(NamesLock());
    return Names();
}

TextPair ObjectName(int index)
{
    std::shared_lock lock(NamesLock());
    return Names().at(index);
}

void SetObjectNames(const std::array<TextPair, kObjectCount>& names)
{
    std::unique_lock lock(NamesLock());
    Names() = names;
}

void ResetSharedState()
{
    Lang = 0;
    VersionUnread = 1;
    Operation = 0;
    WorkerState = 0;
    CancelRequest = 0;
    LinkStatus = 0;
    RecordCount = 0;
    SortDirection = 0;
    for (auto& b : ScreenBuffer) b = 0;
    SetObjectNames(DefaultNames());
    SetTimeFormat(QString());
}

ExchangeActivity& ExchangeActivity::instance()
{
    static ExchangeActivity activity;
    return activity;
}

void ExchangeActivity::setRunning(bool running)
{
    if (running_.exchange(running) != running) emit runningChanged(running);
}
