// Arbitrary bytes as a project file. A file that is accepted must write back as the same
// bytes (every Windows-1251 byte round-trips), and a refused one must leave the table as it was.
#include "exchange/project/ProjectFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ArchiveTable table(1, 1);
    table.setCell(0, 0, QStringLiteral("x"));
    if (parseProject(bytes, table) != ProjectStatus::Ok) {
        if (table.columnCount() != 1 || table.rowCount() != 1 || table.cell(0, 0) != QStringLiteral("x"))
            abort();
        return 0;
    }
    const QByteArray written = projectBytes(table);
    if (written.size() > bytes.size() || QByteArrayView(written) != bytes.first(written.size())) abort();
    return 0;
}
