// The About window and the help window as the user reaches them from the main window.
#include "../ui/ModalAnswers.h"
#include "app/SharedState.h"
#include "screenshot/Unit5.h"
#include "settings/Unit3.h"
#include "texts/Texts.h"
#include "ui/About.h"
#include "ui/AboutLabels.h"
#include "ui/HelpWindow.h"
#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>

#include <functional>
#include <set>

namespace {

// Receives the links the desktop is asked to open.
class LinkRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class Windows : public ::testing::Test {
protected:
    void SetUp() override
    {
        main = std::make_unique<TForm1>(shared);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    void TearDown() override { main.reset(); }
    void setLanguage(int lang) { main->findChild<QAction*>(lang == 0 ? "Lang0" : "Lang1")->trigger(); }

    // Runs About from the menu; `inspect` sees the open window, which it must close.
    void withAbout(const std::function<void(TAboutBox*)>& inspect)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            seen = true;
            inspect(box);
            if (box->isVisible()) {
                ADD_FAILURE() << "still open";
                box->accept();
            }
        });
        main->findChild<QAction*>("About1")->trigger();
        EXPECT_TRUE(seen);
    }

    SharedState shared;
    std::unique_ptr<TForm1> main;
};

TEST_F(Windows, AboutShowsItsTextsInTheLanguageInForce)
{
    for (int lang : {1, 0}) {
        SCOPED_TRACE(lang);
        setLanguage(lang);
        const AboutLabels expected = ComposeAboutLabels(ProgramVersionData(), ProgramBuildDate(), lang);
        QPointer<TAboutBox> seen;
        withAbout([&](TAboutBox* box) {
            seen = box;
            EXPECT_EQ(box->windowTitle(), lang == 0 ? " О программе " : " About ");
            EXPECT_EQ(box->ProductName->text(), lang == 0 ? "ЛМ-1.1" : "LM-1.1");
            EXPECT_EQ(box->Version->text(), expected.version);
            EXPECT_TRUE(
                box->Version->text().startsWith(lang == 0 ? "Версия 1.0.0.1 от " : "Version 1.0.0.1 of "));
            EXPECT_EQ(box->txtCopyright->text(), expected.copyright);
            EXPECT_EQ(box->Comments->text(), lang == 0 ? "тел./факс. " : "tel./fax");
            EXPECT_EQ(box->Label2->text(), lang == 0 ? " многоканальный " : " multichannel ");
            EXPECT_FALSE(box->Label1->text().isEmpty());
            EXPECT_EQ(box->size(), QSize(383, 443));
            EXPECT_EQ(box->minimumSize(), box->maximumSize());
            EXPECT_EQ(box->ProgramIcon->size(), QSize(359, 241));
            EXPECT_FALSE(box->ProgramIcon->pixmap().isNull());
            EXPECT_LE((box->geometry().center() - main->geometry().center()).manhattanLength(), 40);
            for (ClickLabel* link : {box->LabelWWW, box->LabelEMail}) {
                EXPECT_TRUE(link->font().underline());
                EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
                EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
            }
            EXPECT_EQ(box->ProgramIcon->cursor().shape(), Qt::PointingHandCursor);
            EXPECT_EQ(box->LabelEMail->toolTip(), "Написать письмо");
            EXPECT_EQ(box->LabelWWW->toolTip(), shared.tr(AboutText::WebHint));
            EXPECT_EQ(box->ProgramIcon->toolTip(), box->LabelWWW->toolTip());
            for (QLabel* l :
                 {box->ProductName, box->Version, box->txtCopyright, box->Comments, box->Label2}) {
                EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width())
                    << l->objectName().toStdString();
                EXPECT_TRUE(box->rect().contains(l->geometry()));
            }

            // Only OK (or Enter) closes it.
            QTest::keyClick(box, Qt::Key_Escape);
            box->close();
            EXPECT_TRUE(box->isVisible());
            QTest::keyClick(box, Qt::Key_Return);
            EXPECT_FALSE(box->isVisible());
            EXPECT_EQ(box->result(), QDialog::Accepted);
        });
        EXPECT_TRUE(seen.isNull()) << "released when it closes";
    }
}

TEST_F(Windows, AboutLinksGoToTheUsersMailProgramAndBrowser)
{
    LinkRecorder recorder;
    for (const char* scheme : {"mailto", "http"}) QDesktopServices::setUrlHandler(scheme, &recorder, "open");
    withAbout([&](TAboutBox* box) {
        QTest::mouseClick(box->LabelEMail, Qt::LeftButton);
        QTest::mouseClick(box->LabelWWW, Qt::LeftButton);
        QTest::mouseClick(box->ProgramIcon, Qt::LeftButton);
        QTest::mouseClick(box->OKButton, Qt::LeftButton);
    });
    for (const char* scheme : {"mailto", "http"}) QDesktopServices::unsetUrlHandler(scheme);
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    ASSERT_EQ(recorder.opened.size(), 3);
    EXPECT_EQ(recorder.opened[0].toString(), "mailto:info@example.com?Subject=" + program);
    EXPECT_EQ(recorder.opened[1], QUrl("http://www.example.com"));
    EXPECT_EQ(recorder.opened[2], recorder.opened[1]);
}

TEST_F(Windows, ALinkTheDesktopCannotOpenIsReportedOnce)
{
    // The test platform has no desktop behind it, so nothing can open a link.
    ModalAnswers answers;
    ModalAnswers::Box box;
    answers.acknowledge(&box);
    withAbout([&](TAboutBox* about) {
        QTest::mouseClick(about->LabelEMail, Qt::LeftButton);
        about->accept();
    });
    EXPECT_TRUE(answers.allAnswered());
    EXPECT_TRUE(answers.unexpected().isEmpty()) << answers.unexpected().join("; ").toStdString();
    EXPECT_EQ(box.caption, "Ошибка");
    EXPECT_TRUE(box.text.startsWith("Не удалось открыть ссылку\nmailto:info@example.com?Subject="))
        << box.text.toStdString();
    EXPECT_EQ(box.icon, QMessageBox::Critical);
}

THelpWindow* HelpOf(QWidget* main)
{
    return main->findChild<THelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
}

TEST_F(Windows, F1AndTheMenuOpenTheHelpInTheLanguageInForce)
{
    setLanguage(1);
    QTest::keyClick(main.get(), Qt::Key_F1);
    THelpWindow* help = HelpOf(main.get());
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowTitle(), "LM-1.1 Help");
    EXPECT_EQ(help->Browser->source(), QUrl("qrc:/help/en.html#main")) << "at the main window's topic";
    EXPECT_TRUE(help->Browser->toPlainText().contains("Read from device"));
    EXPECT_GT(help->Contents->topLevelItemCount(), 5);
    EXPECT_EQ(help->BackButton->text(), "Back");

    // Following a link and coming back.
    EXPECT_FALSE(help->BackButton->isEnabled());
    // A topic other than the one F1 opened.
    QTreeWidgetItem* second = help->Contents->topLevelItem(1);
    if (second->data(0, Qt::UserRole).toString() == "main") second = help->Contents->topLevelItem(0);
    QTest::mouseClick(help->Contents->viewport(), Qt::LeftButton, {},
                      help->Contents->visualItemRect(second).center());
    EXPECT_EQ(help->Browser->source().fragment(), second->data(0, Qt::UserRole).toString());
    EXPECT_TRUE(help->BackButton->isEnabled());
    QTest::mouseClick(help->BackButton, Qt::LeftButton);
    EXPECT_EQ(help->Browser->source(), QUrl("qrc:/help/en.html#main"));
    EXPECT_TRUE(help->ForwardButton->isEnabled());

    setLanguage(0);
    main->findChild<QAction*>("Contents1")->trigger();
    EXPECT_EQ(HelpOf(main.get()), help) << "one help window";
    EXPECT_EQ(help->windowTitle(), "Справка ЛМ-1.1");
    EXPECT_EQ(help->Browser->source(), QUrl("qrc:/help/ru.html"));
    EXPECT_TRUE(help->Browser->toPlainText().contains("Считать с прибора"));
    EXPECT_FALSE(help->BackButton->isEnabled()) << "the default topic starts afresh";
}

TEST_F(Windows, F1InEachWindowOpensThatWindowsTopic)
{
    TForm3 settings(shared, main.get());
    TForm5 screenshot(shared, main.get());
    TAboutBox about(shared.Lang.load(), main.get());
    const std::vector<std::pair<QWidget*, QString>> windows = {
        {&settings, "settings"}, {&screenshot, "screenshot"}, {&about, "about"}};
    for (const auto& [window, topic] : windows) {
        SCOPED_TRACE(topic.toStdString());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        QTest::keyClick(window, Qt::Key_F1);
        THelpWindow* help = HelpOf(window);
        ASSERT_TRUE(help);
        EXPECT_TRUE(help->isVisible());
        EXPECT_EQ(help->Browser->source(), QUrl("qrc:/help/ru.html#" + topic));
        window->hide();
    }
}

// Anchors and links of the document shown.
struct Links {
    std::set<QString> anchors;
    std::set<QString> hrefs;
};

Links LinksOf(const QTextDocument* document)
{
    Links links;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            for (const QString& name : format.anchorNames()) links.anchors.insert(name);
            if (format.isAnchor() && !format.anchorHref().isEmpty()) links.hrefs.insert(format.anchorHref());
        }
    return links;
}

TEST_F(Windows, EveryLinkInTheHelpLeadsSomewhere)
{
    for (int lang : {0, 1}) {
        SCOPED_TRACE(lang);
        THelpWindow help;
        help.showDocument(lang);
        const Links links = LinksOf(help.Browser->document());
        EXPECT_GT(links.hrefs.size(), 10u);
        for (const QString& href : links.hrefs) {
            const QUrl url(href);
            if (url.scheme() == "mailto" || url.scheme() == "http" || url.scheme() == "https") continue;
            ASSERT_TRUE(url.isRelative()) << href.toStdString();
            EXPECT_TRUE(url.path().isEmpty()) << "a link inside the document: " << href.toStdString();
            EXPECT_TRUE(links.anchors.count(url.fragment())) << "no anchor for " << href.toStdString();
        }
        // Every entry of the contents leads to its heading.
        ASSERT_GT(help.Contents->topLevelItemCount(), 5);
        for (QTreeWidgetItemIterator it(help.Contents); *it; ++it)
            EXPECT_TRUE(links.anchors.count((*it)->data(0, Qt::UserRole).toString()))
                << (*it)->text(0).toStdString();
    }
}

TEST_F(Windows, TheHelpNamesEveryCommandAndMessageAsTheProgramShowsIt)
{
    // The texts a user meets and looks up: menus, buttons, windows and their messages.
    const std::vector<TextPair> texts = {MainText::File1,
                                         MainText::Save1,
                                         MainText::N1,
                                         MainText::N2,
                                         MainText::Print1,
                                         MainText::Exit1,
                                         MainText::Edit1,
                                         MainText::Copy1,
                                         MainText::Copy2,
                                         MainText::Copy3,
                                         MainText::Help1,
                                         MainText::Contents1,
                                         MainText::About1,
                                         MainText::Button1,
                                         MainText::Button2,
                                         MainText::Button3,
                                         MainText::ArchiveNotRead,
                                         MainText::ExcelOpenError,
                                         MainText::TableEmpty,
                                         MainText::OpenFailed,
                                         MainText::SaveFailed,
                                         ExchangeText::LinkError,
                                         ExchangeText::CrcError,
                                         ExchangeText::CheckConnection,
                                         ExchangeText::DriverMissing,
                                         ExchangeText::FirmwareOutdated,
                                         ExchangeText::NoData,
                                         ExchangeText::Ready,
                                         ExchangeText::Cancel,
                                         SettingsText::Caption,
                                         SettingsText::Button1,
                                         SettingsText::DigitsOnly,
                                         SettingsText::LowerAboveUpper,
                                         SettingsText::PotentialRange,
                                         SettingsText::ResistanceRange,
                                         DiagramText::Caption,
                                         DiagramText::GroupBox1,
                                         ScreenshotText::Caption,
                                         ScreenshotText::Button1,
                                         ScreenshotText::CheckBox1,
                                         ScreenshotText::CheckBox2,
                                         ScreenshotText::Label1,
                                         ScreenshotText::Label2,
                                         HistoryText::RecentProjects,
                                         HistoryText::RemoveMissing,
                                         HistoryText::ReadHistory,
                                         HistoryText::OpenFolder};
    for (int lang : {0, 1}) {
        THelpWindow help;
        help.showDocument(lang);
        const QString plain = help.Browser->toPlainText().simplified();
        for (const TextPair& text : texts)
            EXPECT_TRUE(plain.contains(text[lang].simplified())) << lang << ": " << text[lang].toStdString();
        EXPECT_TRUE(plain.contains("udev")) << "how to reach the instrument as a user on Linux";
    }
}

} // namespace

#include "AboutHelpWindowTest.moc"
