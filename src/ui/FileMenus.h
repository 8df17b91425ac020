#pragma once
// The File menu's two lists: the recent projects and the read history. Each is filled anew
// whenever it opens, so it always shows the files as they are now.
#include <QString>

#include <functional>

class QMenu;
class QUrl;
class ReadHistory;

using OpenFile = std::function<void(const QString&)>;

/// One item per recent project; a missing file is shown disabled and "Remove missing files"
/// takes such files off the list.
void FillRecentMenu(QMenu& menu, int lang, const OpenFile& open);

/// One item per read, newest first (a damaged file disabled), then "Open folder", which
/// hands the folder's address to `showFolder`.
void FillHistoryMenu(QMenu& menu, ReadHistory& history, int lang, const OpenFile& open,
                     const std::function<void(const QUrl&)>& showFolder);
