#pragma once
// The About window: product, version and build date, copyright and the maker's contacts,
// with links that open in the user's own mail program and browser.
#include <QDialog>
#include <QLabel>

class QPushButton;

/// A label that acts on a click, like a link.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    /// The texts in language `lang` (0 Russian, 1 English).
    explicit TAboutBox(int lang, QWidget* parent = nullptr);

    ClickLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* txtCopyright;
    QLabel* Comments;
    QLabel* Label1;
    QLabel* Label2;
    ClickLabel* LabelWWW;
    ClickLabel* LabelEMail;
    QPushButton* OKButton;

    void LabelEMailClick();
    void LabelWWWClick();

    /// The neutral drawing of the instrument the window shows.
    static QPixmap ProductPicture();

public slots:
    /// Only OK closes the window: Escape and the window manager's close are ignored.
    void reject() override;

private:
    int lang_;
};

/// Opens `url` in the user's default program; a link that cannot be opened is reported in
/// an error box in language `lang`.
void OpenLink(const QUrl& url, int lang);
