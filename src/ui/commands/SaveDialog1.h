#pragma once
// The main window's "Save to Exel" command: its save dialog, the check for an empty table,
// the export and the message boxes.
#include "exchange/spreadsheet/SpreadsheetExport.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class ArchiveTable;
class QFileDialog;
class QWidget;

/// The save dialog's file types, in the order the type-change rule counts them.
QStringList SaveDialog1Filters();

/// The file name after the user picks filter entry `filterIndex` (0-based): the entry's
/// extension (".xls", ".xlsx", ".xls" for any other entry) is appended unless the name
/// already contains it anywhere. Nothing is ever removed, so "a.xlsx" stays as it is when
/// ".xls" is picked.
QString TypeChangedName(const QString& fileName, int filterIndex);

/// The window's spreadsheet save dialog and the name it proposes, kept between commands as a
/// child of the window. Tests replace the dialog through setChooser().
class SaveDialog1 : public QObject {
    Q_OBJECT
public:
    /// Shows a dialog proposing `proposedName`; the chosen name, or nothing when cancelled.
    using Chooser = std::function<std::optional<QString>(QWidget* parent, const QString& proposedName)>;
    /// Writes the workbook: ExportSpreadsheetOnDemand unless a test replaces it.
    using Exporter = std::function<SpreadsheetResult(const ArchiveTable&, const QString& sheetTitle,
                                                     const QString& fileName)>;

    /// The dialog of `window`, made on first use.
    static SaveDialog1& of(QWidget* window);

    QString proposedName() const { return proposedName_; }
    void setProposedName(const QString& name) { proposedName_ = name; }
    void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }
    void setExporter(Exporter exporter) { exporter_ = std::move(exporter); }
    SpreadsheetResult exportTable(const ArchiveTable& table, const QString& sheetTitle,
                                  const QString& fileName) const;

    std::optional<QString> execute(QWidget* parent);

    /// A non-native save dialog with the file types and `proposedName`, whose type changes
    /// follow TypeChangedName(). The caller owns it.
    static QFileDialog* create(QWidget* parent, const QString& proposedName);

private:
    explicit SaveDialog1(QWidget* window);
    QString proposedName_ = QStringLiteral("Arhive");
    Chooser chooser_;
    Exporter exporter_;
};

/// The command: ask for a file name, refuse an empty table, export, and report a failure.
/// After a successful export the dialog proposes an empty name, after a refused or failed one
/// the name the user chose. `lang` is the language of the sheet's title and of the boxes.
void SaveTableToSpreadsheet(QWidget* window, const ArchiveTable& table, int lang);
