#include "PackageCheck.h"

#include "bytes/LittleEndian.h"

#include <QFile>

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

bool Fail(QString* why, const QString& text)
{
    if (why) *why = text;
    return false;
}

// Whether `got`, a cell text read back from the sheet, is `given` as libxlsxwriter writes it:
// control characters other than tab and line feed spelt _xHHHH_, everything else as it was.
bool SameAsWritten(QByteArrayView given, QByteArrayView got)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    qsizetype at = 0;
    for (const char ch : given) {
        const auto byte = uchar(ch);
        if (byte < 0x20 && byte != '\t' && byte != '\n') {
            const char escaped[] = {'_', 'x', '0', '0', kHex[byte >> 4], kHex[byte & 0xF], '_'};
            if (got.size() - at < 7 || got.sliced(at, 7) != QByteArrayView(escaped, 7)) return false;
            at += 7;
        } else {
            if (at >= got.size() || got[at] != ch) return false;
            ++at;
        }
    }
    return at == got.size();
}

// Zero-based row and column of a cell reference such as "AB12"; false if it is not one.
bool ParseCellReference(QByteArrayView reference, int& row, int& column)
{
    qsizetype at = 0;
    long long c = 0, r = 0;
    while (at < reference.size() && reference[at] >= 'A' && reference[at] <= 'Z' && c < 1'000'000)
        c = c * 26 + (reference[at++] - 'A' + 1);
    const qsizetype digits = at;
    while (at < reference.size() && reference[at] >= '0' && reference[at] <= '9' && r < 100'000'000)
        r = r * 10 + (reference[at++] - '0');
    if (digits == 0 || at == digits || at != reference.size() || r == 0) return false;
    row = int(r - 1);
    column = int(c - 1);
    return true;
}

// Reads one XML part as it inflates: whether its markup is whole and, for a worksheet given
// its written cells, whether its inline-string cells are exactly those, in that order.
//
// A small reader of its own rather than libxml2: a sheet of 65,535 rows is some 50 MB of
// XML, which libxml2 reads at about 200 MB/s, and every export reads its workbook back. It
// takes what libxlsxwriter writes (declaration, elements with quoted attributes, text, the
// five named and the numeric character references; comments and CDATA for good measure) and
// checks that the part opens with its declaration, that tags nest and close, that references
// are known, that there is one root element and only white space outside it, and that no
// element holds both text and elements, which no workbook part does. A lost write that takes
// the start of a tag off leaves the rest of it as text beside elements. Anything else counts
// as a damaged part.
class XmlPart {
public:
    // `sheet`: the part is a worksheet; `frame`: where its frame goes, if wanted.
    XmlPart(WrittenCells* cells, bool sheet, QByteArray* frame) : cells_(cells), sheet_(sheet), frame_(frame)
    {
    }

    void add(const uchar* data, qint64 size)
    {
        if (failed_) return;
        pending_.append(reinterpret_cast<const char*>(data), qsizetype(size));
        pending_.remove(0, scan(false));
    }

    bool finish(QString* why)
    {
        if (!failed_) scan(true);
        if (failed_) return Fail(why, problem_);
        if (!rootClosed_) return Fail(why, QStringLiteral("cut off"));
        int row = 0, column = 0;
        QByteArrayView text;
        if (cells_ && cells_->next(row, column, text))
            return Fail(why, QStringLiteral("cell %1,%2 missing").arg(row).arg(column));
        return true;
    }

private:
    using View = std::string_view;

    // Reads the complete pieces of markup and text in the pending bytes; returns how many
    // bytes it used. What is left is the start of a piece the next bytes complete.
    qsizetype scan(bool last)
    {
        const char* const begin = pending_.constData();
        const char* const end = begin + pending_.size();
        const char* p = begin;
        // Every part libxlsxwriter writes opens with the declaration; it goes to the disk on its
        // own, so a lost write can take just that off a part.
        if (!declared_) {
            const View start(begin, std::size_t(end - begin));
            static constexpr View kDeclaration = "<?xml ";
            if (start.size() < kDeclaration.size() && !last) return 0;
            if (!start.starts_with(kDeclaration)) {
                failWith(QStringLiteral("no XML declaration"));
                return 0;
            }
            declared_ = true;
        }
        // No piece libxlsxwriter writes comes near this (a cell's text, escaped, stays under
        // 256 KiB); a quote or tag left open by damage must not make every later piece of
        // the part be read again.
        constexpr qsizetype kLongestPiece = 1 << 20;
        while (p < end && !failed_) {
            if (*p != '<') {
                const char* lt = static_cast<const char*>(std::memchr(p, '<', std::size_t(end - p)));
                if (!lt) {
                    if (!last) {
                        if (end - p > kLongestPiece) failWith(QStringLiteral("text too long"));
                        break;
                    }
                    lt = end;
                }
                const View t(p, std::size_t(lt - p));
                text(t);
                if (frame_ && !inSheetData_) frame_->append(t.data(), qsizetype(t.size()));
                p = lt;
                continue;
            }
            const char* close = markupEnd(p, end);
            if (!close) {
                if (last) failWith(QStringLiteral("cut off in a tag"));
                if (end - p > kLongestPiece) failWith(QStringLiteral("a tag too long"));
                break;
            }
            const View m(p, std::size_t(close - p + 1));
            const Kind kind = markup(m);
            if (frame_) {
                if (kind == Kind::SheetData)
                    frame_->append("<sheetData/>");
                else if (kind == Kind::Other && !inSheetData_)
                    frame_->append(m.data(), qsizetype(m.size()));
            }
            p = close + 1;
        }
        return p - begin;
    }

    // The '>' that ends the markup starting at `p`, or null when it is not all there yet.
    const char* markupEnd(const char* p, const char* end)
    {
        const View rest(p, std::size_t(end - p));
        if (rest.size() < 2) return nullptr;
        if (rest[1] == '!' || rest[1] == '?') {
            for (const auto& [open, close] :
                 {std::pair<View, View>{"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}}) {
                if (rest.size() < open.size() && open.starts_with(rest)) return nullptr;
                if (rest.starts_with(open)) {
                    const std::size_t at = rest.find(close, open.size());
                    return at == View::npos ? nullptr : p + at + close.size() - 1;
                }
            }
            failWith(QStringLiteral("a declaration inside a part"));
            return nullptr;
        }
        // A tag: the first '>' outside a quoted value ends it.
        char quote = 0;
        for (const char* q = p + 1; q < end; ++q) {
            const char c = *q;
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '>') {
                return q;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '<') {
                failWith(QStringLiteral("'<' inside a tag"));
                return nullptr;
            }
        }
        return nullptr;
    }

    static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    static bool IsNameChar(char c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
               c == ':' || c == '-' || c == '.' || uchar(c) >= 0x80;
    }
    // The name at the start of `in`, taken off it; empty if there is none.
    static View TakeName(View& in)
    {
        std::size_t n = 0;
        while (n < in.size() && IsNameChar(in[n])) ++n;
        if (n > 0 && ((in[0] >= '0' && in[0] <= '9') || in[0] == '-' || in[0] == '.')) return {};
        const View name = in.substr(0, n);
        in.remove_prefix(n);
        return name;
    }
    static void SkipSpace(View& in)
    {
        while (!in.empty() && IsSpace(in.front())) in.remove_prefix(1);
    }

    // What a piece of markup is to the frame: kept as it is, a worksheet's cell data starting
    // (kept emptied), or left out (the end of the cell data, the sheet's dimension).
    enum class Kind { Other, SheetData, LeftOut };

    Kind markup(View m)
    {
        if (m[1] == '?' || (m[1] == '!' && m[2] == '-')) return Kind::Other;
        if (m[1] == '!') { // CDATA
            if (open_.empty()) return bad(QStringLiteral("character data outside the root"));
            if (!holdText()) return Kind::Other;
            if (inText_) text_.append(m.data() + 9, qsizetype(m.size() - 12));
            return Kind::Other;
        }
        View in = m.substr(1, m.size() - 2);
        if (!in.empty() && in.front() == '/') {
            in.remove_prefix(1);
            const View name = TakeName(in);
            SkipSpace(in);
            if (name.empty() || !in.empty()) return bad(QStringLiteral("bad end tag"));
            if (open_.empty() || open_.back().name != name) return bad(QStringLiteral("tags do not nest"));
            open_.pop_back();
            if (open_.empty()) rootClosed_ = true;
            if (cells_) endElement(name);
            if (sheet_ && name == "sheetData") {
                inSheetData_ = false;
                return Kind::LeftOut;
            }
            return Kind::Other;
        }
        const bool empty = !in.empty() && in.back() == '/';
        if (empty) in.remove_suffix(1);
        const View name = TakeName(in);
        if (name.empty()) return bad(QStringLiteral("bad tag"));
        if (rootClosed_) return bad(QStringLiteral("a second root element"));
        View reference; // the cell's "r"
        while (true) {
            const bool spaced = !in.empty() && IsSpace(in.front());
            SkipSpace(in);
            if (in.empty()) break;
            const View attribute = TakeName(in);
            if (!spaced || attribute.empty()) return bad(QStringLiteral("bad attribute"));
            SkipSpace(in);
            if (!in.starts_with('=')) return bad(QStringLiteral("bad attribute"));
            in.remove_prefix(1);
            SkipSpace(in);
            if (in.empty() || (in.front() != '"' && in.front() != '\''))
                return bad(QStringLiteral("bad attribute"));
            const std::size_t close = in.find(in.front(), 1);
            if (close == View::npos) return bad(QStringLiteral("bad attribute"));
            const View value = in.substr(1, close - 1);
            if (!Decode(value, nullptr)) return bad(QStringLiteral("bad reference"));
            if (attribute == "r") reference = value;
            in.remove_prefix(close + 1);
        }
        if (!open_.empty()) {
            if (open_.back().text) return bad(QStringLiteral("text beside elements"));
            open_.back().child = true;
        }
        open_.push_back({std::string(name)});
        if (cells_) startElement(name, reference);
        if (empty) {
            open_.pop_back();
            if (open_.empty()) rootClosed_ = true;
            if (cells_) endElement(name);
        }
        if (sheet_ && name == "sheetData") {
            inSheetData_ = !empty;
            return Kind::SheetData;
        }
        if (sheet_ && name == "dimension" && open_.size() == 1) return Kind::LeftOut;
        return Kind::Other;
    }

    // Marks the innermost element as holding text; false (a damaged part) if it holds
    // elements too: no part of a workbook mixes the two.
    bool holdText()
    {
        Open& element = open_.back();
        if (element.child) {
            failWith(QStringLiteral("text beside elements"));
            return false;
        }
        element.text = true;
        return true;
    }

    void text(View t)
    {
        const bool blank = std::all_of(t.begin(), t.end(), IsSpace);
        if (open_.empty()) {
            if (!blank) failWith(QStringLiteral("text outside the root"));
            return;
        }
        if (!blank && !holdText()) return;
        if (!Decode(t, inText_ ? &text_ : nullptr)) failWith(QStringLiteral("bad reference"));
    }

    // Checks the character references in `in` and, given `out`, appends the text they stand for.
    static bool Decode(View in, QByteArray* out)
    {
        while (!in.empty()) {
            const std::size_t amp = in.find('&');
            if (out) out->append(in.data(), qsizetype(std::min(amp, in.size())));
            if (amp == View::npos) return true;
            in.remove_prefix(amp + 1);
            const std::size_t semi = in.find(';');
            if (semi == View::npos || semi > 10) return false;
            const View name = in.substr(0, semi);
            in.remove_prefix(semi + 1);
            static constexpr std::pair<View, char> kNamed[] = {
                {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
            const auto named = std::find_if(std::begin(kNamed), std::end(kNamed),
                                            [&](const auto& n) { return n.first == name; });
            if (named != std::end(kNamed)) {
                if (out) out->append(named->second);
                continue;
            }
            if (!name.starts_with('#') || name.size() < 2) return false;
            const bool hex = name[1] == 'x';
            const View digits = name.substr(hex ? 2 : 1);
            char32_t code = 0;
            for (const char c : digits) {
                const int d = c >= '0' && c <= '9'          ? c - '0'
                              : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                            : -1;
                if (d < 0) return false;
                code = code * (hex ? 16 : 10) + char32_t(d);
                if (code > 0x10FFFF) return false;
            }
            if (digits.empty() || code == 0 || (code >= 0xD800 && code <= 0xDFFF)) return false;
            if (out) out->append(QString::fromUcs4(&code, 1).toUtf8());
        }
        return true;
    }

    void startElement(View name, View reference)
    {
        if (name == "c") {
            inCell_ = true;
            hasText_ = false;
            text_.resize(0);
            if (!ParseCellReference(QByteArrayView(reference.data(), qsizetype(reference.size())), row_,
                                    column_))
                failWith(QStringLiteral("bad cell reference"));
        } else if (inCell_ && name == "t") {
            inText_ = hasText_ = true;
        }
    }

    void endElement(View name)
    {
        if (name == "t") {
            inText_ = false;
        } else if (name == "c") {
            inCell_ = false;
            if (hasText_) checkCell();
        }
    }

    void checkCell()
    {
        int row = 0, column = 0;
        if (!cells_->next(row, column, given_))
            return failWith(QStringLiteral("cell %1,%2 was never written").arg(row_).arg(column_));
        if (row != row_ || column != column_)
            return failWith(QStringLiteral("cell %1,%2 where %3,%4 was written")
                                .arg(row_)
                                .arg(column_)
                                .arg(row)
                                .arg(column));
        if (!SameAsWritten(given_, text_))
            failWith(QStringLiteral("cell %1,%2 does not hold its text").arg(row).arg(column));
    }

    void failWith(const QString& problem)
    {
        if (failed_) return;
        failed_ = true;
        problem_ = problem;
    }
    Kind bad(const QString& problem)
    {
        failWith(problem);
        return Kind::Other;
    }

    WrittenCells* cells_;
    bool sheet_ = false, inSheetData_ = false;
    QByteArray* frame_;
    QByteArray pending_;
    struct Open {
        std::string name;
        bool child = false, text = false; // holds elements, holds text other than white space
    };
    std::vector<Open> open_; // the elements open, outermost first
    bool declared_ = false, rootClosed_ = false, failed_ = false;
    QString problem_;
    bool inCell_ = false, inText_ = false, hasText_ = false;
    int row_ = 0, column_ = 0;
    QByteArray text_;
    QByteArrayView given_;
};

// Inflates one entry, handing the bytes on as they come, and keeps their size and checksum.
class Entry {
public:
    explicit Entry(XmlPart* xml) : xml_(xml) {}

    bool read(const uchar* data, qint64 size, int method, QString* why)
    {
        if (method == 0) {
            take(data, size);
            return true;
        }
        if (method != 8) return Fail(why, QStringLiteral("compression method %1").arg(method));
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return Fail(why, QStringLiteral("inflate"));
        uchar out[64 * 1024];
        z.next_in = const_cast<uchar*>(data);
        int status = Z_OK;
        qint64 left = size;
        while (status == Z_OK) {
            if (z.avail_in == 0 && left > 0) {
                const auto n = uInt(std::min<qint64>(left, 1 << 30));
                z.avail_in = n;
                left -= n;
            }
            z.next_out = out;
            z.avail_out = sizeof out;
            status = inflate(&z, Z_NO_FLUSH);
            take(out, qint64(sizeof out - z.avail_out));
            if (status == Z_BUF_ERROR && z.avail_in == 0 && left == 0) break;
        }
        inflateEnd(&z);
        if (status != Z_STREAM_END) return Fail(why, QStringLiteral("deflate data cut off"));
        return true;
    }

    uint32_t crc() const { return crc_; }
    qint64 size() const { return size_; }

private:
    void take(const uchar* p, qint64 n)
    {
        if (n <= 0) return;
        crc_ = uint32_t(crc32(crc_, p, uInt(n)));
        size_ += n;
        if (xml_) xml_->add(p, n);
    }

    XmlPart* xml_;
    uint32_t crc_ = uint32_t(crc32(0, nullptr, 0));
    qint64 size_ = 0;
};

// The sheet index of a worksheet part's name ("xl/worksheets/sheet3.xml" is 2), or -1.
int SheetIndex(const std::string& name)
{
    static const std::string prefix = "xl/worksheets/sheet", suffix = ".xml";
    if (!name.starts_with(prefix) || !name.ends_with(suffix)) return -1;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::stoi(digits) - 1;
}

} // namespace

bool PackageComplete(const QString& path, QString* why, const ExpectedSheets* sheets, PackageFrames* frames)
{
    QString scratch;
    QString& reason = why ? *why : scratch;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    const qint64 size = file.size();
    const uchar* base = size > 0 ? file.map(0, size) : nullptr;
    if (!base) {
        reason = QStringLiteral("empty or unreadable package");
        return false;
    }

    // End of central directory: 22 bytes, possibly followed by a comment of up to 64 KiB.
    qint64 eocd = -1;
    for (qint64 at = size - 22; at >= 0 && at >= size - 22 - 65535; --at)
        if (le::Load32(base + at) == 0x06054B50) {
            eocd = at;
            break;
        }
    if (eocd < 0) {
        reason = QStringLiteral("no central directory");
        return false;
    }
    const uint32_t entries = le::Load16(base + eocd + 10);
    qint64 at = le::Load32(base + eocd + 16);
    if (entries == 0) {
        reason = QStringLiteral("no entries");
        return false;
    }
    std::vector<bool> seen(sheets ? std::size_t(std::max(sheets->count, 0)) : 0, false);
    for (uint32_t i = 0; i < entries; ++i) {
        if (at + 46 > size || le::Load32(base + at) != 0x02014B50) {
            reason = QStringLiteral("bad central directory");
            return false;
        }
        const uchar* h = base + at;
        const int method = int(le::Load16(h + 10));
        const uint32_t crc = le::Load32(h + 16), packed = le::Load32(h + 20), unpacked = le::Load32(h + 24);
        const uint32_t nameLength = le::Load16(h + 28), extraLength = le::Load16(h + 30),
                       commentLength = le::Load16(h + 32);
        const qint64 local = le::Load32(h + 42);
        if (at + 46 + nameLength > size) {
            reason = QStringLiteral("bad central directory");
            return false;
        }
        const std::string name(reinterpret_cast<const char*>(h + 46), nameLength);
        at += 46 + nameLength + extraLength + commentLength;

        if (packed == 0xFFFFFFFF || unpacked == 0xFFFFFFFF) {
            reason = QStringLiteral("zip64 entry ") + QString::fromStdString(name);
            return false; // never written at the sizes a sheet can have
        }
        if (local + 30 > size || le::Load32(base + local) != 0x04034B50) {
            reason = QStringLiteral("bad local header");
            return false;
        }
        const qint64 data = local + 30 + le::Load16(base + local + 26) + le::Load16(base + local + 28);
        if (data + packed > size) {
            reason = QStringLiteral("entry past the end: ") + QString::fromStdString(name);
            return false;
        }
        const bool xml = name.ends_with(".xml") || name.ends_with(".rels");
        const int sheet = SheetIndex(name);
        std::unique_ptr<WrittenCells> cells;
        if (sheet >= 0 && sheets) {
            if (sheet >= sheets->count || seen[std::size_t(sheet)])
                return Fail(&reason, QStringLiteral("unexpected part: ") + QString::fromStdString(name));
            seen[std::size_t(sheet)] = true;
            cells = sheets->cells(sheet);
        }
        std::optional<XmlPart> part;
        QByteArray* frame = frames ? &(*frames)[name] : nullptr;
        if (xml) part.emplace(cells.get(), sheet >= 0, frame);
        Entry entry(part ? &*part : nullptr);
        if (!entry.read(base + data, packed, method, &reason)) return false;
        if (entry.size() != unpacked || entry.crc() != crc) {
            reason = QStringLiteral("size or checksum differs: ") + QString::fromStdString(name);
            return false;
        }
        if (part && !part->finish(&reason)) {
            reason = QString::fromStdString(name) + QStringLiteral(": ") + reason;
            return false;
        }
    }
    if (sheets && std::find(seen.begin(), seen.end(), false) != seen.end())
        return Fail(&reason, QStringLiteral("a worksheet is missing"));
    return true;
}
