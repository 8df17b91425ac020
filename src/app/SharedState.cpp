#include "SharedState.h"

#include "texts/Texts.h"

#include <mutex>

SharedState Shared;

std::atomic<uint8_t>& Lang = Shared.Lang;
std::atomic<uint8_t>& VersionUnread = Shared.VersionUnread;
std::atomic<uint32_t>& RecordCount = Shared.RecordCount;
std::array<std::atomic<uint8_t>, kScreenBufferSize>& ScreenBuffer = Shared.ScreenBuffer;

namespace {

std::shared_mutex& TimeFormatLock()
{
    static std::shared_mutex lock;
    return lock;
}

QString& TimeFormatStore()
{
    static QString format;
    return format;
}

} // namespace

ObjectNameList DefaultObjectNames()
{
    ObjectNameList names;
    for (int k = 0; k < kObjectCount; ++k) names[std::size_t(k)] = DefaultObjectName(k + 1);
    return names;
}

ObjectNameList ObjectNameTable::get() const
{
    std::shared_lock lock(lock_);
    return names_;
}

TextPair ObjectNameTable::at(int index) const
{
    std::shared_lock lock(lock_);
    return names_.at(std::size_t(index));
}

void ObjectNameTable::set(const ObjectNameList& names)
{
    std::unique_lock lock(lock_);
    names_ = names;
}

void SharedState::reset()
{
    Lang = 0;
    VersionUnread = 1;
    Operation = ::Operation::ReadArchive;
    WorkerState = 0;
    CancelRequest = 0;
    LinkStatus = 0;
    RecordCount = 0;
    for (auto& b : ScreenBuffer) b = 0;
    ObjectNames.set(DefaultObjectNames());
    settingsBlock.fill(0);
    invalidRow = 0;
    invalidColumn = 0;
}

std::array<TextPair, kObjectCount> ObjectNames() { return Shared.ObjectNames.get(); }
TextPair ObjectName(int index) { return Shared.ObjectNames.at(index); }
void SetObjectNames(const std::array<TextPair, kObjectCount>& names) { Shared.ObjectNames.set(names); }

QString TimeFormat()
{
    std::shared_lock lock(TimeFormatLock());
    return TimeFormatStore();
}

void SetTimeFormat(const QString& format)
{
    std::unique_lock lock(TimeFormatLock());
    TimeFormatStore() = format;
}

void ResetSharedState()
{
    Shared.reset();
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
