#include "ClipboardCopy.h"

#include "archive/ArchiveModel.h"
#include "texts/Texts.h"
#include "ui/ErrorBox.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

bool RefuseWhenEmpty(const ArchiveTable& table, int lang)
{
    if (HasArchiveRows(table)) return false;
    // The program's refusals have no owner window.
    ShowErrorBox(MainText::Warning[lang], MainText::TableEmpty[lang]);
    return true;
}

} // namespace

void PlaceTextOnClipboard(const QString& text)
{
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

bool CopyTableToClipboard(const ArchiveTable& table, int lang)
{
    if (RefuseWhenEmpty(table, lang)) return false;
    PlaceTextOnClipboard(TableClipboardText(table, lang));
    return true;
}

bool CopyBlockToClipboard(const ArchiveTable& table, const CellBlock& block, int lang)
{
    if (RefuseWhenEmpty(table, lang)) return false;
    PlaceTextOnClipboard(BlockClipboardText(table, block));
    return true;
}

bool CopySelectionToClipboard(const ArchiveTable& table, const CellBlock& selection, int lang)
{
    return selection.isSingleCell() ? CopyTableToClipboard(table, lang)
                                    : CopyBlockToClipboard(table, selection, lang);
}
