#pragma once
// The main window: the archive table, the three command buttons, the main menu and the
// status bar hints. It owns the archive table; every command reads it from here.
#include "archive/ArchiveModel.h"
#include "archive/ArchiveTable.h"
#include "exchange/clipboard/ClipboardText.h"
#include "ui/GridHits.h"
#include "ui/ReadHistory.h"
#include "ui/commands/ProjectCommands.h"

#include <QMainWindow>
#include <QPoint>
#include <QStringList>

#include <functional>

class QAbstractButton;
class QAction;
class GridWatch;
class QFileDialog;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
class QTimer;
class QUrl;
struct SharedState;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    /// The program's main window over `state`, which outlives it and every window it opens.
    explicit TForm1(SharedState& state, QWidget* parent = nullptr);

    const ArchiveTable& table() const { return model_->table(); }
    ArchiveModel* model() const { return model_; }
    /// The text shown in the status bar's one text area.
    QString statusHint() const;

    /// Opens the project named by the command-line arguments (without the program name),
    /// joined with single blanks; the name also becomes the open dialog's proposed name.
    void OpenFromCommandLine(const QStringList& arguments);

    /// What lies under a screen position, as the grid sees it.
    GridHit hitTest(QPoint global) const;

    /// Where every read that brought records is kept.
    ReadHistory& readHistory() { return history_; }
    /// The project the table came from (opened or saved); empty once a read replaced it.
    const QString& projectPath() const { return projectPath_; }
    /// Direction of the last column sort of the table: 0 before the first, then +1 or -1.
    int sortDirection() const { return sortDirection_; }
    /// What "Open folder" of the read history does with the folder (the file manager shows it).
    void setFolderOpener(std::function<void(const QUrl&)> opener) { showFolder_ = std::move(opener); }

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Analysis1Click();
    void Save1Click();
    void N1Click();
    void Action1Execute();
    void Print1Click();
    void Exit1Click();
    void Copy1Click();
    void Copy2Click();
    void Copy3Click();
    void Lang0Click();
    void Lang1Click();
    void Contents1Click();
    void About1Click();
    void Timer1Timer();

protected:
    // The two copy commands that Ctrl+C in the grid chooses between.
    virtual void ACopyTableExecute();
    virtual void ACopyBlockTableExecute();
    /// The diagram window for the sorted table; the checks before it are Button3Click's.
    virtual void ShowDiagramWindow();

    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The constructor's steps, in the order it takes them.
    void fitFontAndScale();
    void createButtons();
    void createGrid();
    void createMenu();
    void createStatusBar();
    void createHelpKey();
    void connectExchangeButtons();
    void placeOnScreen();

    /// The checks of the commands that read surfaces (diagram, analysis), which leave the table
    /// sorted by column 0; false after the message box that says why not.
    bool sortedForSurfaces();
    void applyTexts();
    void switchLanguage(int lang);
    /// Enables the exchange buttons by what runs now.
    void updateExchangeButtons();
    void layoutControls();
    void StringGrid1MouseUp(Qt::MouseButton button, QPoint global);
    bool StringGrid1KeyDown(int key, Qt::KeyboardModifiers modifiers);
    /// The bounding box of the selection in table coordinates; the focused cell without one.
    CellBlock selectedBlock() const;
    /// Reads `fileName` as a project; on failure the table stays and an error box says so.
    bool openProjectFile(const QString& fileName);
    /// Keeps the table just read in the read history; a failure shows in the status bar.
    void keepRead();

    ArchiveModel* model_ = nullptr; // owns the archive table
    double scale_ = 1.0;            // pixels per design pixel (the window was laid out at 120 dpi)

    QWidget* central_ = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QTableView* StringGrid1 = nullptr;
    GridWatch* gridWatch_ = nullptr;    // the grid's corner, hit-test and hints
    QAbstractButton* corner_ = nullptr; // the grid's corner, a heading like the others
    QLabel* StatusText = nullptr;
    QTimer* Timer1 = nullptr;

    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* Language1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* N1 = nullptr;
    QAction* N2 = nullptr;
    QAction* Print1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Copy2 = nullptr;
    QAction* Copy3 = nullptr;
    QAction* Lang0 = nullptr;
    QAction* Lang1 = nullptr;
    QAction* Contents1 = nullptr;
    QAction* About1 = nullptr;
    QAction* Analysis1 = nullptr;
    QMenu* Recent1 = nullptr;
    QMenu* History1 = nullptr;

    SharedState& state_;
    ReadHistory history_;
    std::function<void(const QUrl&)> showFolder_;

    ProjectCommands projects_; // save and open, with the open dialog's proposed name
    // One direction for every column; it flips on every heading click.
    int sortDirection_ = 0;
    QString projectPath_; // the project last opened or saved; its survey records lie beside it
};
