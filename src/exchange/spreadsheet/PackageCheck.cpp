#include "PackageCheck.h"

#include "bytes/LittleEndian.h"

#include <QFile>

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

// The name of the document's root element: the first tag that is not a declaration,
// processing instruction or comment.
std::string RootName(const std::string& head)
{
    std::size_t at = 0;
    while ((at = head.find('<', at)) != std::string::npos) {
        if (at + 1 < head.size() && head[at + 1] != '?' && head[at + 1] != '!') {
            const std::size_t end = head.find_first_of(" \t\r\n/>", at + 1);
            return end == std::string::npos ? std::string() : head.substr(at + 1, end - at - 1);
        }
        ++at;
    }
    return {};
}

class Entry {
public:
    // Inflates the entry, keeping its first and last bytes and the running checksum.
    bool read(const uchar* data, qint64 size, int method, QString* why)
    {
        if (method == 0) {
            take(data, size);
            return true;
        }
        if (method != 8) return fail(why, QStringLiteral("compression method %1").arg(method));
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return fail(why, QStringLiteral("inflate"));
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
        if (status != Z_STREAM_END) return fail(why, QStringLiteral("deflate data cut off"));
        return true;
    }

    uint32_t crc() const { return crc_; }
    qint64 size() const { return size_; }
    const std::string& head() const { return head_; }
    const std::string& tail() const { return tail_; }

private:
    void take(const uchar* p, qint64 n)
    {
        if (n <= 0) return;
        crc_ = uint32_t(crc32(crc_, p, uInt(n)));
        size_ += n;
        if (head_.size() < 512)
            head_.append(reinterpret_cast<const char*>(p), std::size_t(std::min<qint64>(n, 512)));
        tail_.append(reinterpret_cast<const char*>(p), std::size_t(n));
        if (tail_.size() > 512) tail_.erase(0, tail_.size() - 256);
    }
    static bool fail(QString* why, const QString& text)
    {
        if (why) *why = text;
        return false;
    }

    uint32_t crc_ = uint32_t(crc32(0, nullptr, 0));
    qint64 size_ = 0;
    std::string head_, tail_;
};

} // namespace

bool PackageComplete(const QString& path, QString* why)
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
        Entry entry;
        if (!entry.read(base + data, packed, method, &reason)) return false;
        if (entry.size() != unpacked || entry.crc() != crc) {
            reason = QStringLiteral("size or checksum differs: ") + QString::fromStdString(name);
            return false;
        }
        const bool xml = name.ends_with(".xml") || name.ends_with(".rels");
        if (xml) {
            std::string tail = entry.tail();
            while (!tail.empty() && std::strchr(" \t\r\n", tail.back())) tail.pop_back();
            const std::string root = RootName(entry.head());
            if (root.empty() || !tail.ends_with("</" + root + ">")) {
                reason = QStringLiteral("part cut off: ") + QString::fromStdString(name);
                return false;
            }
        }
    }
    return true;
}
