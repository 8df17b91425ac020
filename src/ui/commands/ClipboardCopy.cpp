#include "ClipboardCopy.h"

#include "app/SharedState.h"
#include "archive/ArchiveModel.h"
#include "texts/Texts.h"
#include "ui/ErrorBox.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

bool RefuseWhenEmpty(const ArchiveTable& table)
{
    if (HasArchiveRows(table)) return false;
    // The program's refusals have no owner window.
    ShowErrorBox(Tr(MainText::Warning), Tr(MainText::TableEmpty));
    return true;
}

} // namespace

void PlaceTextOnClipboard(const QString& text)
{
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

bool CopyTableToClipboard(const ArchiveTable& table)
{
    if (RefuseWhenEmpty(table)) return false;
    PlaceTextOnClipboard(TableClipboardText(table, Lang.load()));
    return true;
}

bool CopyBlockToClipboard(const ArchiveTable& table, const CellBlock& block)
{
    if (RefuseWhenEmpty(table)) return false;
    PlaceTextOnClipboard(BlockClipboardText(table, block));
    return true;
}

bool CopySelectionToClipboard(const ArchiveTable& table, const CellBlock& selection)
{
    return selection.isSingleCell() ? CopyTableToClipboard(table) : CopyBlockToClipboard(table, selection);
}
