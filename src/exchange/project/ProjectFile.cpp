#include "ProjectFile.h"

#include "exchange/SyncedSave.h"

#include "bytes/LittleEndian.h"
#include "texts/Cp1251.h"

#include <QFile>
#include <QSaveFile>

#include <cstdint>
#include <utility>

namespace {

void AppendInt32(QByteArray& out, int32_t value)
{
    char bytes[4];
    le::Store32(bytes, static_cast<uint32_t>(value));
    out.append(bytes, 4);
}

int32_t ReadInt32(const char* p) { return static_cast<int32_t>(le::Load32(p)); }

// Appends one cell: its length, then its Windows-1251 bytes. Characters outside the code
// page become one '?' each (a surrogate pair counts as one character), so the length is
// only known once the text is encoded; it is patched in afterwards.
void AppendCell(QByteArray& out, const QString& text)
{
    const qsizetype lengthAt = out.size();
    AppendInt32(out, 0);
    AppendCp1251(out, text);
    le::Store32(out.data() + lengthAt, static_cast<uint32_t>(out.size() - lengthAt - 4));
}

// Walks the cells once without allocating anything, so that a damaged file is refused
// before the table is touched and before memory is claimed on the strength of its counts.
ProjectStatus Validate(QByteArrayView bytes, int32_t& columns, int32_t& rows)
{
    const qsizetype size = bytes.size();
    if (size < 8) return ProjectStatus::Truncated;
    columns = ReadInt32(bytes.data());
    rows = ReadInt32(bytes.data() + 4);
    if (columns < 1 || rows < 1) return ProjectStatus::BadCounts;
    // Every cell takes at least its 4-byte length, which bounds the cell count by the size.
    const int64_t cells = int64_t(columns) * rows;
    if (cells > (int64_t(size) - 8) / 4) return ProjectStatus::BadCounts;
    qsizetype at = 8;
    for (int64_t i = 0; i < cells; ++i) {
        if (size - at < 4) return ProjectStatus::Truncated;
        const int32_t length = ReadInt32(bytes.data() + at);
        at += 4;
        if (length < 0) return ProjectStatus::BadLength;
        if (size - at < length) return ProjectStatus::Truncated;
        at += length;
    }
    return ProjectStatus::Ok;
}

} // namespace

QByteArray projectBytes(const ArchiveTable& table)
{
    QByteArray out;
    AppendInt32(out, table.columnCount());
    AppendInt32(out, table.rowCount());
    for (int c = 0; c < table.columnCount(); ++c)
        for (int r = 0; r < table.rowCount(); ++r) AppendCell(out, table.cell(c, r));
    return out;
}

ProjectStatus saveProject(const ArchiveTable& table, const QString& fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return ProjectStatus::CannotWrite;
    // Written in pieces so that a large table never needs a second copy of itself in memory.
    constexpr qsizetype kChunk = 1 << 18;
    QByteArray chunk;
    chunk.reserve(kChunk + 4096);
    const auto flush = [&]() {
        if (file.write(chunk) != chunk.size()) return false;
        chunk.clear();
        return true;
    };
    AppendInt32(chunk, table.columnCount());
    AppendInt32(chunk, table.rowCount());
    for (int c = 0; c < table.columnCount(); ++c) {
        for (int r = 0; r < table.rowCount(); ++r) {
            AppendCell(chunk, table.cell(c, r));
            if (chunk.size() >= kChunk && !flush()) {
                file.cancelWriting();
                return ProjectStatus::CannotWrite;
            }
        }
    }
    if (!flush()) {
        file.cancelWriting();
        return ProjectStatus::CannotWrite;
    }
    if (!CommitSynced(file)) return ProjectStatus::CannotWrite;
    return ProjectStatus::Ok;
}

ProjectStatus parseProject(QByteArrayView bytes, ArchiveTable& table)
{
    int32_t columns = 0;
    int32_t rows = 0;
    if (const ProjectStatus status = Validate(bytes, columns, rows); status != ProjectStatus::Ok)
        return status;
    ArchiveTable read(columns, rows);
    qsizetype at = 8;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            const int32_t length = ReadInt32(bytes.data() + at);
            at += 4;
            if (length > 0) read.setCell(c, r, FromCp1251(bytes.data() + at, length));
            at += length;
        }
    }
    table = std::move(read);
    return ProjectStatus::Ok;
}

ProjectStatus openProject(ArchiveTable& table, const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return ProjectStatus::CannotOpen;
    const qint64 size = file.size();
    if (size == 0) return ProjectStatus::Truncated;
    // Mapping reads the file without a heap copy; devices that cannot be mapped are read.
    if (uchar* mapped = file.map(0, size)) {
        const ProjectStatus status =
            parseProject(QByteArrayView(reinterpret_cast<const char*>(mapped), qsizetype(size)), table);
        file.unmap(mapped);
        return status;
    }
    const QByteArray bytes = file.read(size);
    if (file.error() != QFileDevice::NoError) return ProjectStatus::CannotOpen;
    return parseProject(bytes, table);
}
