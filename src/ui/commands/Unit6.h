#pragma once
// The report window: holds the listing of the archive table as it was when the command ran,
// and shows it in a print preview from which the user prints or saves a PDF.
#include "exchange/report/ReportText.h"

#include <QWidget>

class ArchiveTable;
class QPagedPaintDevice;
struct PrintRun;
struct SharedState;

class TForm6 : public QWidget {
    Q_OBJECT
public:
    /// Takes the report lines from `table`; `title` heads every page (CurrentReportTitle).
    TForm6(const ArchiveTable& table, const QString& title, QWidget* parent = nullptr);

    const QString& title() const { return title_; }
    const QStringList& lines() const { return lines_; }

    /// One run of the report onto a printer's `device`, honouring the page range of `run`.
    void QuickRep1Print(QPagedPaintDevice& device, const PrintRun& run);
    /// Opens the modal print preview; returns when the user closes it. A printing module that
    /// cannot be loaded is reported in language `lang`.
    void Preview(int lang);

private:
    QString title_;
    QStringList lines_;
    DetailCounter counter_;
};

/// The Print command: a fresh report window over `table` and its print preview, titled in the
/// language and with the time format of `state` now.
void OpenReportPreview(QWidget* parent, const ArchiveTable& table, const SharedState& state);
