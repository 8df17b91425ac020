// Export of a 70,000 x 12 archive: to .xlsx against libxlsxwriter writing the same strings
// with the same layout straight to a file, to .xls, and the peak memory each export needs
// beyond the table (measured in a forked child, so one run does not hide another's peak).
#include "archive/ArchiveTable.h"
#include "exchange/spreadsheet/PackageCheck.h"
#include "exchange/spreadsheet/SheetLayout.h"
#include "exchange/spreadsheet/SpreadsheetExport.h"
#include "exchange/spreadsheet/XlsxWriter.h"
#include "texts/Texts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTime>

#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kRows = 70000;
const QString kTitle = QStringLiteral("Архив измерений ");

const ArchiveTable& Table()
{
    static const ArchiveTable table = [] {
        ArchiveTable t(kArchiveColumns, kRows);
        for (int c = 0; c < kArchiveColumns; ++c) t.setCell(c, 0, HeaderText(c, 0));
        for (int r = 1; r < kRows; ++r) {
            t.setCell(0, r, QString::number(r));
            t.setCell(1, r, DefaultObjectName(r % 20 + 1).ru);
            t.setCell(2, r, ExchangeText::SensorNames[std::size_t(r % 2)].ru);
            t.setCell(3, r, QStringLiteral(" -500  -  500"));
            t.setCell(4, r, QString::number(r % 997 - 400));
            t.setCell(5, r, QStringLiteral("%1   |   %2").arg(r / 30 + 1).arg(r % 30 + 1));
            t.setCell(6, r, QStringLiteral("30"));
            t.setCell(7, r, QString::number(r % 7 + 1));
            t.setCell(8, r, QStringLiteral("10"));
            t.setCell(9, r, QStringLiteral("%1.03.2024").arg(r % 28 + 1, 2, 10, QLatin1Char('0')));
            t.setCell(10, r, QTime(0, 0).addSecs(r * 7 % 86400).toString(QStringLiteral("hh:mm:ss")));
            t.setCell(11, r, ExchangeText::ModeNames[std::size_t(r % 2)].ru);
        }
        return t;
    }();
    return table;
}

void XlsxExport(benchmark::State& state)
{
    const ArchiveTable& table = Table();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.xlsx"));
    for (auto _ : state)
        if (!exportToSpreadsheet(table, kTitle, path).ok()) state.SkipWithError("export failed");
    state.counters["MB"] = double(QFile(path).size()) / 1e6;
}

// Reading an exported workbook back, as the export does before it replaces the user's
// file: all of it, the sheets' cells compared to the table and the other parts to a workbook
// written with no cells (1), or only whether each part is whole (0).
void XlsxReadBack(benchmark::State& state)
{
    const ArchiveTable& table = Table();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.xlsx"));
    const std::time_t created = 1'700'000'000;
    if (!WriteXlsx(table, kTitle, path, created).ok()) return state.SkipWithError("export failed");
    for (auto _ : state) {
        const bool whole =
            state.range(0) ? XlsxHoldsTable(table, kTitle, path, created) : PackageComplete(path);
        if (!whole) state.SkipWithError("read back failed");
    }
}

// The same strings, sheets, widths and centred format through libxlsxwriter alone, straight
// to the file: the cost of the library itself.
void XlsxDirect(benchmark::State& state)
{
    const ArchiveTable& table = Table();
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("direct.xlsx")));
    for (auto _ : state) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* book = workbook_new_opt(path.constData(), &options);
        lxw_format* centred = workbook_add_format(book);
        format_set_align(centred, LXW_ALIGN_CENTER);
        for (const SheetBlock& block : LayoutSheets(table.rowCount(), kTitle)) {
            lxw_worksheet* sheet = workbook_add_worksheet(book, block.name.toUtf8().constData());
            const std::vector<double> widths = FittedWidths(table, block);
            for (int c = 0; c <= table.columnCount(); ++c)
                worksheet_set_column(
                    sheet, lxw_col_t(c), lxw_col_t(c),
                    c < table.columnCount() && widths[std::size_t(c)] > 0 ? widths[std::size_t(c)] : 8.43,
                    centred);
            for (int j = 0; j < block.rowCount; ++j)
                for (int c = 0; c < table.columnCount(); ++c) {
                    const QString& text = table.cell(c, block.firstRow + j);
                    if (!text.isEmpty())
                        worksheet_write_string(sheet, lxw_row_t(j), lxw_col_t(c), text.toUtf8().constData(),
                                               centred);
                }
        }
        if (workbook_close(book) != LXW_NO_ERROR) state.SkipWithError("direct write failed");
    }
}

void XlsExport(benchmark::State& state)
{
    const ArchiveTable& table = Table();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.xls"));
    for (auto _ : state)
        if (!exportToSpreadsheet(table, kTitle, path).ok()) state.SkipWithError("export failed");
    state.counters["MB"] = double(QFile(path).size()) / 1e6;
}

long StatusKb(const char* field)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long value = -1;
    const std::size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, n) == 0) value = std::atol(line + n);
    std::fclose(f);
    return value;
}

// Peak resident memory of one export beyond what the process held before it, in MB. The
// child starts with the table resident (the parent built it), so its high-water mark less its
// resident size at the start is what the export added.
void PeakMemory(benchmark::State& state, const char* extension)
{
    const ArchiveTable& table = Table();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("peak") + QLatin1String(extension));
    double extraMb = -1;
    for (auto _ : state) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return state.SkipWithError("pipe");
        const pid_t child = fork();
        if (child == 0) {
            close(pipeFds[0]);
            const long before = StatusKb("VmRSS:");
            const bool ok = exportToSpreadsheet(table, kTitle, path).ok();
            const long extra = ok ? StatusKb("VmHWM:") - before : -1;
            [[maybe_unused]] auto written = write(pipeFds[1], &extra, sizeof extra);
            _exit(0);
        }
        close(pipeFds[1]);
        long extraKb = -1;
        if (read(pipeFds[0], &extraKb, sizeof extraKb) != sizeof extraKb) extraKb = -1;
        close(pipeFds[0]);
        waitpid(child, nullptr, 0);
        if (extraKb < 0) return state.SkipWithError("export failed");
        extraMb = double(extraKb) / 1024.0;
    }
    state.counters["extra_MB"] = extraMb;
}

void TableResident(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(&Table());
    state.counters["process_MB"] = double(StatusKb("VmRSS:")) / 1024.0;
}

} // namespace

BENCHMARK(TableResident)->Iterations(1);
BENCHMARK(XlsxDirect)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(XlsxExport)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(XlsxReadBack)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(XlsExport)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(PeakMemory, xlsx, ".xlsx")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(PeakMemory, xls, ".xls")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
