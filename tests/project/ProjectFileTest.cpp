#include "exchange/project/ProjectFile.h"

#include "texts/Texts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <initializer_list>

namespace {

QByteArray Int32(int32_t v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i) b[i] = char((uint32_t(v) >> (8 * i)) & 0xFF);
    return b;
}

QByteArray Cell(const QByteArray& cp1251) { return Int32(int32_t(cp1251.size())) + cp1251; }

void WriteFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// A small archive-shaped table: 12 columns, header plus `dataRows` rows.
ArchiveTable SampleTable(int dataRows)
{
    ArchiveTable t(kArchiveColumns, dataRows + 1);
    for (int c = 0; c < kArchiveColumns; ++c) t.setCell(c, 0, HeaderText(c, 0));
    for (int r = 1; r <= dataRows; ++r) {
        t.setCell(0, r, QString::number(r));
        t.setCell(1, r, QStringLiteral("Объект %1").arg(r));
        t.setCell(2, r, QStringLiteral("Потенциала, мВ    "));
        t.setCell(4, r, QString::number(-r * 10));
        t.setCell(11, r, QStringLiteral("Ручной"));
        // columns 3, 5..10 left empty on purpose: empty cells must survive
    }
    return t;
}

void ExpectSameTable(const ArchiveTable& a, const ArchiveTable& b)
{
    ASSERT_EQ(a.columnCount(), b.columnCount());
    ASSERT_EQ(a.rowCount(), b.rowCount());
    for (int c = 0; c < a.columnCount(); ++c)
        for (int r = 0; r < a.rowCount(); ++r) EXPECT_EQ(a.cell(c, r), b.cell(c, r)) << c << "," << r;
}

class ProjectFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

TEST_F(ProjectFile, TwoCellTableIsStoredAsTheKnownBytes)
{
    ArchiveTable t(2, 1);
    t.setCell(0, 0, QStringLiteral("№"));
    t.setCell(1, 0, QStringLiteral("Объект"));
    const QByteArray expected = QByteArray::fromHex("02000000"
                                                    "01000000"
                                                    "01000000"
                                                    "B9"
                                                    "06000000"
                                                    "CEE1FAE5EAF2");
    ASSERT_EQ(saveProject(t, path("a.ar")), ProjectStatus::Ok);
    EXPECT_EQ(ReadFile(path("a.ar")), expected);

    ArchiveTable back;
    ASSERT_EQ(openProject(back, path("a.ar")), ProjectStatus::Ok);
    ExpectSameTable(back, t);
}

TEST_F(ProjectFile, CellsAreWrittenColumnByColumn)
{
    ArchiveTable t(2, 2);
    t.setCell(0, 0, "a");
    t.setCell(1, 0, "b");
    t.setCell(0, 1, "c");
    // cell (1, 1) empty: a zero length and no bytes
    const QByteArray expected = Int32(2) + Int32(2) + Cell("a") + Cell("c") + Cell("b") + Int32(0);
    EXPECT_EQ(projectBytes(t), expected);
}

TEST_F(ProjectFile, SizeIsCountsPlusLengthsPlusTexts)
{
    const ArchiveTable t = SampleTable(5);
    qsizetype texts = 0;
    for (int c = 0; c < t.columnCount(); ++c)
        for (int r = 0; r < t.rowCount(); ++r) texts += t.cell(c, r).size(); // one byte per character
    ASSERT_EQ(saveProject(t, path("s.ar")), ProjectStatus::Ok);
    EXPECT_EQ(QFileInfo(path("s.ar")).size(), 8 + 12 * 6 * 4 + texts);
}

TEST_F(ProjectFile, RoundTripKeepsEveryCellAndTheFileBytes)
{
    ArchiveTable t = SampleTable(30);
    t.setCell(9, 3, QStringLiteral("ЁёЂ€™ «»")); // letters from the upper half of the code page
    ASSERT_EQ(saveProject(t, path("r.ar")), ProjectStatus::Ok);
    ArchiveTable back(1, 1);
    ASSERT_EQ(openProject(back, path("r.ar")), ProjectStatus::Ok);
    ExpectSameTable(back, t);
    ASSERT_EQ(saveProject(back, path("r2.ar")), ProjectStatus::Ok);
    EXPECT_EQ(ReadFile(path("r2.ar")), ReadFile(path("r.ar")));
}

TEST_F(ProjectFile, EveryByteValueSurvivesOpenAndSave)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(char(b));
    const QByteArray file = Int32(1) + Int32(1) + Cell(all);
    WriteFile(path("b.ar"), file);
    ArchiveTable t;
    ASSERT_EQ(openProject(t, path("b.ar")), ProjectStatus::Ok);
    EXPECT_EQ(t.cell(0, 0).size(), 256);
    EXPECT_EQ(projectBytes(t), file);
}

TEST_F(ProjectFile, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach)
{
    ArchiveTable t(1, 1);
    t.setCell(0, 0, QStringLiteral("a\u4E2Db") + QString::fromUcs4(U"\U0001F600"));
    EXPECT_EQ(projectBytes(t), Int32(1) + Int32(1) + Cell("a?b?"));
}

TEST_F(ProjectFile, SavingReplacesAnExistingFileAndLeavesNoTemporaryBehind)
{
    WriteFile(path("p.ar"), QByteArray(5000, 'x'));
    const ArchiveTable t = SampleTable(2);
    ASSERT_EQ(saveProject(t, path("p.ar")), ProjectStatus::Ok);
    EXPECT_EQ(ReadFile(path("p.ar")), projectBytes(t));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"p.ar"});
}

TEST_F(ProjectFile, SaveThatCannotCreateItsFileFailsAndWritesNothing)
{
    const ArchiveTable t = SampleTable(1);
    EXPECT_EQ(saveProject(t, path("missing/dir/p.ar")), ProjectStatus::CannotWrite);
    EXPECT_FALSE(QFileInfo::exists(path("missing")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("adir"));
    EXPECT_EQ(saveProject(t, path("adir")), ProjectStatus::CannotWrite);
    EXPECT_TRUE(QFileInfo(path("adir")).isDir());
}

struct BadFile {
    const char* name;
    QByteArray bytes;
    ProjectStatus status;
};

TEST_F(ProjectFile, DamagedFilesAreRefusedAndLeaveTheTableAsItWas)
{
    const QByteArray good = projectBytes(SampleTable(1));
    const std::initializer_list<BadFile> cases = {
        {"empty file", {}, ProjectStatus::Truncated},
        {"only the column count", Int32(12), ProjectStatus::Truncated},
        {"negative columns", Int32(-1) + Int32(2) + Int32(0) + Int32(0), ProjectStatus::BadCounts},
        {"negative rows", Int32(2) + Int32(-3) + Int32(0), ProjectStatus::BadCounts},
        {"zero columns", Int32(0) + Int32(1000000), ProjectStatus::BadCounts},
        {"zero rows", Int32(12) + Int32(0), ProjectStatus::BadCounts},
        {"counts beyond the file's size", Int32(0x7FFFFFFF) + Int32(0x7FFFFFFF) + Int32(0),
         ProjectStatus::BadCounts},
        {"one cell more than the file holds", Int32(1) + Int32(3) + Int32(0) + Int32(0),
         ProjectStatus::BadCounts},
        {"negative length", Int32(1) + Int32(1) + Int32(-1), ProjectStatus::BadLength},
        {"length past the end", Int32(1) + Int32(1) + Int32(10) + "abc", ProjectStatus::Truncated},
        {"huge length", Int32(1) + Int32(1) + Int32(0x7FFFFFFF) + "abc", ProjectStatus::Truncated},
        {"cut inside the last cell", good.left(good.size() - 1), ProjectStatus::Truncated},
        {"cut inside a length", Int32(1) + Int32(2) + Cell("ab") + QByteArray(2, '\0'),
         ProjectStatus::Truncated},
    };
    for (const BadFile& bad : cases) {
        SCOPED_TRACE(bad.name);
        WriteFile(path("bad.ar"), bad.bytes);
        ArchiveTable t = SampleTable(3);
        EXPECT_EQ(openProject(t, path("bad.ar")), bad.status);
        ExpectSameTable(t, SampleTable(3));
    }
}

TEST_F(ProjectFile, MissingOrUnreadableFilesAreRefused)
{
    for (const QString& name : {path("nothing.ar"), dir.path(), QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(name.toStdString());
        ArchiveTable t = SampleTable(2);
        EXPECT_NE(openProject(t, name), ProjectStatus::Ok);
        ExpectSameTable(t, SampleTable(2));
    }
}

TEST_F(ProjectFile, BytesAfterTheLastCellAreIgnored)
{
    const ArchiveTable t = SampleTable(2);
    WriteFile(path("t.ar"), projectBytes(t) + "trailing");
    ArchiveTable back;
    ASSERT_EQ(openProject(back, path("t.ar")), ProjectStatus::Ok);
    ExpectSameTable(back, t);
}

TEST_F(ProjectFile, OtherDimensionsThanTheArchiveAreKept)
{
    ArchiveTable t(3, 1);
    t.setCell(2, 0, "z");
    WriteFile(path("d.ar"), projectBytes(t));
    ArchiveTable back;
    ASSERT_EQ(openProject(back, path("d.ar")), ProjectStatus::Ok);
    ExpectSameTable(back, t);
}

} // namespace
