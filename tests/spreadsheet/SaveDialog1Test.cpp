// The "Save to Exel" command as the user meets it: the save dialog and its type rule, the
// empty-table check, the messages, the sheet names in both languages and the name the
// dialog proposes next time.
#include "WorkbookReader.h"

#include "app/SharedState.h"
#include "archive/ArchiveTable.h"
#include "exchange/spreadsheet/SpreadsheetModule.h"
#include "support/MessageBoxWatch.h"
#include "texts/Texts.h"
#include "ui/commands/SaveDialog1.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

TEST(SaveDialog1TypeChange, AppendsTheEntryExtensionUnlessTheNameHasIt)
{
    const struct {
        const char* name;
        int filter;
        const char* result;
    } cases[] = {
        {"Arhive", 1, "Arhive.xlsx"},
        {"Arhive.xlsx", 0, "Arhive.xlsx"}, // ".xlsx" contains ".xls"
        {"Arhive", 0, "Arhive.xls"},
        {"Arhive", 2, "Arhive.xls"},
        {"Arhive.xls", 1, "Arhive.xls.xlsx"},
        {"a.xls.old", 0, "a.xls.old"}, // contained anywhere
        {"a.XLS", 0, "a.XLS.xls"},
        {"", 1, ".xlsx"},
        {"data.txt", 0, "data.txt.xls"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TypeChangedName(QString::fromLatin1(c.name), c.filter), QString::fromLatin1(c.result))
            << c.name << " / " << c.filter;
}

// Picks another file type the way a user does: keys on the closed type box.
void PickType(QFileDialog& dialog, int index)
{
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    // Home and End jump straight to the first and last entry; arrows pass every entry between.
    if (index == 0)
        QTest::keyClick(types, Qt::Key_Home);
    else if (index == types->count() - 1)
        QTest::keyClick(types, Qt::Key_End);
    while (types->currentIndex() < index) QTest::keyClick(types, Qt::Key_Down);
    while (types->currentIndex() > index) QTest::keyClick(types, Qt::Key_Up);
    ASSERT_EQ(types->currentIndex(), index);
}

QString TypedName(QFileDialog& dialog)
{
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    return edit ? edit->text() : QStringLiteral("<no name field>");
}

TEST(SaveDialog1Window, OffersTheTypesAndAppendsExtensionsOnTypeChange)
{
    QTemporaryDir dir;
    std::unique_ptr<QFileDialog> dialog(SaveDialog1::create(nullptr, QStringLiteral("Arhive")));
    dialog->setDirectory(dir.path());
    dialog->show();
    EXPECT_EQ(dialog->nameFilters(), SaveDialog1Filters());
    EXPECT_EQ(dialog->nameFilters().value(0), QStringLiteral("Exel 2003 (*.xls)"));
    EXPECT_EQ(dialog->nameFilters().value(1), QStringLiteral("Exel 2007 (*.xlsx)"));
    EXPECT_EQ(TypedName(*dialog), QStringLiteral("Arhive"));

    PickType(*dialog, 1);
    EXPECT_EQ(TypedName(*dialog), QStringLiteral("Arhive.xlsx"));
    PickType(*dialog, 0); // the dialog's own habit would make this Arhive.xls
    EXPECT_EQ(TypedName(*dialog), QStringLiteral("Arhive.xlsx"));

    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("survey"));
    PickType(*dialog, 2); // "All Files" counts as the 2003 type
    EXPECT_EQ(TypedName(*dialog), QStringLiteral("survey.xls"));
    PickType(*dialog, 1);
    EXPECT_EQ(TypedName(*dialog), QStringLiteral("survey.xls.xlsx"));
}

ArchiveTable FilledTable(int lang = 0)
{
    ArchiveTable table(12, 4);
    for (int c = 0; c < 12; ++c) table.setCell(c, 0, HeaderText(c, lang));
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < 12; ++c) table.setCell(c, r, QStringLiteral("%1/%2").arg(r).arg(c));
    return table;
}

class SaveTableToSpreadsheetTest : public ::testing::Test {
protected:
    // Replaces the dialog: records the proposed name and answers with `answer`.
    void answerWith(std::optional<QString> answer)
    {
        SaveDialog1::of(&window).setChooser([this, answer](QWidget* parent, const QString& proposed) {
            proposals.push_back(proposed);
            EXPECT_EQ(parent, &window);
            return answer;
        });
    }

    QWidget window;
    QTemporaryDir dir;
    QStringList proposals;
};

TEST_F(SaveTableToSpreadsheetTest, EmptyTableIsRefusedAfterTheDialog)
{
    const QString target = dir.filePath(QStringLiteral("a.xlsx"));
    answerWith(target);
    for (int lang : {0, 1}) {
        MessageBoxWatch boxes;
        ArchiveTable empty; // the start-up table: header only
        SaveTableToSpreadsheet(&window, empty, lang);
        ASSERT_TRUE(boxes.last().shown);
        EXPECT_EQ(boxes.last().text,
                  lang == 0 ? QStringLiteral("Архив не считан!") : QStringLiteral("Archive not read!"));
        EXPECT_EQ(boxes.last().caption, lang == 0 ? QStringLiteral("Ошибка") : QStringLiteral("Error"));
        EXPECT_EQ(boxes.last().icon, QMessageBox::Critical);
        EXPECT_FALSE(boxes.last().hasOwner);
    }
    EXPECT_FALSE(QFile::exists(target));
    // The refused name is proposed again, as the dialog was left.
    EXPECT_EQ(proposals, (QStringList{QStringLiteral("Arhive"), target}));
    EXPECT_EQ(SaveDialog1::of(&window).proposedName(), target);
}

TEST_F(SaveTableToSpreadsheetTest, SheetsAreNamedInTheCurrentLanguageAndTheNextNameIsEmpty)
{
    const struct {
        uint8_t lang;
        const char* file;
        const char* sheet;
    } cases[] = {{0, "ru.xls", "Архив измерений 1"},
                 {1, "en.xls", "Archive of measurements 1"},
                 {0, "ru.xlsx", "Архив измерений 1"},
                 {1, "en.xlsx", "Archive of measurements 1"}};
    for (const auto& c : cases) {
        const QString target = dir.filePath(QString::fromLatin1(c.file));
        answerWith(target);
        MessageBoxWatch boxes;
        const ArchiveTable table = FilledTable(c.lang);
        SaveTableToSpreadsheet(&window, table, c.lang);
        EXPECT_FALSE(boxes.last().shown) << boxes.last().text.toStdString();
        const QJsonArray sheets = ReadWorkbook(target, true);
        EXPECT_EQ(SheetNames(sheets), QStringList{QString::fromUtf8(c.sheet)}) << c.file;
        if (!sheets.isEmpty()) {
            EXPECT_TRUE(SheetHolds(sheets[0].toObject(), table, 0, 4)) << c.file;
        }
    }
    EXPECT_EQ(proposals, (QStringList{QStringLiteral("Arhive"), QString(), QString(), QString()}));
}

TEST_F(SaveTableToSpreadsheetTest, FailedExportWarnsAndProposesTheChosenNameAgain)
{
    const QString chosen = dir.filePath(QStringLiteral("no/such/folder/a.xlsx"));
    answerWith(chosen);
    for (int lang : {0, 1}) {
        MessageBoxWatch boxes;
        SaveTableToSpreadsheet(&window, FilledTable(lang), lang);
        ASSERT_TRUE(boxes.last().shown);
        EXPECT_EQ(boxes.last().text, lang == 0 ? QStringLiteral("Экспорт данных - Ошибка !!!")
                                               : QStringLiteral("Export of the data - Error !!!"));
        EXPECT_EQ(boxes.last().caption, lang == 0 ? QStringLiteral("Внимание") : QStringLiteral("Warning"));
        EXPECT_EQ(boxes.last().icon, QMessageBox::Critical);
        EXPECT_EQ(boxes.boxes.size(), 1u);
    }
    EXPECT_EQ(proposals, (QStringList{QStringLiteral("Arhive"), chosen}));
    EXPECT_EQ(SaveDialog1::of(&window).proposedName(), chosen);
}

TEST_F(SaveTableToSpreadsheetTest, MissingWritersSayTheSpreadsheetCannotBeOpenedBeforeTheExportError)
{
    const QString chosen = dir.filePath(QStringLiteral("a.xlsx"));
    answerWith(chosen);
    int exports = 0;
    SaveDialog1::of(&window).setExporter([&](const ArchiveTable&, const QString&, const QString&) {
        ++exports;
        return SpreadsheetResult{SpreadsheetStatus::WriterMissing, QStringLiteral("liblm11xls.so not found")};
    });
    const struct {
        uint8_t lang;
        const char* pairCaption;
        const char* pair;
        const char* caption;
        const char* text;
    } cases[] = {
        {0, "Ошибка", "Невозможно открыть Microsoft Excel!\nВозможно Excel не установлен на компьютере",
         "Внимание", "Экспорт данных - Ошибка !!!"},
        {1, "Error",
         "It is impossible to open Microsoft Excel!\nProbably Excel it is not established on the computer",
         "Warning", "Export of the data - Error !!!"},
    };
    for (const auto& c : cases) {
        MessageBoxWatch boxes;
        SaveTableToSpreadsheet(&window, FilledTable(c.lang), c.lang);
        ASSERT_EQ(boxes.boxes.size(), 2u);
        EXPECT_EQ(boxes.boxes[0].caption, QString::fromUtf8(c.pairCaption));
        EXPECT_EQ(boxes.boxes[0].text, QString::fromUtf8(c.pair));
        EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Critical);
        EXPECT_FALSE(boxes.boxes[0].hasOwner);
        EXPECT_EQ(boxes.boxes[1].caption, QString::fromUtf8(c.caption));
        EXPECT_EQ(boxes.boxes[1].text, QString::fromUtf8(c.text));
    }
    EXPECT_EQ(exports, 2);
    EXPECT_EQ(proposals, (QStringList{QStringLiteral("Arhive"), chosen}));
    EXPECT_FALSE(QFile::exists(chosen));
}

TEST(SpreadsheetModule, OnlyAModuleWithTheExportFunctionLoads)
{
    QTemporaryDir dir;
    const QString notAModule = dir.filePath(QStringLiteral("liblm11xls.so"));
    QFile file(notAModule);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a shared object");
    file.close();
    QString error;
    EXPECT_EQ(LoadSpreadsheetModule({dir.filePath(QStringLiteral("missing.so"))}, error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("not found"))) << error.toStdString();
    EXPECT_EQ(LoadSpreadsheetModule({notAModule}, error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    // The real module is found after ones that fail.
    EXPECT_NE(LoadSpreadsheetModule({notAModule, QStringLiteral(LM11_SPREADSHEET_MODULE)}, error), nullptr)
        << error.toStdString();
}

TEST_F(SaveTableToSpreadsheetTest, ANameWithoutExtensionIsSavedAsAnXlsxWorkbook)
{
    const QString chosen = dir.filePath(QStringLiteral("Arhive"));
    answerWith(chosen);
    MessageBoxWatch boxes;
    const ArchiveTable table = FilledTable();
    SaveTableToSpreadsheet(&window, table, 0);
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.last().text.toStdString();
    EXPECT_FALSE(QFile::exists(chosen));
    EXPECT_EQ(FileStart(chosen + QStringLiteral(".xlsx")), QByteArray("PK\x03\x04", 4));
    const QJsonArray sheets = ReadWorkbook(chosen + QStringLiteral(".xlsx"), true);
    ASSERT_FALSE(sheets.isEmpty());
    EXPECT_TRUE(SheetHolds(sheets[0].toObject(), table, 0, 4));
}

TEST_F(SaveTableToSpreadsheetTest, CancelDoesNothing)
{
    answerWith(std::nullopt);
    MessageBoxWatch boxes;
    ArchiveTable empty;
    SaveTableToSpreadsheet(&window, empty, 0); // even an empty table draws no message once cancelled
    SaveTableToSpreadsheet(&window, FilledTable(), 0);
    EXPECT_FALSE(boxes.last().shown);
    EXPECT_EQ(proposals, (QStringList{QStringLiteral("Arhive"), QStringLiteral("Arhive")}));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(SaveTableToSpreadsheetTest, RealDialogSavesUnderTheTypedName)
{
    const QString target = dir.filePath(QStringLiteral("typed.xls"));
    QString proposed;
    bool answered = false;
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || answered) return;
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!edit) return;
        answered = true;
        proposed = edit->text();
        edit->setText(target);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    typist.start(20);
    SaveTableToSpreadsheet(&window, FilledTable(), 0);
    typist.stop();
    ASSERT_TRUE(answered);
    EXPECT_EQ(proposed, QStringLiteral("Arhive"));
    EXPECT_EQ(FileStart(target), QByteArray("\xD0\xCF\x11\xE0", 4));
    EXPECT_EQ(SaveDialog1::of(&window).proposedName(), QString());
}

} // namespace
