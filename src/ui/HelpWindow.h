#pragma once
// The program's help: one document per language, shipped in the program's resources, in a
// window of its own with contents and back/forward, so that no browser is needed.
#include <QUrl>
#include <QWidget>

#include <functional>

class QTextBrowser;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    /// The help document of language `lang` (0 Russian, 1 English).
    static QUrl DocumentUrl(int lang);
    /// Shows the help window of `owner` (made on first use) at the default topic of language
    /// `lang`.
    static THelpWindow* Open(QWidget* owner, int lang);
    /// The same at the topic named by anchor `topic` of the document.
    static THelpWindow* Open(QWidget* owner, const QString& topic, int lang);
    /// The help topic (document anchor) of a program window, by its object name; empty if none.
    static QString TopicOf(const QWidget* window);
    /// F1 in any program window from now on opens that window's topic (a window may also
    /// handle F1 itself first), in the language `language` gives at that moment. The key
    /// handler is a child of `owner`.
    static void InstallHelpKey(QObject* owner, std::function<int()> language);

    /// Opens the document of `lang` at its start and rebuilds the contents from its headings.
    void showDocument(int lang);

    QTreeWidget* Contents;
    QTextBrowser* Browser;
    QToolButton* BackButton;
    QToolButton* ForwardButton;
    QToolButton* HomeButton;

private:
    void buildContents();
    void ContentsClick(QTreeWidgetItem* item);

    int lang_ = 0; // of the document shown
};
