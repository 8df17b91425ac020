#pragma once
// The clipboard commands of the main window. Both refuse a table without archive rows
// (HasArchiveRows) with a warning box, leaving the clipboard as it was. `lang` is the language
// of the header and of the box.
#include "exchange/clipboard/ClipboardText.h"

class ArchiveTable;

/// Copies the whole table with its header. Returns whether the clipboard was written.
bool CopyTableToClipboard(const ArchiveTable& table, int lang);

/// Copies the cells of `block`. Returns whether the clipboard was written.
bool CopyBlockToClipboard(const ArchiveTable& table, const CellBlock& block, int lang);

/// Ctrl+C in the grid: one selected cell copies the whole table, a larger block only itself.
bool CopySelectionToClipboard(const ArchiveTable& table, const CellBlock& selection, int lang);

/// Replaces the clipboard's contents with `text` as Unicode text, so that other programs
/// receive the Cyrillic letters intact whatever their own code page.
void PlaceTextOnClipboard(const QString& text);
