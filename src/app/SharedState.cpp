#include "SharedState.h"

#include "texts/Texts.h"

#include <mutex>

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
    setTimeFormat(QString());
}

QString SharedState::timeFormat() const
{
    std::shared_lock lock(timeFormatLock_);
    return timeFormat_;
}

void SharedState::setTimeFormat(const QString& format)
{
    std::unique_lock lock(timeFormatLock_);
    timeFormat_ = format;
}

void ExchangeActivity::setRunning(bool running)
{
    if (running_.exchange(running) != running) emit runningChanged(running);
}
