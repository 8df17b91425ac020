#include "Exchange.h"

#include "device/ExchangeLog.h"
#include "texts/Texts.h"

#include <QElapsedTimer>

#include <algorithm>
#include <new>

namespace {

// Pauses that give the instrument time to prepare its reply (ms).
constexpr int kConnectPause = 300;
constexpr int kVersionPause = 80;
constexpr int kRecordPause = 50;
constexpr int kWritePause = 300;
constexpr int kPiecePause = 15;
constexpr int kNoDataPause = 300;

} // namespace

SyncView ComputeSyncView(int32_t& progress, const SharedState& shared)
{
    using namespace ExchangeText;
    const auto text = [&shared](const TextPair& pair) { return shared.tr(pair); };
    SyncView view;
    if (progress > 100) progress = 100;
    view.gaugeValue = progress;
    switch (shared.LinkStatus.load()) {
    case StatusOk: view.label = QString(); break;
    case StatusDriverMissing: view.label = text(DriverMissing); break;
    case StatusFirmwareOutdated: view.label = text(FirmwareOutdated); break;
    case StatusCheckConnection: view.label = text(CheckConnection); return view;
    case StatusNoPermission: view.label = text(NoPermission); return view;
    case StatusLinkError: view.label = text(LinkError); return view;
    case StatusNoData:
        view.label = text(NoData);
        view.pauseMs = kNoDataPause;
        return view;
    case StatusInvalidValue:
        view.label =
            InvalidValueText(shared.invalidRow.load(), shared.invalidColumn.load(), shared.Lang.load());
        return view;
    default: break;
    }
    switch (static_cast<WorkerStep>(shared.WorkerState.load())) {
    case WorkerStep::Connect: view.caption = text(Connection); break;
    case WorkerStep::ReadVersion: view.caption = text(VersionRead); break;
    case WorkerStep::ReadHeader: view.caption = text(ParametersRead); break;
    case WorkerStep::ReadRecords:
        view.caption = text(DataRead);
        view.label = text(DataArchive);
        break;
    case WorkerStep::ReadSettings:
        view.caption = text(DataRead);
        view.label = text(MaterialsRead);
        break;
    case WorkerStep::WriteSettings: view.label = text(MaterialsWrite); break;
    case WorkerStep::ReadScreen: view.label = text(DataRead); break;
    case WorkerStep::Finish:
        view.hideGauge = true;
        view.label = text(Ready);
        break;
    }
    return view;
}

Exchange::Exchange(Link& link, ExchangeClock& clock, ExchangeHost& host, SharedState& shared)
    : link_(link), clock_(clock), host_(host), shared_(shared), settings_(shared.settingsBlock)
{
    sinceStart_.start();
}

namespace {

QString HexBytes(const uint8_t* bytes, std::size_t length)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(length)).toHex(' '))
        .toUpper();
}

} // namespace

void Exchange::run()
{
    while (pass()) {
    }
}

WorkerStep Exchange::state() const { return static_cast<WorkerStep>(shared_.WorkerState.load()); }
void Exchange::setState(WorkerStep step) { shared_.WorkerState = static_cast<uint8_t>(step); }
void Exchange::handOff()
{
    const SyncView view = ComputeSyncView(progress_, shared_);
    host_.syncUpdate(view);
    // "No Data" stays readable for a moment before the next step can replace it. The worker
    // waits, so that the window stays live meanwhile.
    if (view.pauseMs > 0) clock_.pause(view.pauseMs);
}

bool Exchange::cancelled()
{
    if (shared_.CancelRequest == 0) return false;
    setState(WorkerStep::Finish);
    return true;
}

bool Exchange::pass()
{
    if (finished_) return false;
    if (host_.stopRequested()) {
        Stop();
        return false;
    }
    handOff();
    logChanges();
    switch (state()) {
    case WorkerStep::Connect: Connect(); break;
    case WorkerStep::ReadVersion: ReadVersion(); break;
    case WorkerStep::ReadHeader: ReadHeader(); break;
    case WorkerStep::ReadRecords: ReadRecords(); break;
    case WorkerStep::ReadSettings: ReadSettings(); break;
    case WorkerStep::WriteSettings: WriteSettings(); break;
    case WorkerStep::ReadScreen: ReadScreen(); break;
    case WorkerStep::Finish: Finish(); break;
    default: setState(WorkerStep::Finish); break; // a state byte out of range ends the exchange
    }
    logChanges();
    return !finished_;
}

void Exchange::logChanges()
{
    if (!lcExchange().isDebugEnabled()) return;
    if (const uint8_t step = shared_.WorkerState.load(); step != loggedStep_) {
        loggedStep_ = step;
        qCDebug(lcExchange, "state %s", StepLogName(step));
    }
    if (const uint8_t status = shared_.LinkStatus.load(); status != loggedStatus_) {
        loggedStatus_ = status;
        qCDebug(lcExchange, "status %s", StatusLogName(status));
    }
}

bool Exchange::send(const uint8_t* bytes, std::size_t length)
{
    QElapsedTimer took;
    took.start();
    const bool sent = link_.write(bytes, int(length));
    shared_.LinkStatus = sent ? StatusOk : StatusLinkError;
    // Only the short frames (commands and lengths) are shown byte by byte.
    if (const char* frame = FrameLogName(bytes, length); *frame)
        qCDebug(lcLink, "write %zu bytes (%s %s): %s in %lld ms", length, frame,
                qPrintable(HexBytes(bytes, length)), sent ? "ok" : "failed", took.elapsed());
    else
        qCDebug(lcLink, "write %zu bytes: %s in %lld ms", length, sent ? "ok" : "failed", took.elapsed());
    return sent;
}

std::optional<std::size_t> Exchange::receive(uint8_t* into, std::size_t length)
{
    QElapsedTimer took;
    took.start();
    const int got = link_.read(into, int(length));
    shared_.LinkStatus = got >= 0 ? StatusOk : StatusLinkError;
    if (got < 0) {
        qCDebug(lcLink, "read %zu bytes: failed in %lld ms", length, took.elapsed());
        return std::nullopt;
    }
    qCDebug(lcLink, "read %zu bytes: got %d in %lld ms", length, got, took.elapsed());
    return std::size_t(got);
}

std::optional<uint32_t> Exchange::readLength(uint8_t* into)
{
    if (!receive(into, kLengthSize)) return std::nullopt;
    const uint32_t announced = DecodeLength(std::span<const uint8_t, kLengthSize>(into, kLengthSize));
    qCDebug(lcExchange, "reply of %u bytes announced", announced);
    return announced;
}

void Exchange::Connect()
{
    host_.setPriority(WorkerPriority::Idle);
    if (cancelled()) return;
    if (const int loaded = link_.load(); loaded != 0) {
        qCDebug(lcLink, "library: %s", loaded == 2 ? "an entry point is missing" : "not loaded");
        shared_.LinkStatus = StatusDriverMissing;
        return;
    }
    shared_.LinkStatus = StatusOk;
    clock_.pause(kConnectPause);
    if (const int opened = link_.open(); opened != 0) {
        qCDebug(lcLink, "instrument: %s", opened == 2 ? "found, not this user's to open" : "not found");
        shared_.LinkStatus = opened == 2 ? StatusNoPermission : StatusCheckConnection;
        return;
    }
    shared_.LinkStatus = StatusOk;
    clock_.pause(kConnectPause);
    const bool unread = shared_.VersionUnread != 0;
    switch (shared_.Operation.load()) {
    case Operation::ReadArchive: setState(unread ? WorkerStep::ReadVersion : WorkerStep::ReadHeader); break;
    case Operation::ReadSettings:
        setState(unread ? WorkerStep::ReadVersion : WorkerStep::ReadSettings);
        break;
    case Operation::WriteSettings: setState(WorkerStep::WriteSettings); break;
    case Operation::ReadScreen: setState(unread ? WorkerStep::ReadVersion : WorkerStep::ReadScreen); break;
    default: setState(WorkerStep::Finish); break;
    }
}

void Exchange::ReadVersion()
{
    host_.setPriority(WorkerPriority::Normal);
    if (cancelled()) return;
    const auto command = CommandFrame(Command::ReadVersion);
    if (!send(command.data(), command.size())) return;
    clock_.pause(kVersionPause);
    const auto announced = readLength(version_.data());
    if (!announced) return;
    const std::size_t length = std::min<std::size_t>(*announced, kVersionSize);
    const auto got = receive(version_.data(), length);
    if (!got) return;
    // A short transfer counts as success; the date is then taken from what did arrive.
    if (IsFirmwareOutdated(version_, std::min(length, *got))) {
        shared_.LinkStatus = StatusFirmwareOutdated;
        return;
    }
    if (cancelled()) return;
    switch (shared_.Operation.load()) {
    case Operation::ReadArchive:
    case Operation::ReadSettings: setState(WorkerStep::ReadSettings); break;
    case Operation::WriteSettings: setState(WorkerStep::WriteSettings); break;
    case Operation::ReadScreen: setState(WorkerStep::ReadScreen); break;
    default: setState(WorkerStep::Finish); break;
    }
}

void Exchange::ReadHeader()
{
    if (cancelled()) return;
    const auto command = CommandFrame(Command::ReadHeader);
    if (!send(command.data(), command.size())) return;
    clock_.pause(kRecordPause);
    const auto announced = readLength(header_.data());
    if (!announced) return;
    if (!receive(header_.data(), std::min<std::size_t>(*announced, kHeaderSize))) return;
    if (!IsHeaderValid(header_)) {
        host_.messageBox(ExchangeText::CrcError);
        return;
    }
    if (cancelled()) return;
    shared_.RecordCount = CountRecords(header_);
    if (shared_.RecordCount == 0) {
        shared_.LinkStatus = StatusNoData;
        setState(WorkerStep::Finish);
        return;
    }
    setState(WorkerStep::ReadRecords);
    progress_ = 20;
    handOff();
}

void Exchange::ReadRecords()
{
    const uint32_t count = shared_.RecordCount;
    try {
        records_.assign(count, RecordBytes{});
    } catch (const std::bad_alloc&) {
        host_.messageBox(ExchangeText::MemoryError);
        host_.exitProgram(1);
        Stop();
        return;
    }
    recordsReceived_ = 0;
    for (uint32_t j = 0; j < count; ++j) {
        RecordBytes& slot = records_[j];
        const auto command = RecordFrame(uint16_t(j));
        // A failed transfer ends the read here, rather than repeating the state.
        if (!send(command.data(), command.size())) {
            setState(WorkerStep::Finish);
            return;
        }
        clock_.pause(kRecordPause);
        const auto announced = readLength(slot.data());
        if (!announced) {
            setState(WorkerStep::Finish);
            return;
        }
        if (!receive(slot.data(), std::min<std::size_t>(*announced, kRecordSize))) {
            setState(WorkerStep::Finish);
            return;
        }
        if (!IsRecordValid(slot)) {
            host_.messageBox(ExchangeText::CrcError);
            shared_.LinkStatus = StatusLinkError;
            setState(WorkerStep::Finish);
            return;
        }
        recordsReceived_ = j + 1;
        progress_ = int32_t((uint64_t(j) * 80 + 80) / count + 20);
        handOff();
        if (cancelled()) return;
        // Only the program's end stops an archive read here; the next pass winds it up.
        if (host_.stopRequested()) return;
    }
    setState(WorkerStep::Finish);
}

void Exchange::ReadSettings()
{
    // Without this check an instrument pulled out during the settings read of an archive
    // read would keep the state retrying past the user's Cancel for ever.
    if (cancelled()) return;
    const bool forArchive = shared_.Operation == Operation::ReadArchive;
    const auto command = CommandFrame(Command::ReadSettings);
    if (!send(command.data(), command.size())) return;
    progress_ = forArchive ? 10 : 40;
    handOff();
    const auto announced = readLength(settings_.data());
    if (!announced) return;
    progress_ = forArchive ? 12 : 60;
    handOff();
    if (!receive(settings_.data(), std::min<std::size_t>(*announced, kSettingsBlockSize))) return;
    progress_ = forArchive ? 14 : 80;
    handOff();
    if (cancelled()) return;
    for (std::size_t k = 0; k < kSettingsEntries; ++k)
        if (!IsSettingsEntryValid(settings_, k)) host_.messageBox(ExchangeText::CrcError);
    ObjectNameList names;
    for (std::size_t k = 0; k < kSettingsEntries; ++k) {
        const ObjectSettings entry = DecodeSettingsEntry(settings_, k);
        names[k] = TextPair{entry.nameRu, entry.nameEn};
    }
    shared_.ObjectNames.set(names);
    progress_ = forArchive ? 16 : 100;
    handOff();
    setState(forArchive ? WorkerStep::ReadHeader : WorkerStep::Finish);
}

Exchange::Rows Exchange::convertRows(std::array<ObjectSettings, kSettingsEntries>& out)
{
    const std::optional<SettingsRows> rows = host_.readSettingsRows();
    if (!rows) return Rows::NoTable;
    const auto names = shared_.ObjectNames.get();
    const int lang = shared_.Lang.load() == 0 ? 0 : 1;
    for (std::size_t k = 0; k < kSettingsEntries; ++k) {
        const SettingsRow empty{};
        const SettingsRow& row = k < rows->size() ? (*rows)[k] : empty;
        ObjectSettings& s = out[k];
        if (const int column = ReadRowNumbers(row, s)) {
            shared_.invalidRow = int(k) + 1;
            shared_.invalidColumn = column;
            return Rows::Invalid;
        }
        // The name of the language in force comes from the table; the other one is sent as
        // last read, since the table only shows one language.
        s.nameRu = lang == 0 ? row[ColName] : names[k].ru;
        s.nameEn = lang == 1 ? row[ColName] : names[k].en;
    }
    return Rows::Converted;
}

void Exchange::WriteSettings()
{
    host_.setPriority(WorkerPriority::Idle);
    // The rows are copied and checked before the block is touched: a cell that is not a
    // number must not leave a half-rebuilt block behind, and nothing is sent then.
    std::array<ObjectSettings, kSettingsEntries> entries;
    switch (convertRows(entries)) {
    case Rows::Converted: break;
    case Rows::NoTable: // its window has gone: nothing to send
        setState(WorkerStep::Finish);
        return;
    case Rows::Invalid:
        shared_.LinkStatus = StatusInvalidValue;
        setState(WorkerStep::Finish);
        return;
    }
    for (int i = 0; i < 40; ++i) {
        if (cancelled()) break; // the block is still sent, with the entries rebuilt so far
        if (host_.stopRequested()) return;
        const std::size_t k = std::size_t(i / 2);
        // Each entry is rebuilt twice, once per name; the result is the same entry.
        EncodeSettingsEntry(settings_, k, entries[k]);
        progress_ = (i * 25 + 25) / 40;
        handOff();
    }
    const auto command = CommandFrame(Command::WriteSettings);
    if (!send(command.data(), command.size())) return;
    clock_.pause(kWritePause);
    const auto length = EncodeLength(uint32_t(kSettingsBlockSize));
    if (!send(length.data(), length.size())) return;
    for (std::size_t sent = 0; sent < kSettingsBlockSize;) {
        const std::size_t piece = std::min(kSettingsPiece, kSettingsBlockSize - sent);
        // A failed piece is reported and sending goes on; a later piece that gets through
        // leaves the failure shown.
        const bool pieceSent = link_.write(settings_.data() + sent, int(piece));
        if (!pieceSent) shared_.LinkStatus = StatusLinkError;
        qCDebug(lcLink, "write %zu bytes of the settings block at %zu: %s", piece, sent,
                pieceSent ? "ok" : "failed");
        sent += piece;
        progress_ = int32_t(25 + sent * 25 / kSettingsBlockSize);
        handOff();
        clock_.pause(kPiecePause);
    }
    setState(WorkerStep::Finish);
}

void Exchange::ReadScreen()
{
    const auto command = CommandFrame(Command::ReadScreen);
    if (!send(command.data(), command.size())) return;
    ScreenImage image;
    for (std::size_t i = 0; i < kScreenSize; ++i) image[i] = shared_.ScreenBuffer[i].load();
    const auto store = [&image, this] {
        for (std::size_t i = 0; i < kScreenSize; ++i) shared_.ScreenBuffer[i] = image[i];
    };
    const auto announced = readLength(image.data());
    store();
    if (!announced) return;
    progress_ = 80;
    handOff();
    if (!receive(image.data(), std::min<std::size_t>(*announced, kScreenSize))) return;
    store();
    progress_ = 100;
    handOff();
    setState(WorkerStep::Finish);
}

void Exchange::Finish()
{
    link_.close();
    qCDebug(lcExchange, "exchange ends after %lld ms: status %s, %s, %zu of %u records received",
            sinceStart_.elapsed(), StatusLogName(shared_.LinkStatus.load()),
            shared_.CancelRequest ? "cancelled" : "not cancelled", recordsReceived_,
            shared_.RecordCount.load());
    if (shared_.CancelRequest) {
        shared_.CancelRequest = 0;
        host_.closeProgressWindow();
    } else {
        shared_.VersionUnread = 0;
        switch (shared_.Operation.load()) {
        case Operation::ReadArchive: {
            std::vector<ArchiveRecord> intact;
            intact.reserve(recordsReceived_);
            for (std::size_t j = 0; j < recordsReceived_; ++j) intact.push_back(DecodeRecord(records_[j]));
            host_.fillArchive(std::move(intact));
            host_.closeProgressWindow();
            records_.clear();
            records_.shrink_to_fit();
            break;
        }
        case Operation::ReadSettings: {
            const auto names = shared_.ObjectNames.get();
            SettingsRows rows(kSettingsEntries);
            for (std::size_t k = 0; k < kSettingsEntries; ++k) {
                rows[k] = SettingsRowOf(int(k) + 1, shared_.tr(names[k]), DecodeSettingsEntry(settings_, k));
            }
            host_.fillSettingsTable(std::move(rows));
            break;
        }
        default: break;
        }
    }
    host_.setPriority(WorkerPriority::Idle);
    finished_ = true;
}

void Exchange::Stop()
{
    link_.close();
    qCDebug(lcExchange, "exchange stopped after %lld ms: its window is gone or the program ends",
            sinceStart_.elapsed());
    shared_.CancelRequest = 0;
    host_.setPriority(WorkerPriority::Idle);
    finished_ = true;
}
