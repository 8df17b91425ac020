#pragma once
// Small 16-pixel pictures for the main menu's items, drawn with QPainter rather than taken
// from the style: the style's standard icons are decoded from image files, which costs a
// noticeable part of start-up.
#include <QIcon>

namespace MenuIcons {
QIcon Sheet();      ///< spreadsheet export
QIcon Disk();       ///< project save
QIcon Folder();     ///< project open
QIcon Printer();    ///< print
QIcon Exit();       ///< exit
QIcon WholeTable(); ///< copy the table
QIcon Block();      ///< copy the selection
QIcon Device();     ///< instrument screenshot
QIcon Help();       ///< help contents
QIcon Info();       ///< about
} // namespace MenuIcons
