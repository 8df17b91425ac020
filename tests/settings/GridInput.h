#pragma once
// Typing into the settings table and clicking its cells as a user does. Each input is followed
// by the events it queued, so a message box it brings has come and gone (answered by whoever
// watches for boxes) when the call returns.
#include <QCoreApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include <ostream>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace grid_input {

inline void Settle()
{
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

/// The table's open in-place editor, if any (closed ones are hidden until deleted).
inline QLineEdit* Editor(const QTableWidget* grid)
{
    for (QLineEdit* e : grid->findChildren<QLineEdit*>())
        if (e->isVisible()) return e;
    return nullptr;
}

/// What a cell shows: its open editor's text while it is being edited.
inline QString Shown(const QTableWidget* grid, int row, int column)
{
    if (QLineEdit* e = Editor(grid); e && grid->currentRow() == row && grid->currentColumn() == column)
        return e->text();
    return grid->item(row, column)->text();
}

/// A key press and release to whatever has the table's keyboard: the editor while one is open.
inline void Key(QTableWidget* grid, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                const QString& text = {})
{
    QWidget* target = Editor(grid) ? static_cast<QWidget*>(Editor(grid)) : grid;
    QTest::sendKeyEvent(QTest::Click, target, key, text, modifiers);
    Settle();
}

/// One character as the keyboard sends it.
inline void TypeChar(QTableWidget* grid, QChar c)
{
    const char16_t u = c.toUpper().unicode();
    Key(grid, u < 0x80 ? Qt::Key(u) : Qt::Key_unknown, Qt::NoModifier, QString(c));
}

inline void Type(QTableWidget* grid, const QString& text)
{
    for (QChar c : text) TypeChar(grid, c);
}

inline void ClickCell(QTableWidget* grid, int row, int column)
{
    const QRect rect = grid->visualItemRect(grid->item(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    Settle();
}

/// Clicks the cell and types `text`, which replaces what it held.
inline void Enter(QTableWidget* grid, int row, int column, const QString& text)
{
    ClickCell(grid, row, column);
    Type(grid, text);
}

} // namespace grid_input
