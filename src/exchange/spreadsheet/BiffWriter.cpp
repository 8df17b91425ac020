#include "BiffWriter.h"

#include "SheetLayout.h"
#include "archive/ArchiveTable.h"
#include "bytes/LittleEndian.h"

#include <QFile>
#include <QHash>

#include <gsf/gsf-infile.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <vector>

namespace {

// Record types.
constexpr uint16_t kBof = 0x0809, kEof = 0x000A, kCodePage = 0x0042, kWindow1 = 0x003D, kDateMode = 0x0022,
                   kFont = 0x0031, kXf = 0x00E0, kStyle = 0x0293, kBoundSheet = 0x0085, kSst = 0x00FC,
                   kExtSst = 0x00FF, kContinue = 0x003C, kDefColWidth = 0x0055, kColInfo = 0x007D,
                   kDimensions = 0x0200, kLabelSst = 0x00FD, kWindow2 = 0x023E;
// The longest record body; longer data goes on in CONTINUE records.
constexpr int kMaxRecordData = 8224;
// Sixteen style formats come first (Excel expects them), then the default cell format, then
// ours.
constexpr uint16_t kDefaultCellXf = 15, kCentredXf = 16;
// Below this size a compound document keeps a stream in its small-block area, where some
// readers do not look for the workbook; shorter workbooks are padded after their last EOF.
constexpr int kMinWorkbookStream = 4096;

class Bytes {
public:
    explicit Bytes(QByteArray& out) : out_(out) {}
    void u8(unsigned v) { out_.append(char(v & 0xFF)); }
    void u16(unsigned v)
    {
        char b[2];
        le::Store16(b, uint16_t(v));
        out_.append(b, 2);
    }
    void u32(uint32_t v)
    {
        char b[4];
        le::Store32(b, v);
        out_.append(b, 4);
    }

private:
    QByteArray& out_;
};

void PutU32At(QByteArray& out, qsizetype at, uint32_t v) { le::Store32(out.data() + at, v); }

void Record(QByteArray& out, uint16_t type, const QByteArray& data)
{
    Bytes b(out);
    b.u16(type);
    b.u16(unsigned(data.size()));
    out.append(data);
}

// Whether every character fits the one-byte ("compressed") form, which is Latin-1.
bool FitsOneByte(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < 0x100; });
}

void AppendChars(QByteArray& out, const QString& text, qsizetype from, qsizetype count, bool wide)
{
    Bytes b(out);
    for (qsizetype i = from; i < from + count; ++i) {
        if (wide)
            b.u16(text[i].unicode());
        else
            b.u8(text[i].unicode());
    }
}

// A short string with an 8-bit length (sheet and font names, at most 255 characters).
void ShortString(QByteArray& out, const QString& text)
{
    const bool wide = !FitsOneByte(text);
    Bytes b(out);
    b.u8(unsigned(text.size()));
    b.u8(wide ? 1 : 0);
    AppendChars(out, text, 0, text.size(), wide);
}

QByteArray BofData(uint16_t kind)
{
    QByteArray d;
    Bytes b(d);
    b.u16(0x0600); // BIFF8
    b.u16(kind);
    b.u16(0x0DBB); // build and year of the application that wrote the file
    b.u16(0x07CC);
    b.u32(0);      // file history
    b.u32(0x0006); // lowest version that can read all records
    return d;
}

QByteArray FontData()
{
    QByteArray d;
    Bytes b(d);
    b.u16(200);    // 10 pt, in twentieths of a point
    b.u16(0);      // no attributes
    b.u16(0x7FFF); // automatic colour
    b.u16(400);    // normal weight
    b.u16(0);      // no super/subscript
    b.u8(0);       // no underline
    b.u8(0);       // family
    b.u8(0);       // character set
    b.u8(0);
    ShortString(d, QStringLiteral("Arial"));
    return d;
}

// `parent` is 0xFFF for a style format. `alignment`: horizontal in bits 0-2, vertical in 4-6.
QByteArray XfData(uint16_t font, bool style, uint8_t alignment, uint8_t usedAttributes)
{
    QByteArray d;
    Bytes b(d);
    b.u16(font);
    b.u16(0);                       // number format "General"
    b.u16(style ? 0xFFF5 : 0x0001); // locked; style formats have parent 0xFFF
    b.u8(alignment);
    b.u8(0); // rotation
    b.u8(0); // indent, shrink, reading order
    b.u8(usedAttributes);
    b.u32(0); // no borders
    b.u32(0);
    b.u16(0x20C0); // pattern colours 64 and 65: window text and background
    return d;
}

struct SharedStrings {
    QHash<QString, uint32_t> index;
    std::vector<QString> texts;
    uint32_t references = 0;

    uint32_t add(const QString& text)
    {
        ++references;
        auto it = index.constFind(text);
        if (it != index.constEnd()) return it.value();
        const auto at = uint32_t(texts.size());
        index.insert(text, at);
        texts.push_back(text);
        return at;
    }
};

// One worksheet substream; `first` marks the sheet shown when the file opens.
QByteArray Worksheet(const ArchiveTable& table, const SheetBlock& block, bool first, SharedStrings& sst)
{
    const int columns = table.columnCount();
    QByteArray out;
    Record(out, kBof, BofData(0x0010));
    {
        QByteArray d;
        Bytes(d).u16(8);
        Record(out, kDefColWidth, d);
    }
    // The written block is one column wider than the table and as tall as a sheet: the
    // column formats centre all of it, blank cells included.
    const std::vector<double> widths = WrittenBlockWidths(table, block);
    for (int c = 0; c <= columns && c < kXlsMaxColumns; ++c) {
        const double width = widths[std::size_t(c)];
        QByteArray d;
        Bytes b(d);
        b.u16(unsigned(c));
        b.u16(unsigned(c));
        b.u16(unsigned(width * 256 + 0.5)); // in 1/256 of a character width
        b.u16(kCentredXf);
        b.u16(0x0002); // width set by the user, so readers keep it
        b.u16(0);
        Record(out, kColInfo, d);
    }

    QByteArray cells;
    int lastRow = -1, firstCol = columns, lastCol = -1;
    for (int j = 0; j < block.rowCount; ++j) {
        for (int c = 0; c < columns; ++c) {
            const QString& text = table.cell(c, block.firstRow + j);
            if (text.isEmpty()) continue; // an empty text leaves the cell blank
            lastRow = j;
            firstCol = std::min(firstCol, c);
            lastCol = std::max(lastCol, c);
            Bytes b(cells);
            b.u16(kLabelSst);
            b.u16(10);
            b.u16(unsigned(j));
            b.u16(unsigned(c));
            b.u16(kCentredXf);
            b.u32(sst.add(text));
        }
    }
    {
        QByteArray d;
        Bytes b(d);
        const bool any = lastRow >= 0;
        b.u32(0);
        b.u32(any ? uint32_t(lastRow + 1) : 0);
        b.u16(any ? unsigned(firstCol) : 0);
        b.u16(any ? unsigned(lastCol + 1) : 0);
        b.u16(0);
        Record(out, kDimensions, d);
    }
    out.append(cells);
    {
        QByteArray d;
        Bytes b(d);
        // Grid lines, headings, zeros, default header colour, outline symbols; the first
        // sheet is also selected and active.
        b.u16(first ? 0x06B6 : 0x00B6);
        b.u16(0);    // top row
        b.u16(0);    // left column
        b.u32(0x40); // heading colour
        b.u16(0);
        b.u16(0);
        b.u32(0);
        Record(out, kWindow2, d);
    }
    Record(out, kEof, {});
    return out;
}

// Shared string table: SST and as many CONTINUE records as needed, then EXTSST. A string's
// header never splits; character data that crosses into a CONTINUE record starts there with
// its width flag again. `base` is the stream offset at which the SST record starts.
QByteArray SharedStringRecords(const SharedStrings& sst, qsizetype base)
{
    QByteArray out;
    QByteArray data;
    uint16_t type = kSst;
    Bytes head(data);
    head.u32(sst.references);
    head.u32(uint32_t(sst.texts.size()));

    auto flush = [&] {
        Record(out, type, data);
        data.clear();
        type = kContinue;
    };

    // A bucket index entry for every `perBucket`-th string lets a reader seek; Excel keeps at
    // most 128 buckets.
    const uint16_t perBucket = uint16_t(std::max<std::size_t>(8, sst.texts.size() / 128 + 1));
    QByteArray buckets;
    Bytes bucket(buckets);

    for (std::size_t i = 0; i < sst.texts.size(); ++i) {
        const QString& text = sst.texts[i];
        const bool wide = !FitsOneByte(text);
        const int charSize = wide ? 2 : 1;
        if (data.size() + 3 + charSize > kMaxRecordData) flush();
        if (i % perBucket == 0) {
            bucket.u32(uint32_t(base + out.size() + 4 + data.size()));
            bucket.u16(unsigned(4 + data.size()));
            bucket.u16(0);
        }
        Bytes b(data);
        b.u16(unsigned(text.size()));
        b.u8(wide ? 1 : 0);
        qsizetype done = 0;
        while (done < text.size()) {
            const qsizetype room = (kMaxRecordData - data.size()) / charSize;
            if (room == 0) {
                flush();
                Bytes(data).u8(wide ? 1 : 0);
                continue;
            }
            const qsizetype n = std::min(room, text.size() - done);
            AppendChars(data, text, done, n, wide);
            done += n;
        }
    }
    flush();

    QByteArray ext;
    Bytes(ext).u16(perBucket);
    ext.append(buckets);
    Record(out, kExtSst, ext);
    return out;
}

} // namespace

std::vector<QByteArray> BuildBiffWorkbook(const ArchiveTable& table, const QString& sheetTitle)
{
    const std::vector<SheetBlock> blocks = LayoutSheets(table.rowCount(), sheetTitle);
    SharedStrings sst;
    std::vector<QByteArray> sheets;
    sheets.reserve(blocks.size());
    for (std::size_t k = 0; k < blocks.size(); ++k)
        sheets.push_back(Worksheet(table, blocks[k], k == 0, sst));

    QByteArray globals;
    Record(globals, kBof, BofData(0x0005));
    {
        QByteArray d;
        Bytes(d).u16(1200); // texts are UTF-16
        Record(globals, kCodePage, d);
    }
    {
        QByteArray d;
        Bytes b(d);
        b.u16(0); // window position and size, in twips
        b.u16(0);
        b.u16(0x4000);
        b.u16(0x2000);
        b.u16(0x0038); // horizontal and vertical scroll bars, sheet tabs
        b.u16(0);      // active sheet
        b.u16(0);      // first visible tab
        b.u16(1);      // selected sheets
        b.u16(600);    // tab bar width, per mille
        Record(globals, kWindow1, d);
    }
    {
        QByteArray d;
        Bytes(d).u16(0); // dates count from 1900
        Record(globals, kDateMode, d);
    }
    // Four fonts; Excel skips index 4, and every format here uses font 0.
    for (int i = 0; i < 4; ++i) Record(globals, kFont, FontData());
    Record(globals, kXf, XfData(0, true, 0x20, 0x00));
    for (int i = 1; i < 15; ++i) Record(globals, kXf, XfData(0, true, 0x20, 0xF4));
    Record(globals, kXf, XfData(0, false, 0x20, 0x00)); // kDefaultCellXf
    Record(globals, kXf, XfData(0, false, 0x22, 0x10)); // kCentredXf: horizontally centred
    static_assert(kDefaultCellXf + 1 == kCentredXf);
    {
        QByteArray d;
        Bytes b(d);
        b.u16(0x8000); // built-in style on format 0
        b.u8(0);       // "Normal"
        b.u8(0xFF);
        Record(globals, kStyle, d);
    }
    std::vector<qsizetype> sheetOffsetAt;
    for (const SheetBlock& block : blocks) {
        QByteArray d;
        Bytes b(d);
        b.u32(0); // stream offset of the sheet's BOF, filled in below
        b.u8(0);  // visible
        b.u8(0);  // worksheet
        ShortString(d, block.name);
        sheetOffsetAt.push_back(globals.size() + 4);
        Record(globals, kBoundSheet, d);
    }
    globals.append(SharedStringRecords(sst, globals.size()));
    Record(globals, kEof, {});

    qsizetype offset = globals.size();
    for (std::size_t k = 0; k < sheets.size(); ++k) {
        PutU32At(globals, sheetOffsetAt[k], uint32_t(offset));
        offset += sheets[k].size();
    }
    // The parts stay apart: joining them would hold the whole stream twice.
    if (offset < kMinWorkbookStream) sheets.back().append(kMinWorkbookStream - offset, '\0');
    sheets.insert(sheets.begin(), std::move(globals));
    return sheets;
}

SpreadsheetResult WriteCompoundDocument(const std::vector<QByteArray>& workbookStream, const QString& path)
{
    static std::once_flag gsfReady;
    std::call_once(gsfReady, [] { gsf_init(); });

    GError* error = nullptr;
    const QByteArray nativePath = QFile::encodeName(path);
    GsfOutput* sink = gsf_output_stdio_new(nativePath.constData(), &error);
    if (!sink) {
        const QString why = error ? QString::fromUtf8(error->message) : QString();
        if (error) g_error_free(error);
        return {SpreadsheetStatus::WriteFailed, why};
    }
    GsfOutfile* ole = gsf_outfile_msole_new(sink);
    GsfOutput* stream = gsf_outfile_new_child(ole, "Workbook", FALSE);
    bool ok = stream != nullptr;
    if (ok) {
        for (const QByteArray& part : workbookStream)
            if (ok && !part.isEmpty())
                ok = gsf_output_write(stream, gsize(part.size()),
                                      reinterpret_cast<const guint8*>(part.constData()));
        ok = gsf_output_close(stream) && ok;
        g_object_unref(stream);
    }
    ok = gsf_output_close(GSF_OUTPUT(ole)) && ok; // closes the sink as well
    g_object_unref(ole);
    if (!gsf_output_is_closed(sink)) ok = gsf_output_close(sink) && ok;
    g_object_unref(sink);
    if (!ok) return {SpreadsheetStatus::WriteFailed, QStringLiteral("cannot write the compound document")};
    return {};
}
