// Without the printing module the program says so in an error box and goes on: the report
// previews and the SVG map show no dialog and write nothing, the PNG map still works. Every
// test here runs with the module out of reach, so it has a program of its own.
#include "analysis/Unit7.h"

#include "SurveyFixture.h"
#include "app/SessionMemory.h"
#include "app/SharedState.h"
#include "exchange/print/PrintModule.h"
#include "support/MessageBoxWatch.h"
#include "ui/commands/Unit6.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

ArchiveTable BridgeTable()
{
    std::vector<FixtureRow> rows = LatestFirst(
        "Мост", 1, 3, 4, [](int s, int p) { return QString::number(20 * s + p) + QStringLiteral(".0"); });
    rows.erase(rows.begin());
    rows.front().length = 4;
    const auto pot =
        LatestFirst("Мост", 0, 3, 4, [](int s, int p) { return QString::number(-100 * s - 10 * p); });
    rows.insert(rows.end(), pot.begin(), pot.end());
    return FixtureTable(rows);
}

/// Closes any modal dialog that is not a message box, counting it: none may come up.
class OtherDialogWatch {
public:
    OtherDialogWatch()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || qobject_cast<QMessageBox*>(dialog)) return;
            names << QString::fromLatin1(dialog->metaObject()->className());
            dialog->reject();
        });
        timer_.start();
    }
    QStringList names;

private:
    QTimer timer_;
};

class PrintModuleMissing : public ::testing::Test {
protected:
    void SetUp() override
    {
        SessionMemory::clear();
        // A file that is not a module where the program is told to look; none beside the test.
        QFile file(dir_.filePath(QStringLiteral("liblm11print.so")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a shared object");
        file.close();
        qputenv(kPrintModuleVariable, QFile::encodeName(file.fileName()));
    }

    SharedState shared_;
    QTemporaryDir dir_;
};

struct LanguageCase {
    uint8_t lang;
    const char* caption;
    const char* text;
};
const LanguageCase kLanguages[] = {
    {0, "Ошибка", "Печать и запись SVG недоступны: не удалось загрузить модуль печати"},
    {1, "Error", "Printing and SVG saving are not available: the printing module could not be loaded"},
};

void ExpectModuleBox(const SeenBox& box, const LanguageCase& c)
{
    EXPECT_TRUE(box.shown);
    EXPECT_EQ(box.caption, QString::fromUtf8(c.caption));
    // The reason, from the loader, follows on a line of its own.
    EXPECT_TRUE(box.text.startsWith(QString::fromUtf8(c.text) + QLatin1Char('\n'))) << box.text.toStdString();
    EXPECT_GT(box.text.size(), QString::fromUtf8(c.text).size() + 1);
    EXPECT_EQ(box.icon, QMessageBox::Critical);
}

} // namespace

TEST_F(PrintModuleMissing, PreviewsShowTheBoxInsteadOfADialog)
{
    const ArchiveTable table = BridgeTable();
    for (const LanguageCase& c : kLanguages) {
        SCOPED_TRACE(c.caption);
        shared_.Lang = c.lang;
        OtherDialogWatch dialogs;
        {
            MessageBoxWatch boxes(10);
            OpenReportPreview(nullptr, table, shared_);
            ASSERT_EQ(boxes.boxes.size(), 1u);
            ExpectModuleBox(boxes.boxes[0], c);
        }
        TForm7 form(table, SurfaceBlocks(table), c.lang);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        {
            MessageBoxWatch boxes(10);
            form.Button3Click();
            ASSERT_EQ(boxes.boxes.size(), 1u);
            ExpectModuleBox(boxes.boxes[0], c);
        }
        EXPECT_TRUE(dialogs.names.isEmpty()) << dialogs.names.join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(PrintModuleMissing, SvgMapIsRefusedWithTheBoxAndPngStillWorks)
{
    const ArchiveTable table = BridgeTable();
    const QString svg = dir_.filePath(QStringLiteral("map.svg"));
    for (const LanguageCase& c : kLanguages) {
        SCOPED_TRACE(c.caption);
        TForm7 form(table, SurfaceBlocks(table), c.lang);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        auto* list = form.findChild<QListWidget*>(QStringLiteral("ListBox1"));
        ASSERT_NE(list, nullptr);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        MessageBoxWatch boxes(10);
        EXPECT_FALSE(form.writeMap(svg));
        ASSERT_EQ(boxes.boxes.size(), 1u);
        ExpectModuleBox(boxes.boxes[0], c);
        EXPECT_FALSE(QFile::exists(svg));
    }
    TForm7 form(table, SurfaceBlocks(table), 0);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* list = form.findChild<QListWidget*>(QStringLiteral("ListBox1"));
    ASSERT_NE(list, nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    MessageBoxWatch boxes(10);
    EXPECT_TRUE(form.writeMap(dir_.filePath(QStringLiteral("map.png"))));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(PrintModuleLoad, OnlyAModuleWithTheEntryLoads)
{
    QTemporaryDir dir;
    const QString notAModule = dir.filePath(QStringLiteral("liblm11print.so"));
    QFile file(notAModule);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a shared object");
    file.close();
    QString error;
    EXPECT_EQ(LoadPrintModule({dir.filePath(QStringLiteral("missing.so"))}, error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("liblm11print.so not found"))) << error.toStdString();
    EXPECT_EQ(LoadPrintModule({notAModule}, error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    // A shared object without the entry (the spreadsheet module) is no printing module.
    EXPECT_EQ(LoadPrintModule({QStringLiteral(LM11_SPREADSHEET_MODULE)}, error), nullptr);
    EXPECT_TRUE(error.contains(QLatin1String(kPrintEntry))) << error.toStdString();
    // The real module is found after ones that fail, with both functions.
    const PrintFunctions* functions = LoadPrintModule(
        {notAModule, QStringLiteral(LM11_SPREADSHEET_MODULE), QStringLiteral(LM11_PRINT_MODULE)}, error);
    ASSERT_NE(functions, nullptr) << error.toStdString();
    EXPECT_NE(functions->preview, nullptr);
    EXPECT_NE(functions->writeSvg, nullptr);
}
