#include "AboutLabels.h"

#include "texts/Texts.h"
#include "ui/VersionData.h"

#include <QFileInfo>

#include <array>
#include <cstdio>

namespace {

// The labels as the window is designed, before any version data is applied.
const char* const kDesignVersion = "Version";
const char* const kDesignCopyright = "Copyright";
const char* const kDesignComments = "тел./факс.";
const char* const kDesignLabel2 = "(многоканальный)";

constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QByteArray Translation(uint16_t language, uint16_t codePage)
{
    QByteArray bytes;
    for (uint16_t v : {language, codePage}) {
        bytes.append(char(v & 0xFF));
        bytes.append(char(v >> 8));
    }
    return bytes;
}

uint16_t Word(const QByteArray& bytes, int at)
{
    return uint16_t(uint8_t(bytes[at]) | (uint8_t(bytes[at + 1]) << 8));
}

} // namespace

VersionData ProgramVersionData()
{
    VersionData data;
    data.translation = Translation(LM11_VERSION_LANGUAGE, LM11_VERSION_CODEPAGE);
    const QString key = QStringLiteral("%1%2")
                            .arg(LM11_VERSION_LANGUAGE, 4, 16, QLatin1Char('0'))
                            .arg(LM11_VERSION_CODEPAGE, 4, 16, QLatin1Char('0'))
                            .toUpper();
    const QString table = QStringLiteral("\\StringFileInfo\\") + key + QLatin1Char('\\');
    data.strings.insert(table + QStringLiteral("FileVersion"), QStringLiteral(LM11_FILE_VERSION));
    data.strings.insert(table + QStringLiteral("LegalCopyright"), QString::fromUtf8(LM11_LEGAL_COPYRIGHT));
    return data;
}

QByteArray ProgramBuildDate() { return QByteArrayLiteral(LM11_BUILD_DATE); }

AboutLabels ComposeAboutLabels(const std::optional<VersionData>& data, const QByteArray& buildDate, int lang)
{
    using namespace AboutText;
    AboutLabels labels{Caption[lang],
                       Product[lang],
                       QString::fromLatin1(kDesignVersion),
                       QString::fromLatin1(kDesignCopyright),
                       QString::fromUtf8(kDesignComments),
                       QString::fromUtf8(kDesignLabel2)};
    if (!data) return labels;

    // Split exactly as "%3s %2s %4s" does: a blank before a one-digit day is skipped.
    std::array<char, 4> month{};
    std::array<char, 3> day{};
    std::array<char, 5> year{};
    const QByteArray date = buildDate; // keeps the terminating zero in place
    if (std::sscanf(date.constData(), "%3s %2s %4s", month.data(), day.data(), year.data()) < 3)
        return labels;
    std::size_t monthIndex = 0; // an unknown month reads as January
    for (std::size_t k = 0; k < kMonths.size(); ++k) {
        if (qstrcmp(month.data(), kMonths[k]) == 0) {
            monthIndex = k;
            break;
        }
    }
    const QString dateText = Of[lang] + QString::fromLatin1(day.data()) + Months[monthIndex][lang] +
                             QString::fromLatin1(year.data()) + QStringLiteral(" г.");

    labels.comments = Phone[lang];
    labels.label2 = Multichannel[lang];

    if (data->translation.size() < 4) return labels;
    const uint32_t code = (uint32_t(Word(data->translation, 0)) << 16) | Word(data->translation, 2);
    const QString key = QStringLiteral("%1").arg(code, 8, 16, QLatin1Char('0')).toUpper();
    const QString table = QStringLiteral("\\StringFileInfo\\") + key + QLatin1Char('\\');
    if (const auto it = data->strings.constFind(table + QStringLiteral("FileVersion"));
        it != data->strings.cend())
        labels.version = AboutText::Version[lang] + *it + dateText;
    if (const auto it = data->strings.constFind(table + QStringLiteral("LegalCopyright"));
        it != data->strings.cend())
        labels.copyright = *it;
    return labels;
}

QString MailTarget(const QString& address, const QString& programPath)
{
    return QStringLiteral("mailto:") + address + QStringLiteral("?Subject=") +
           QFileInfo(programPath).completeBaseName();
}
