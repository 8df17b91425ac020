// The report as printed: rendered to a PDF and read back with pdftotext, page by page.
#include "exchange/report/ReportPainter.h"

#include "ReportFixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

const QString kTitle = QStringLiteral("Архив измерений 05.03.2016 09:07:02");
const QRegularExpression kHeading(QStringLiteral("^№\\s+Объект\\s+Датчик\\s+Диапазон\\s+Величина\\s+Серия "
                                                 "\\| Номер\\s+Количество измерений\\s+Шаг по X\\s+"
                                                 "Шаг по Y\\s+Дата\\s+Время\\s+Режим$"));
// A data line of the fixture; the first number is the row's. pdftotext rebuilds the blanks from
// the glyph positions, so runs of blanks are matched loosely.
const QRegularExpression
    kDataLine(QStringLiteral("^(\\d+)\\s+Объект 1\\s+Потенциала, "
                             "мВ\\s+-500\\s+-\\s+500\\s+-\\d+\\s+\\d+\\s+\\|\\s+1\\s+5\\s+10\\s+20\\s+"
                             "05\\.03\\.2016\\s+09:07:02\\s+Ручной$"));

struct PageText {
    QStringList lines; // trimmed, non-empty
};

class ReportPdf : public ::testing::Test {
protected:
    // One run of the report into a PDF, read back as text pages.
    std::vector<PageText> Render(const QStringList& lines, DetailCounter& counter, int firstPage = 1,
                                 int lastPage = INT_MAX, int* pageCount = nullptr)
    {
        const QString path = dir_.filePath(QStringLiteral("report%1.pdf").arg(++runs_));
        {
            QPdfWriter writer(path);
            writer.setResolution(300);
            SetUpReportPage(writer);
            const int pages = PaintReport(writer, kTitle, lines, counter, firstPage, lastPage);
            if (pageCount) *pageCount = pages;
        }
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {"-layout", "-enc", "UTF-8", path, "-"});
        EXPECT_TRUE(pdftotext.waitForFinished(60000)) << "pdftotext (poppler-utils) must be installed";
        EXPECT_EQ(pdftotext.exitCode(), 0) << pdftotext.readAllStandardError().toStdString();
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        std::vector<PageText> pages;
        QStringList raw = text.split(QLatin1Char('\f'));
        if (!raw.isEmpty() && raw.last().trimmed().isEmpty()) raw.removeLast(); // after the last form feed
        for (const QString& page : raw) {
            PageText p;
            for (const QString& line : page.split(QLatin1Char('\n')))
                if (!line.trimmed().isEmpty()) p.lines << line.trimmed();
            pages.push_back(p);
        }
        return pages;
    }

    QTemporaryDir dir_;
    int runs_ = 0;
};

// Row numbers of the data lines on a page, in print order.
std::vector<int> DataRows(const PageText& page)
{
    std::vector<int> rows;
    for (const QString& line : page.lines)
        if (const auto m = kDataLine.match(line); m.hasMatch()) rows.push_back(m.captured(1).toInt());
    return rows;
}

std::vector<int> Range(int first, int last)
{
    std::vector<int> v;
    for (int i = first; i <= last; ++i) v.push_back(i);
    return v;
}

} // namespace

TEST_F(ReportPdf, EveryPageHasTitleHeadingDetailLinesAndItsNumber)
{
    ASSERT_TRUE(dir_.isValid());
    const QStringList lines = ReportLines(NumberedArchive(100));
    DetailCounter counter(int(lines.size()));
    int pageCount = 0;
    const std::vector<PageText> pages = Render(lines, counter, 1, INT_MAX, &pageCount);
    // 101 detail prints (a blank one, then rows 1..100) at 39 per page.
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pageCount, 3);
    const std::vector<int> expectedRows[] = {Range(1, 38), Range(39, 77), Range(78, 100)};
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        const QStringList& text = pages[p].lines;
        ASSERT_GE(text.size(), 3);
        EXPECT_EQ(text.first(), kTitle);
        EXPECT_TRUE(kHeading.match(text.at(1)).hasMatch()) << text.at(1).toStdString();
        EXPECT_EQ(text.last(), QString::number(p + 1)) << "page number in the footer";
        EXPECT_EQ(DataRows(pages[p]), expectedRows[p]) << "first line: " << text.value(2).toStdString();
        // Nothing else on the page: title, heading, data lines, page number.
        EXPECT_EQ(text.size(), int(expectedRows[p].size()) + 3);
    }
}

TEST_F(ReportPdf, ASecondRunPrintsTheSameListing)
{
    const QStringList lines = ReportLines(NumberedArchive(45));
    DetailCounter counter(int(lines.size()));
    const std::vector<PageText> preview = Render(lines, counter);
    const std::vector<PageText> print = Render(lines, counter);
    ASSERT_EQ(preview.size(), 2u);
    ASSERT_EQ(print.size(), preview.size());
    for (size_t p = 0; p < preview.size(); ++p)
        EXPECT_EQ(print[p].lines, preview[p].lines) << "page " << p + 1;
    EXPECT_EQ(DataRows(print[0]), Range(1, 38));
    EXPECT_EQ(DataRows(print[1]), Range(39, 45));
}

TEST_F(ReportPdf, APageRangeDrawsOnlyItsPagesWithTheirOwnLines)
{
    const QStringList lines = ReportLines(NumberedArchive(100));
    DetailCounter counter(int(lines.size()));
    const std::vector<PageText> pages = Render(lines, counter, 2, 2);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].lines.first(), kTitle);
    EXPECT_EQ(pages[0].lines.last(), QStringLiteral("2"));
    EXPECT_EQ(DataRows(pages[0]), Range(39, 77));
}

TEST_F(ReportPdf, EmptyTablePrintsItsHeadingAndBlankLines)
{
    const QStringList lines = ReportLines(ArchiveTable()); // the start-up table
    DetailCounter counter(int(lines.size()));
    const std::vector<PageText> pages = Render(lines, counter);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].lines, QStringList({kTitle, pages[0].lines.value(1), "1"}));
    EXPECT_TRUE(kHeading.match(pages[0].lines.value(1)).hasMatch());

    const QStringList none; // a table without any row: still one page with its furniture
    DetailCounter noCounter(0);
    const std::vector<PageText> bare = Render(none, noCounter);
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_EQ(bare[0].lines, QStringList({kTitle, "1"}));
}
