#pragma once
// The object settings editor: the 20 objects' settings as a table that is checked while it is
// typed, read from the instrument when the window opens and loaded into it on command.
#include "settings/SettingsChecks.h"

#include <QDialog>
#include <QPointer>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
struct SharedState;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    /// A new editor over `state` with its texts in the language in force now; rows 1..20 empty.
    explicit TForm3(SharedState& state, QWidget* parent = nullptr);

    /// The main window's command: a new editor that starts reading the settings, shown
    /// modally until the user closes it.
    static void Execute(SharedState& state, QWidget* owner);

    QTableWidget* StringGrid1 = nullptr;
    QPushButton* Button1 = nullptr;
    QProgressBar* CGauge1 = nullptr;
    QLabel* Label1 = nullptr;

    /// Starts the settings read into the table, with the gauge and status line attached.
    void StartRead();
    /// "Load into the device": the checks before a send, then the write.
    void Button1Click();

    /// A character typed into the table; false when it is refused (and the user told why).
    bool StringGrid1KeyPress(QChar key);
    /// The in-place editor's text at (`row`, `column`) has been changed by the user.
    void StringGrid1SetEditText(int column, int row, QLineEdit* editor, const QString& text);
    /// The cell at (`row`, `column`) has become the current one.
    void StringGrid1SelectCell(int column, int row);

    /// Key presses that reach the in-place editor; true when the key is used up here.
    bool editorKeyPress(QLineEdit* editor, QKeyEvent* event);
    void editorOpened(QLineEdit* editor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updateLoadButton();
    /// Enter: one row down in the same column, from the last row back to the first.
    void moveDown();
    /// Shared by the grid and its editor: whether a key press is used up by the key filter.
    bool filterTypedKey(QKeyEvent* event);
    /// Sets every offending row of step column `column` to "10", one message each.
    void checkStepColumn(int column);
    void commitEditor();
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);
    /// A warning box now / once the event being handled is over (an editor may be inside it).
    void warn(const QString& text);
    void warnLater(const QString& text);

    SharedState& state_;
    QPointer<QLineEdit> editor_;
};
