// The settings editor as a user meets it: typing into cells, moving with Enter, Tab and the
// mouse, and pressing "Load into the device" in front of a scripted instrument.
#include "GridInput.h"
#include "app/SharedState.h"
#include "exchange_machine/FakeInstrument.h"
#include "settings/Unit3.h"
#include "texts/Texts.h"
#include "ui/ExchangeStarters.h"
#include "worker/WorkerTestSupport.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class ForwardingLink final : public Link {
public:
    explicit ForwardingLink(fake::FakeInstrument* target) : target_(target) {}
    int load() override { return target_->load(); }
    int open() override { return target_->open(); }
    bool write(const uint8_t* b, int n) override { return target_->write(b, n); }
    int read(uint8_t* b, int n) override { return target_->read(b, n); }
    void close() override { target_->close(); }

private:
    fake::FakeInstrument* target_;
};

bool ExchangeRunning() { return RunningExchange() != nullptr; }

const QStringList kFilledRow = {"", "Объект", "-500", "500", "0", "999", "10", "20", "30"};

class SettingsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        shared.VersionUnread = 0;
        SetLinkFactory([this] { return std::make_unique<ForwardingLink>(&instrument); });
    }
    void TearDown() override
    {
        form.reset();
        StopExchangeAtExit();
        EXPECT_FALSE(ExchangeRunning());
        SetLinkFactory(nullptr);
    }

    /// A new window in `lang`, its rows filled as a read leaves them.
    void open(int lang = 0, bool filled = true)
    {
        shared.Lang = uint8_t(lang);
        form = std::make_unique<TForm3>(shared);
        if (filled)
            for (int r = 1; r <= kSettingsObjects; ++r)
                for (int c = 0; c < kSettingsColumns; ++c)
                    grid()->item(r, c)->setText(c == 0 ? QString::number(r) : kFilledRow[c]);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    QTableWidget* grid() const { return form->StringGrid1; }
    QLineEdit* editor() const { return grid_input::Editor(grid()); }
    QString shown(int row, int column) const { return grid_input::Shown(grid(), row, column); }
    std::pair<int, int> current() const { return {grid()->currentRow(), grid()->currentColumn()}; }
    static void settle() { grid_input::Settle(); }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
    {
        grid_input::Key(grid(), k, modifiers, text);
    }
    void typeChar(QChar c) { grid_input::TypeChar(grid(), c); }
    void type(const QString& text) { grid_input::Type(grid(), text); }
    void clickCell(int row, int column) { grid_input::ClickCell(grid(), row, column); }
    void enter(int row, int column, const QString& text) { grid_input::Enter(grid(), row, column, text); }
    std::vector<QString> boxTexts() const
    {
        std::vector<QString> texts;
        for (const auto& b : boxes.boxes) texts.push_back(b.text);
        return texts;
    }
    void clickLoad()
    {
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        settle();
    }
    SettingsBlock sentBlock() const
    {
        SettingsBlock block{};
        if (instrument.written.size() == block.size())
            std::copy(instrument.written.begin(), instrument.written.end(), block.begin());
        return block;
    }

    fake::FakeInstrument instrument;
    SharedState shared;
    std::unique_ptr<TForm3> form;
    MessageBoxWatch boxes;
};

TEST_F(SettingsWindow, NewWindowShowsTheTableFrameInEitherLanguage)
{
    for (int lang : {0, 1}) {
        open(lang, false);
        EXPECT_EQ(form->windowTitle(), lang ? "Objects Settings" : "Настройка Объектов");
        EXPECT_EQ(form->Button1->text(), lang ? "Load into the device" : "Загрузить в прибор");
        EXPECT_FALSE(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(form->windowFlags() & Qt::WindowCloseButtonHint);
        ASSERT_EQ(grid()->rowCount(), 21);
        ASSERT_EQ(grid()->columnCount(), 9);
        const QFontMetrics metrics(grid()->font());
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid());
        ASSERT_TRUE(table && table->tableInterface());
        for (int c = 0; c < 9; ++c) {
            const QString heading = grid()->item(0, c)->text();
            EXPECT_EQ(heading, SettingsHeaderText(c, lang));
            // Nothing of a heading is cut: on this small screen the headings wrap, and all of
            // each fits its cell.
            const QRect room(0, 0, grid()->columnWidth(c) - 6, 1000);
            const QRect used = metrics.boundingRect(room, Qt::TextWordWrap, heading);
            EXPECT_LE(used.width(), room.width()) << lang << " column " << c;
            EXPECT_LE(used.height(), grid()->rowHeight(0)) << lang << " column " << c;
            // A screen reader names a cell by its heading, and its row by the object number.
            QAccessibleInterface* cell = table->tableInterface()->cellAt(7, c);
            ASSERT_TRUE(cell && cell->tableCellInterface());
            // Qt hands out new, unregistered header interfaces here; they go through the
            // accessibility cache, the only way to delete one.
            const auto headers = cell->tableCellInterface()->columnHeaderCells();
            const auto rowHeaders = cell->tableCellInterface()->rowHeaderCells();
            const auto release = qScopeGuard([&] {
                for (QAccessibleInterface* header : headers + rowHeaders)
                    QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(header));
            });
            ASSERT_EQ(headers.size(), 1);
            EXPECT_EQ(headers.front()->text(QAccessible::Name), heading);
            EXPECT_EQ(table->tableInterface()->columnDescription(c), heading);
            ASSERT_EQ(rowHeaders.size(), 1);
            EXPECT_EQ(rowHeaders.front()->text(QAccessible::Name), "7");
        }
        // The heading row holds the wrapped headings.
        EXPECT_GT(grid()->rowHeight(0), grid()->rowHeight(1));
        if (lang == 0) {
            EXPECT_EQ(grid()->item(0, 3)->text().at(3), QLatin1Char('c'));
        }
        for (int r = 1; r <= 20; ++r)
            for (int c = 0; c < 9; ++c) EXPECT_TRUE(grid()->item(r, c)->text().isEmpty());
        // The gauge shows from the start, navy and without a percentage.
        EXPECT_TRUE(form->CGauge1->isVisible());
        EXPECT_FALSE(form->CGauge1->isTextVisible());
        EXPECT_EQ(form->CGauge1->palette().color(QPalette::Highlight), QColor(0, 0, 128));
        // On the screen, frame included, and centred on it (give or take half the room kept
        // for a title bar, which the window system draws as high as it likes).
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(screen.contains(form->frameGeometry()));
        EXPECT_LE(std::abs(form->geometry().center().x() - screen.center().x()), 2);
        EXPECT_LE(std::abs(form->geometry().center().y() - screen.center().y()), 16);
        form.reset();
    }
}

TEST_F(SettingsWindow, FixedRowAndColumnTakeNoFocusAndNoEditing)
{
    ASSERT_NO_FATAL_FAILURE(open());
    clickCell(1, 2);
    key(Qt::Key_Up);
    EXPECT_EQ(current(), std::make_pair(1, 2));
    clickCell(3, 1);
    key(Qt::Key_Left);
    EXPECT_EQ(current(), std::make_pair(3, 1));
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, Qt::NoModifier,
                       grid()->visualItemRect(grid()->item(0, 4)).center());
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, Qt::NoModifier,
                       grid()->visualItemRect(grid()->item(5, 0)).center());
    settle();
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(current(), std::make_pair(3, 1));
}

TEST_F(SettingsWindow, TypedValuesAreJudgedKeystrokeByKeystroke)
{
    const QString potential = "Диапазон измерений датчика потенциала -999...+999 мВ";
    const QString resistance = "Диапазон измерений датчика сопротивления 0...+999 кОм*см";
    const QString series = "Колич. измерений в серии от 1 до 99";
    const QString stepX = "Шаг по X от 10 до 150 кратно 10";
    const QString stepY = "Шаг по Y от 10 до 150 кратно 10";
    const struct {
        int column;
        QString typed;
        int refusedAt; ///< index of the keystroke that brings the message, -1 for none
        QString message;
        QString result;
    } cases[] = {
        {2, "1000", 3, potential, ""}, {3, "-999", -1, "", "-999"}, {4, "-5", 1, resistance, ""},
        {5, "999", -1, "", "999"},     {6, "0", 0, series, ""},     {6, "99", -1, "", "99"},
        {6, "100", 2, series, ""},     {7, "0", 0, stepX, ""},      {7, "150", -1, "", "150"},
        {8, "151", 2, stepY, ""},      {7, "-20", 0, stepX, "20"}, // the minus goes at once; the digits after
                                                                   // it stay
    };
    ASSERT_NO_FATAL_FAILURE(open());
    for (const auto& c : cases) {
        SCOPED_TRACE(QString("column %1 typing %2").arg(c.column).arg(c.typed).toStdString());
        boxes.boxes.clear();
        clickCell(2, c.column);
        for (int i = 0; i < c.typed.size(); ++i) {
            typeChar(c.typed[i]);
            const bool refused = c.refusedAt >= 0 && i >= c.refusedAt;
            ASSERT_EQ(boxes.boxes.size(), refused ? 1u : 0u) << "after keystroke " << i;
            if (i == c.refusedAt) {
                EXPECT_EQ(shown(2, c.column), "") << "the cell is emptied";
            }
        }
        EXPECT_EQ(shown(2, c.column), c.result);
        if (c.refusedAt >= 0) {
            EXPECT_EQ(boxes.boxes[0].text, c.message);
            EXPECT_EQ(boxes.boxes[0].caption, "Внимание");
            EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Critical);
            EXPECT_EQ(boxes.boxes[0].buttons, 1);
            EXPECT_FALSE(boxes.boxes[0].hasOwner);
        }
        // Escape leaves an open editor; with none, it would close the window.
        if (editor()) key(Qt::Key_Escape);
    }
    // Filling the table is not typing: a read that brings odd values shows no box.
    boxes.boxes.clear();
    grid()->item(4, 6)->setText("0");
    grid()->item(4, 2)->setText("5000");
    settle();
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SettingsWindow, LettersGoIntoNamesOnlyAndEditingKeysKeepWorking)
{
    ASSERT_NO_FATAL_FAILURE(open(1));
    enter(3, 2, "5a");
    ASSERT_EQ(boxTexts(), std::vector<QString>{"To enter only figures!"});
    EXPECT_EQ(boxes.boxes[0].caption, "Warning");
    EXPECT_EQ(shown(3, 2), "5");

    boxes.boxes.clear();
    enter(3, 1, "Bridge A");
    EXPECT_EQ(shown(3, 1), "Bridge A");
    EXPECT_TRUE(boxes.boxes.empty());

    // Editing keys in a number, with the texts the keyboard sends for them (Delete is 0x7F).
    enter(4, 2, "-123");
    key(Qt::Key_Home);
    key(Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f"));
    EXPECT_EQ(shown(4, 2), "123");
    key(Qt::Key_End);
    key(Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    key(Qt::Key_Left);
    typeChar('7');
    EXPECT_EQ(shown(4, 2), "172");

    // Copy and paste are shortcuts, not typed characters.
    enter(4, 3, "-12");
    key(Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01"));
    key(Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
    key(Qt::Key_Escape);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "-12");
    clickCell(5, 2);
    key(Qt::Key_F2);
    key(Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01"));
    key(Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    EXPECT_EQ(shown(5, 2), "-12");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SettingsWindow, NamesKeepTenCharactersTheInstrumentCanStore)
{
    ASSERT_NO_FATAL_FAILURE(open());
    enter(1, 1, "Мостовая123");
    EXPECT_EQ(shown(1, 1), "Мостовая12");
    key(Qt::Key_Return);
    EXPECT_EQ(grid()->item(1, 1)->text(), "Мостовая12");

    enter(2, 1, QString::fromUtf16(u"Ab\u4E2Dc"));
    EXPECT_EQ(shown(2, 1), "Abc");
    EXPECT_EQ(
        form->Label1->text(),
        QString::fromUtf16(u"Символ «\u4E2D» не сохраняется в приборе: его нет в кодировке Windows-1251"));
    // A pasted name loses the same characters.
    QGuiApplication::clipboard()->setText(QString::fromUtf16(u"\u00C4rger €"));
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(shown(2, 1), "Abcrger €");
    EXPECT_TRUE(form->Label1->text().contains(QString::fromUtf16(u"\u00C4")));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SettingsWindow, EnterMovesDownAndWrapsFromTheLastRow)
{
    ASSERT_NO_FATAL_FAILURE(open());
    clickCell(19, 3);
    key(Qt::Key_Return);
    EXPECT_EQ(current(), std::make_pair(20, 3));
    key(Qt::Key_Enter);
    EXPECT_EQ(current(), std::make_pair(1, 3));
    // From the editor: the text is kept, then the move.
    clickCell(20, 2);
    type("-7");
    key(Qt::Key_Return);
    EXPECT_EQ(current(), std::make_pair(1, 2));
    EXPECT_EQ(grid()->item(20, 2)->text(), "-7");
    EXPECT_EQ(editor(), nullptr);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SettingsWindow, StepColumnIsPutInTensWhenOneOfItsCellsBecomesCurrent)
{
    const QString stepX = "Step X from 10 to 150 in increments of 10";
    const QString stepY = "Step Y from 10 to 150 in increments of 10";
    ASSERT_NO_FATAL_FAILURE(open(1));
    // 15 passes the typing check and survives the move to the other step column.
    enter(3, 7, "15");
    key(Qt::Key_Tab);
    EXPECT_EQ(current(), std::make_pair(3, 8));
    EXPECT_EQ(grid()->item(3, 7)->text(), "15");
    EXPECT_TRUE(boxes.boxes.empty());
    // Back in column 7, on any of its rows.
    clickCell(12, 7);
    EXPECT_EQ(boxTexts(), std::vector<QString>{stepX});
    EXPECT_EQ(grid()->item(3, 7)->text(), "10");

    // Two offending rows, two boxes; moving within the column checks it again.
    boxes.boxes.clear();
    grid()->item(2, 8)->setText("25");
    grid()->item(9, 8)->setText("145");
    grid()->item(5, 8)->setText("");
    grid()->item(6, 8)->setText("0");
    clickCell(1, 8);
    EXPECT_EQ(boxTexts(), (std::vector<QString>{stepY, stepY}));
    EXPECT_EQ(grid()->item(2, 8)->text(), "10");
    EXPECT_EQ(grid()->item(9, 8)->text(), "10");
    EXPECT_EQ(grid()->item(5, 8)->text(), "");
    EXPECT_EQ(grid()->item(6, 8)->text(), "0");
    boxes.boxes.clear();
    grid()->item(4, 8)->setText("35");
    key(Qt::Key_Down);
    EXPECT_EQ(boxTexts(), std::vector<QString>{stepY});
    EXPECT_EQ(grid()->item(4, 8)->text(), "10");
    EXPECT_EQ(grid()->item(3, 7)->text(), "10") << "the other step column is not examined";
}

TEST_F(SettingsWindow, SendIsRefusedForWhatTheInstrumentCannotTake)
{
    struct Cell {
        int row = 0, column = 0;
        QString text;
    };
    const QString crossed = "Нижняя граница измерений должна быть меньше верхней";
    const struct {
        const char* name;
        std::vector<Cell> read; ///< cells as a read left them
        Cell typed;             ///< what the user typed last (row 0: nothing)
        QString message;
        std::vector<Cell> after;
    } cases[] = {
        {"both potentials empty", {{3, 2, ""}, {3, 3, ""}}, {}, crossed, {{3, 2, ""}, {3, 3, ""}}},
        {"crossed resistance pair, potentials in order",
         {{5, 4, "700"}},
         {5, 5, "600"},
         crossed,
         {{5, 4, ""}, {5, 5, ""}, {5, 2, "-500"}, {5, 3, "500"}}},
        {"empty minimum below its maximum",
         {{4, 2, ""}},
         {},
         "Неверное значение: строка 4, столбец 2",
         {{4, 3, "500"}}},
        {"lone minus", {}, {2, 3, "-"}, "Неверное значение: строка 2, столбец 3", {{2, 3, "-"}}},
        {"series of 0 from the instrument",
         {{7, 6, "0"}},
         {},
         "Колич. измерений в серии от 1 до 99",
         {{7, 6, "0"}}},
        {"step of 15", {}, {7, 8, "15"}, "Шаг по Y от 10 до 150 кратно 10", {{7, 8, "10"}}},
    };
    ASSERT_NO_FATAL_FAILURE(open());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int r = 1; r <= kSettingsObjects; ++r)
            for (int col = 1; col < kSettingsColumns; ++col) grid()->item(r, col)->setText(kFilledRow[col]);
        for (const Cell& cell : c.read) grid()->item(cell.row, cell.column)->setText(cell.text);
        if (c.typed.row > 0) enter(c.typed.row, c.typed.column, c.typed.text);
        boxes.boxes.clear();
        clickLoad();
        EXPECT_EQ(boxTexts(), std::vector<QString>{c.message});
        for (const Cell& cell : c.after)
            EXPECT_EQ(grid()->item(cell.row, cell.column)->text(), cell.text)
                << cell.row << "," << cell.column;
        EXPECT_FALSE(ExchangeRunning());
        EXPECT_TRUE(instrument.log.empty()) << "nothing reached the instrument";
    }
}

TEST_F(SettingsWindow, WidestRangesAreSentWithTheOpenEditorsValue)
{
    ASSERT_NO_FATAL_FAILURE(open());
    enter(1, 2, "-999");
    enter(1, 3, "999");
    enter(1, 1, "Склад");
    ASSERT_NE(editor(), nullptr);
    clickLoad(); // the name is still being typed
    EXPECT_FALSE(form->Button1->isEnabled()) << "no second send while this one runs";
    EXPECT_TRUE(form->CGauge1->isVisible());
    ASSERT_TRUE(WaitUntil([] { return !ExchangeRunning(); }, 10000));
    settle();
    EXPECT_TRUE(boxes.boxes.empty());
    ASSERT_EQ(instrument.written.size(), kSettingsBlockSize);
    const SettingsBlock block = sentBlock();
    const ObjectSettings first = DecodeSettingsEntry(block, 0);
    EXPECT_EQ(first.potentialMin, -999);
    EXPECT_EQ(first.potentialMax, 999);
    EXPECT_EQ(first.nameRu, "Склад");
    EXPECT_EQ(first.nameEn, "Object 1") << "the other language's name goes back as it was";
    const ObjectSettings last = DecodeSettingsEntry(block, 19);
    EXPECT_EQ(last.stepX, 20);
    EXPECT_EQ(last.stepY, 30);
    EXPECT_EQ(form->CGauge1->value(), 50);
    EXPECT_FALSE(form->CGauge1->isVisible());
    EXPECT_EQ(form->Label1->text(), "Готово");
    EXPECT_TRUE(form->Button1->isEnabled());

    // A step of 15 is put in tens at the first press and sent at the second.
    instrument = fake::FakeInstrument();
    enter(6, 7, "15");
    clickLoad();
    EXPECT_EQ(boxTexts(), std::vector<QString>{"Шаг по X от 10 до 150 кратно 10"});
    EXPECT_TRUE(instrument.log.empty());
    clickLoad();
    ASSERT_TRUE(WaitUntil([] { return !ExchangeRunning(); }, 10000));
    ASSERT_EQ(instrument.written.size(), kSettingsBlockSize);
    EXPECT_EQ(DecodeSettingsEntry(sentBlock(), 5).stepX, 10);
}

TEST_F(SettingsWindow, ClosingTheWindowDuringASendStillDeliversTheWholeBlock)
{
    ASSERT_NO_FATAL_FAILURE(open());
    enter(9, 3, "321");
    clickLoad();
    // Past 25 the block is on its way to the instrument.
    ASSERT_TRUE(WaitUntil([this] { return form->CGauge1->value() > 25; }, 5000));
    form->close();
    ASSERT_TRUE(WaitUntil([] { return !ExchangeRunning(); }, 5000));
    ASSERT_EQ(instrument.written.size(), kSettingsBlockSize);
    EXPECT_EQ(DecodeSettingsEntry(sentBlock(), 8).potentialMax, 321);
}

TEST_F(SettingsWindow, LoadWaitsWhileAnyExchangeRuns)
{
    ASSERT_NO_FATAL_FAILURE(open());
    EXPECT_TRUE(form->Button1->isEnabled());
    // The instrument is missing: the read goes on looking for it.
    instrument.openFailures = 1000000;
    form->StartRead();
    EXPECT_FALSE(form->Button1->isEnabled());
    ASSERT_TRUE(WaitUntil([this] { return form->Label1->text() == "Проверьте подключение"; }, 5000));
    EXPECT_FALSE(form->Button1->isEnabled());
    // Another window's exchange counts as well.
    form->close();
    ASSERT_TRUE(WaitUntil([] { return !ExchangeRunning(); }, 5000)) << "closing the window ends its read";
    settle();
    EXPECT_TRUE(form->Button1->isEnabled());
    shared.activity.setRunning(true);
    settle();
    EXPECT_FALSE(form->Button1->isEnabled());
    shared.activity.setRunning(false);
    settle();
    EXPECT_TRUE(form->Button1->isEnabled());
}

} // namespace

namespace {

TEST_F(SettingsWindow, TheBlockSentIsTheOneCheckedAtTheClick)
{
    ASSERT_NO_FATAL_FAILURE(open());
    // The instrument is found only at the third try: the send waits well past the edits below.
    instrument.openFailures = 2;
    enter(3, 2, "400");
    clickLoad();
    EXPECT_FALSE(form->Button1->isEnabled());
    EXPECT_TRUE(form->CGauge1->isVisible()) << "the waiting send is in sight";
    // Edits made while the send waits: a crossed pair and a new name. The table stays editable.
    enter(3, 3, "100");
    key(Qt::Key_Return);
    enter(5, 1, "Позже");
    key(Qt::Key_Return);
    EXPECT_EQ(shown(3, 3), "100");
    ASSERT_TRUE(WaitUntil([] { return !ExchangeRunning(); }, 10000));
    settle();
    ASSERT_EQ(instrument.written.size(), kSettingsBlockSize);
    const ObjectSettings third = DecodeSettingsEntry(sentBlock(), 2);
    EXPECT_EQ(third.potentialMin, 400);
    EXPECT_EQ(third.potentialMax, 500) << "the edit after the click is not sent";
    EXPECT_EQ(DecodeSettingsEntry(sentBlock(), 4).nameRu, "Объект");
    EXPECT_EQ(form->Label1->text(), "Готово");
    EXPECT_EQ(shown(3, 3), "100") << "the later edit stays in the table for the next send";
}

TEST_F(SettingsWindow, EscapeCancelsACellEditAndNeverClosesTheEditor)
{
    ASSERT_NO_FATAL_FAILURE(open());
    enter(2, 2, "-12");
    ASSERT_NE(editor(), nullptr);
    key(Qt::Key_Escape);
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(shown(2, 2), "-500") << "the cancelled edit leaves the cell as it was";
    for (int i = 0; i < 2; ++i) key(Qt::Key_Escape);
    settle();
    EXPECT_TRUE(form->isVisible()) << "Escape with no cell edit must not throw the table away";
    EXPECT_EQ(shown(1, 1), "Объект");
}

TEST_F(SettingsWindow, MinimisingDuringAnExchangeDoesNotStopIt)
{
    // The read as the window opens, and a send: each looks for the instrument a few times first.
    for (bool send : {false, true}) {
        SCOPED_TRACE(send ? "send" : "read");
        ASSERT_NO_FATAL_FAILURE(open(0, send));
        instrument.openFailures = 2;
        if (send)
            clickLoad();
        else
            form->StartRead();
        ASSERT_TRUE(ExchangeRunning());
        form->showMinimized();
        settle();
        QTest::qWait(300);
        form->showNormal();
        ASSERT_TRUE(WaitUntil([] { return !ExchangeRunning(); }, 10000));
        settle();
        EXPECT_EQ(form->Label1->text(), "Готово");
        EXPECT_TRUE(form->Button1->isEnabled());
        if (send)
            EXPECT_EQ(instrument.written.size(), kSettingsBlockSize);
        else
            EXPECT_FALSE(shown(1, 1).isEmpty()) << "the rows read are shown";
        form.reset();
        instrument = fake::FakeInstrument();
    }
}

} // namespace
