// The screenshot window against the simulated instrument, in real time: the picture the user
// sees and the file and clipboard image it writes, the waits and failures on the way.
#include "../ui/ModalAnswers.h"
#include "app/SharedState.h"
#include "device/BMTreadUSB.h"
#include "device/Formats.h"
#include "screenshot/ColorBox.h"
#include "screenshot/Unit5.h"
#include "support/SimulatorScenario.h"
#include "texts/Texts.h"
#include "ui/ExchangeStarters.h"
#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <dlfcn.h>

#include <memory>
#include <random>
#include <set>

namespace {

bool ExchangeRunning() { return RunningExchange() != nullptr; }

// A display with something in every part of it, and noise in the high bytes, which the
// instrument sends but which carry nothing.
ScreenImage PatternedDisplay()
{
    ScreenImage image{};
    std::mt19937 random(11);
    for (auto& byte : image) byte = uint8_t(random());
    return image;
}

// What the instrument shows, framed as the window must frame it, built from the display's
// own pixel rule rather than from the window's code.
QImage ExpectedPicture(const ScreenImage& display, QRgb ink, QRgb background)
{
    QImage image(132, 68, QImage::Format_RGB32);
    for (int x = 0; x < 132; ++x)
        for (int y = 0; y < 68; ++y) {
            const bool frame = x == 0 || y == 0 || x == 131 || y == 67;
            image.setPixel(x, y, frame || ScreenPixel(display, x - 2, y - 2) ? ink : background);
        }
    return image;
}

std::set<QRgb> Colours(const QImage& image)
{
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y) | 0xFF000000u);
    return colours;
}

class ScreenshotWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("LM11_LIBUSB", LM11_BINARY_DIR "/sim/liblm11sim.so", 1);
        SetLinkFactory(nullptr);
        ASSERT_TRUE(dir.isValid());
        display = PatternedDisplay();
        QFile file(dir.filePath("display.bin"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(display.data()), qint64(display.size()));
        file.close();
        QApplication::clipboard()->clear();
    }
    void TearDown() override
    {
        form.reset();
        StopExchangeAtExit();
        EXPECT_FALSE(ExchangeRunning());
    }

    void openForm()
    {
        form = std::make_unique<TForm5>(shared);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    bool loadDisplay(const QByteArray& more = {})
    {
        return LoadScenario("screen \"" + dir.filePath("display.bin").toUtf8() + "\"\n" + more);
    }
    bool idle() const
    {
        return form->Button1->isEnabled() && !form->Timer1->isActive() && form->CGauge1->isHidden();
    }
    bool waiting() const
    {
        return !form->Button1->isEnabled() && form->Timer1->isActive() && form->CGauge1->isVisible();
    }
    // Update, as the user clicks it, then wait until the window is idle again.
    void update()
    {
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        EXPECT_TRUE(waiting());
        ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 10000)) << "idle()";
        ASSERT_TRUE(QTest::qWaitFor([&] { return !ExchangeRunning(); }, 5000)) << "!ExchangeRunning()";
    }
    // Ticks "save to *.bmp" and answers its dialog: a name, or a cancel for an empty one.
    // The window keeps one dialog, so each opening gets answers of its own.
    void tickSaveAndChoose(const QString& path)
    {
        ModalAnswers answers;
        if (path.isEmpty())
            answers.cancelFile();
        else
            answers.chooseFile(path);
        QTest::mouseClick(form->CheckBox1, Qt::LeftButton);
        EXPECT_TRUE(form->CheckBox1->isChecked());
        EXPECT_TRUE(answers.allAnswered());
        EXPECT_TRUE(answers.unexpected().isEmpty()) << answers.unexpected().join("; ").toStdString();
    }

    QTemporaryDir dir;
    ScreenImage display{};
    SharedState shared;
    std::unique_ptr<TForm5> form;
};

TEST_F(ScreenshotWindow, OpensIdleWithItsTextsInEitherLanguage)
{
    struct Texts {
        int lang;
        QStringList expected; // caption, button, two boxes, two labels
    };
    const std::vector<Texts> cases = {
        {0, {"Скриншот", "Обновить", "сохранять в *.bmp", "сохранять в буфер", "цвет надписи", "цвет фона"}},
        {1, {"Screenshot", "Update", "save to *.bmp", "save to clipboard", "pen", "background"}},
    };
    for (const Texts& c : cases) {
        SCOPED_TRACE(c.lang);
        shared.Lang = uint8_t(c.lang);
        openForm();
        EXPECT_EQ((QStringList{form->windowTitle(), form->Button1->text(), form->CheckBox1->text(),
                               form->CheckBox2->text(), form->Label1->text(), form->Label2->text()}),
                  c.expected);
        EXPECT_EQ(form->size(), QSize(423, 353));
        EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "fixed size";
        EXPECT_FALSE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(form->windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(form->Image1->size(), QSize(400, 200));
        EXPECT_EQ(form->Image1->picture().size(), QSize(132, 68));
        EXPECT_EQ(form->CGauge1->size(), QSize(401, 9));
        EXPECT_TRUE(idle());
        EXPECT_FALSE(form->CheckBox1->isChecked());
        EXPECT_FALSE(form->CheckBox2->isChecked());
        EXPECT_EQ(form->ColorBox1->selected(), QColor(Qt::black));
        EXPECT_EQ(form->ColorBox2->selected(), QColor(Qt::white));
        // A screen reader finds the colour pickers by the labels beside them.
        EXPECT_EQ(form->ColorBox1->accessibleName(), form->Label1->text());
        EXPECT_EQ(form->ColorBox2->accessibleName(), form->Label2->text());
        for (QWidget* w :
             QList<QWidget*>{form->Image1, form->Label3, form->Button1, form->CheckBox1, form->CheckBox2,
                             form->ColorBox1, form->ColorBox2, form->Label1, form->Label2})
            EXPECT_TRUE(form->rect().contains(w->geometry())) << w->objectName().toStdString();
        EXPECT_TRUE(form->fileName().isEmpty());
    }
}

TEST_F(ScreenshotWindow, ShowsTheInstrumentsDisplayPixelForPixelInEitherColourChoice)
{
    ASSERT_TRUE(loadDisplay());
    openForm();
    update();
    const QImage normal = ExpectedPicture(display, qRgb(0, 0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(form->Image1->picture().convertToFormat(QImage::Format_RGB32), normal);

    // What the user sees: every bitmap pixel fills its share of the 400 x 200 area.
    const QImage shown = form->Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(400, 200));
    for (int x = 0; x < 132; ++x)
        for (int y = 0; y < 68; ++y)
            ASSERT_EQ(shown.pixel(int((x + 0.5) * 400 / 132), int((y + 0.5) * 200 / 68)), normal.pixel(x, y))
                << x << "," << y;
    EXPECT_EQ(shown.pixel(0, 0), normal.pixel(0, 0));
    EXPECT_EQ(shown.pixel(399, 199), normal.pixel(131, 67));

    // A new colour applies from the next picture on, not to the one shown.
    form->ColorBox1->setSelected(Qt::white);
    form->ColorBox2->setSelected(Qt::black);
    EXPECT_EQ(form->Image1->picture().convertToFormat(QImage::Format_RGB32), normal);
    update();
    const QImage negative = ExpectedPicture(display, qRgb(255, 255, 255), qRgb(0, 0, 0));
    EXPECT_EQ(form->Image1->picture().convertToFormat(QImage::Format_RGB32), negative);
    EXPECT_TRUE(QApplication::clipboard()->image().isNull()) << "the clipboard was not asked for";
}

TEST_F(ScreenshotWindow, SavesABitmapUnderTheChosenNameAndCopiesIt)
{
    ASSERT_TRUE(loadDisplay());
    openForm();
    // No extension is added, and a file already there is replaced.
    const QString path = dir.filePath("display picture");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    tickSaveAndChoose(path);
    EXPECT_EQ(form->fileName(), path);
    QTest::mouseClick(form->CheckBox2, Qt::LeftButton);
    form->ColorBox1->setSelected(QColor(0x80, 0, 0));
    form->ColorBox2->setSelected(QColor(0xFF, 0xFF, 0));
    ModalAnswers none;
    update();
    EXPECT_TRUE(none.unexpected().isEmpty()) << none.unexpected().join("; ").toStdString();

    const QImage expected = ExpectedPicture(display, qRgb(0x80, 0, 0), qRgb(0xFF, 0xFF, 0));
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), "bmp") << "written as a bitmap whatever the name says";
    const QImage saved = reader.read().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(saved.size(), QSize(132, 68));
    EXPECT_EQ(Colours(saved), (std::set<QRgb>{qRgb(0x80, 0, 0), qRgb(0xFF, 0xFF, 0)}));
    EXPECT_EQ(saved, expected);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "no temporary file left behind";

    const QImage copied = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(copied, expected);
}

TEST_F(ScreenshotWindow, ACancelledNameDialogKeepsTheNameChosenBefore)
{
    ASSERT_TRUE(loadDisplay());
    openForm();
    tickSaveAndChoose(QString());
    update();
    EXPECT_TRUE(form->fileName().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "only the display file";

    // Unticking asks nothing; ticking again with a name, then cancelling keeps that name.
    const QString path = dir.filePath("first.bmp");
    {
        ModalAnswers none;
        QTest::mouseClick(form->CheckBox1, Qt::LeftButton);
        EXPECT_FALSE(form->CheckBox1->isChecked());
        QTest::qWait(50);
        EXPECT_TRUE(none.unexpected().isEmpty()) << none.unexpected().join("; ").toStdString();
    }
    tickSaveAndChoose(path);
    QTest::mouseClick(form->CheckBox1, Qt::LeftButton);
    tickSaveAndChoose(QString());
    EXPECT_EQ(form->fileName(), path);
    update();
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(ScreenshotWindow, AFailedSaveIsReportedOnceAndTheWindowGoesBackToIdle)
{
    ASSERT_TRUE(loadDisplay());
    openForm();
    const QString path = dir.filePath("picture.bmp");
    tickSaveAndChoose(path);
    QTest::mouseClick(form->CheckBox2, Qt::LeftButton);
    // Something the picture cannot replace now stands under the chosen name.
    ASSERT_TRUE(QDir(dir.path()).mkdir("picture.bmp"));
    ModalAnswers answers;
    ModalAnswers::Box box;
    // The user reads the box for longer than a poll: no second box may come of it.
    answers.expect([&box](QWidget* w) {
        auto* message = qobject_cast<QMessageBox*>(w);
        if (!message) return false;
        box = ReadBox(*message);
        QTimer::singleShot(1200, message, [message] { PressOk(*message); });
        return true;
    });
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 10000)) << "idle()";
    QTest::qWait(700);
    EXPECT_TRUE(answers.allAnswered());
    EXPECT_TRUE(answers.unexpected().isEmpty())
        << "one box only: " << answers.unexpected().join("; ").toStdString();
    EXPECT_EQ(box.caption, "Ошибка");
    EXPECT_EQ(box.text, "Не удалось сохранить рисунок в файл\n" + path);
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_TRUE(idle());
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary file left behind";
    const QImage expected = ExpectedPicture(display, qRgb(0, 0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(form->Image1->picture().convertToFormat(QImage::Format_RGB32), expected)
        << "the picture stays shown";
    EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), expected)
        << "the clipboard step still runs";
}

TEST_F(ScreenshotWindow, WaitsThroughFailingTransfersWithTheStatusInSight)
{
    ASSERT_TRUE(loadDisplay());
    openForm();
    update(); // the gauge of this finished transfer stays at its end

    // Now the display is blank and the first three tries to ask for it time out.
    ASSERT_TRUE(LoadScenario("screen blank\nfail_transfer 1 timeout\nfail_transfer 2 timeout\n"
                             "fail_transfer 3 timeout\n"));
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    const QString linkError = shared.tr(ExchangeText::LinkError);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Label3->text() == linkError; }, 5000));
    EXPECT_EQ(form->Label3->text(), linkError);
    QTest::qWait(600); // past a poll
    EXPECT_TRUE(waiting());
    EXPECT_EQ(form->Image1->picture().convertToFormat(QImage::Format_RGB32),
              ExpectedPicture(display, qRgb(0, 0, 0), qRgb(255, 255, 255)))
        << "the earlier picture stays until the new one has arrived";
    EXPECT_TRUE(form->Label3->isVisible());
    EXPECT_TRUE(form->rect().contains(form->Label3->geometry()));
    EXPECT_LE(form->Label3->fontMetrics().horizontalAdvance(linkError), form->Label3->width());
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 10000)) << "idle()";
    EXPECT_EQ(form->Image1->picture().convertToFormat(QImage::Format_RGB32),
              ExpectedPicture(ScreenImage{}, qRgb(0, 0, 0), qRgb(255, 255, 255)));
}

TEST_F(ScreenshotWindow, ClosingWhileWaitingStopsThePollAndTheExchange)
{
    ASSERT_TRUE(LoadScenario("devices none\n"));
    openForm();
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return form->Label3->text() == shared.tr(ExchangeText::CheckConnection); }, 5000));
    EXPECT_EQ(form->Label3->text(), shared.tr(ExchangeText::CheckConnection));
    EXPECT_TRUE(waiting());
    form->close();
    EXPECT_FALSE(form->Timer1->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ExchangeRunning(); }, 5000)) << "!ExchangeRunning()";
    form.reset();
    QTest::qWait(100); // nothing may reach the destroyed window now
}

TEST_F(ScreenshotWindow, ATickThroughTheToggleActionAsksForTheName)
{
    // An assistive tool ticks the box through its Toggle action, which emits no click.
    openForm();
    const QString path = dir.filePath("read aloud.bmp");
    ModalAnswers answers;
    answers.chooseFile(path);
    QAccessible::queryAccessibleInterface(form->CheckBox1)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_TRUE(answers.allAnswered());
    EXPECT_EQ(form->fileName(), path);
}

TEST_F(ScreenshotWindow, UpdateWaitsWhileAnotherExchangeIsRunning)
{
    ASSERT_TRUE(LoadScenario("devices none\n"));
    QWidget other;
    auto* gauge = new QProgressBar(&other);
    auto* label = new QLabel(&other);
    other.show();
    ASSERT_TRUE(StartScreenRead(shared, gauge, label));
    openForm();
    form->CGauge1->setValue(100); // as an earlier transfer left it
    EXPECT_FALSE(form->Button1->isEnabled()) << "Update is not offered while another exchange runs";
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    QTest::qWait(700);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_TRUE(form->CGauge1->isHidden());
    other.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ExchangeRunning(); }, 5000)) << "!ExchangeRunning()";
    EXPECT_TRUE(QTest::qWaitFor([&] { return idle(); }, 2000)) << "Update is offered again";
}

TEST_F(ScreenshotWindow, MinimisingWhileWaitingKeepsTheTransferGoing)
{
    // Minimised while the instrument is missing, restored after the transfer has ended while
    // minimised, and minimised and restored while the instrument is there.
    for (bool missing : {true, false}) {
        SCOPED_TRACE(missing ? "instrument missing" : "instrument there");
        ASSERT_TRUE(missing ? LoadScenario("devices none\n") : loadDisplay());
        openForm();
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        EXPECT_TRUE(waiting());
        if (missing) {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return form->Label3->text() == shared.tr(ExchangeText::CheckConnection); }, 5000));
        }
        form->showMinimized();
        QTest::qWait(100);
        EXPECT_TRUE(ExchangeRunning()) << "a minimised window keeps its exchange";
        if (missing) {
            ASSERT_TRUE(loadDisplay());
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !ExchangeRunning(); }, 10000)) << "!ExchangeRunning()";
        QTest::qWait(700); // a poll while still minimised
        form->showNormal();
        ASSERT_TRUE(QTest::qWaitFor([&] { return idle(); }, 3000)) << "idle() on restore";
        EXPECT_EQ(form->Image1->picture().convertToFormat(QImage::Format_RGB32),
                  ExpectedPicture(display, qRgb(0, 0, 0), qRgb(255, 255, 255)));
        form.reset();
    }
}

TEST_F(ScreenshotWindow, TheMainWindowOpensANewWindowEveryTimeCentredOnItself)
{
    ASSERT_TRUE(loadDisplay());
    TForm1 main(shared);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    auto* copy3 = main.findChild<QAction*>("Copy3");
    ASSERT_TRUE(copy3);
    QList<QPointer<TForm5>> seen;
    for (int lang : {1, 0}) {
        if (lang == 1)
            main.findChild<QAction*>("Lang1")->trigger();
        else
            main.findChild<QAction*>("Lang0")->trigger();
        QTimer::singleShot(0, [&] {
            auto* shown = qobject_cast<TForm5*>(QApplication::activeModalWidget());
            ASSERT_TRUE(shown);
            seen << shown;
            EXPECT_EQ(shown->windowTitle(), lang == 1 ? "Screenshot" : "Скриншот");
            EXPECT_FALSE(shown->CheckBox2->isChecked()) << "each opening starts afresh";
            EXPECT_LE((shown->geometry().center() - main.geometry().center()).manhattanLength(), 40);
            shown->CheckBox2->setChecked(true);
            shown->close();
        });
        copy3->trigger();
    }
    ASSERT_EQ(seen.size(), 2);
    EXPECT_NE(seen[0], seen[1]);
}

} // namespace
