#include "HelpWindow.h"

#include "About.h"
#include "texts/Texts.h"
#include "ui/DesignScale.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

// The documents live in a static library, whose resources are not registered by themselves.
static void InitHelpResources() { Q_INIT_RESOURCE(help); }

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    InitHelpResources();
    setObjectName(QStringLiteral("HelpWindow"));
    resize(DesignScale(*this, DesignScale::Sizes::Fixed).size(900, 640));

    auto* bar = new QHBoxLayout;
    auto button = [this, bar](const char* name, QStyle::StandardPixmap icon) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        bar->addWidget(b);
        return b;
    };
    BackButton = button("BackButton", QStyle::SP_ArrowBack);
    ForwardButton = button("ForwardButton", QStyle::SP_ArrowForward);
    HomeButton = button("HomeButton", QStyle::SP_DirHomeIcon);
    bar->addStretch();

    Contents = new QTreeWidget(this);
    Contents->setObjectName(QStringLiteral("Contents"));
    Contents->setColumnCount(1);
    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    // Mail and web addresses go to the user's own programs; everything else stays here.
    Browser->setOpenLinks(true);
    Browser->setOpenExternalLinks(false);
    connect(Browser, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.scheme() != QLatin1String("qrc") && !url.isRelative()) OpenLink(url, lang_);
    });

    auto* split = new QSplitter(this);
    split->addWidget(Contents);
    split->addWidget(Browser);
    split->setStretchFactor(1, 1);
    split->setSizes({240, 660});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(split, 1);

    connect(BackButton, &QToolButton::clicked, Browser, &QTextBrowser::backward);
    connect(ForwardButton, &QToolButton::clicked, Browser, &QTextBrowser::forward);
    connect(HomeButton, &QToolButton::clicked, Browser, &QTextBrowser::home);
    connect(Browser, &QTextBrowser::backwardAvailable, BackButton, &QToolButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardButton, &QToolButton::setEnabled);
    connect(Contents, &QTreeWidget::itemClicked, this, &THelpWindow::ContentsClick);
    connect(Contents, &QTreeWidget::itemActivated, this, &THelpWindow::ContentsClick);
    BackButton->setEnabled(false);
    ForwardButton->setEnabled(false);
}

QUrl THelpWindow::DocumentUrl(int lang)
{
    return QUrl(lang == 0 ? QStringLiteral("qrc:/help/ru.html") : QStringLiteral("qrc:/help/en.html"));
}

THelpWindow* THelpWindow::Open(QWidget* owner, int lang)
{
    auto* window = owner->findChild<THelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new THelpWindow(owner);
        window->move(owner->geometry().center() - window->rect().center());
    }
    window->showDocument(lang);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

THelpWindow* THelpWindow::Open(QWidget* owner, const QString& topic, int lang)
{
    THelpWindow* window = Open(owner, lang);
    if (!topic.isEmpty()) {
        QUrl at = DocumentUrl(lang);
        at.setFragment(topic);
        window->Browser->setSource(at);
        window->Browser->clearHistory();
    }
    return window;
}

QString THelpWindow::TopicOf(const QWidget* window)
{
    static const QHash<QString, QString> topics = {{QStringLiteral("Form1"), QStringLiteral("main")},
                                                   {QStringLiteral("Form3"), QStringLiteral("settings")},
                                                   {QStringLiteral("Form4"), QStringLiteral("diagram")},
                                                   {QStringLiteral("Form5"), QStringLiteral("screenshot")},
                                                   {QStringLiteral("Form7"), QStringLiteral("analysis")},
                                                   {QStringLiteral("AboutBox"), QStringLiteral("about")}};
    return window ? topics.value(window->objectName()) : QString();
}

namespace {

// Watches the whole program's key presses for F1, so that the windows need no help code of
// their own; the help window opens as a child of the window F1 was pressed in, which keeps
// it usable while that window is modal.
class HelpKey final : public QObject {
public:
    HelpKey(QObject* owner, std::function<int()> language) : QObject(owner), language_(std::move(language)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* window = widget ? widget->window() : nullptr;
        const QString topic = THelpWindow::TopicOf(window);
        if (topic.isEmpty()) return false;
        THelpWindow::Open(window, topic, language_());
        return true;
    }

private:
    std::function<int()> language_;
};

} // namespace

void THelpWindow::InstallHelpKey(QObject* owner, std::function<int()> language)
{
    qApp->installEventFilter(new HelpKey(owner, std::move(language)));
}

void THelpWindow::showDocument(int lang)
{
    using namespace AboutText;
    lang_ = lang;
    setWindowTitle(HelpCaption[lang]);
    BackButton->setText(HelpBack[lang]);
    ForwardButton->setText(HelpForward[lang]);
    HomeButton->setText(HelpHome[lang]);
    Contents->setHeaderLabel(HelpContents[lang]);
    Contents->setAccessibleName(HelpContents[lang]);
    Browser->setSource(DocumentUrl(lang));
    Browser->clearHistory();
    buildContents();
}

void THelpWindow::buildContents()
{
    // The contents are the document's own headings, so they always match the text.
    Contents->clear();
    QTreeWidgetItem* section = nullptr;
    for (QTextBlock block = Browser->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level < 2 || level > 3) continue;
        QString anchor;
        for (auto it = block.begin(); !it.atEnd() && anchor.isEmpty(); ++it)
            anchor = it.fragment().charFormat().anchorNames().value(0);
        if (anchor.isEmpty()) continue;
        auto* item = level == 2 || !section ? new QTreeWidgetItem(Contents) : new QTreeWidgetItem(section);
        if (level == 2) section = item;
        item->setText(0, block.text().trimmed());
        item->setData(0, Qt::UserRole, anchor);
    }
    Contents->expandAll();
}

void THelpWindow::ContentsClick(QTreeWidgetItem* item)
{
    QUrl target = Browser->source();
    target.setFragment(item->data(0, Qt::UserRole).toString());
    Browser->setSource(target);
}
