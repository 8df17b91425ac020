#include "SaveDialog1.h"

#include "archive/ArchiveModel.h"
#include "archive/ArchiveTable.h"
#include "exchange/spreadsheet/SpreadsheetExport.h"
#include "exchange/spreadsheet/SpreadsheetModule.h"
#include "texts/Texts.h"
#include "ui/ErrorBox.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>

#include <memory>

namespace {

// Errors are shown without an owner window, with one OK button.
void ShowError(const QString& text, const TextPair& caption, int lang) { ShowErrorBox(caption[lang], text); }

void ShowError(const TextPair& text, const TextPair& caption, int lang)
{
    ShowError(text[lang], caption, lang);
}

} // namespace

QStringList SaveDialog1Filters()
{
    // "All Files" matches every name, with or without an extension.
    return {QStringLiteral("Exel 2003 (*.xls)"), QStringLiteral("Exel 2007 (*.xlsx)"),
            QStringLiteral("All Files (*)")};
}

QString TypeChangedName(const QString& fileName, int filterIndex)
{
    const QString extension = filterIndex == 1 ? QStringLiteral(".xlsx") : QStringLiteral(".xls");
    return fileName.contains(extension) ? fileName : fileName + extension;
}

SaveDialog1::SaveDialog1(QWidget* window) : QObject(window) { setObjectName(QStringLiteral("SaveDialog1")); }

SaveDialog1& SaveDialog1::of(QWidget* window)
{
    Q_ASSERT(window);
    if (auto* dialog = window->findChild<SaveDialog1*>(QString(), Qt::FindDirectChildrenOnly)) return *dialog;
    return *new SaveDialog1(window);
}

std::optional<QString> SaveDialog1::execute(QWidget* parent)
{
    if (chooser_) return chooser_(parent, proposedName_);
    std::unique_ptr<QFileDialog> dialog(create(parent, proposedName_));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
    return dialog->selectedFiles().constFirst();
}

SpreadsheetResult SaveDialog1::exportTable(const ArchiveTable& table, const QString& sheetTitle,
                                           const QString& fileName) const
{
    if (exporter_) return exporter_(table, sheetTitle, fileName);
    return ExportSpreadsheetOnDemand(table, sheetTitle, fileName);
}

QFileDialog* SaveDialog1::create(QWidget* parent, const QString& proposedName)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // An existing file is replaced without a question, as the export always did.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    const QStringList filters = SaveDialog1Filters();
    dialog->setNameFilters(filters);
    dialog->selectFile(proposedName);

    // The dialog itself swaps the extension of a typed name when the type changes; the rule
    // here only ever appends. So the name is taken as it was before the dialog touched it:
    // the type box reports its new entry before the dialog acts on it.
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto before = std::make_shared<QString>();
    if (edit && types)
        QObject::connect(types, &QComboBox::currentIndexChanged, dialog,
                         [edit, before] { *before = edit->text(); });
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                     [dialog, edit, types, before, filters](const QString& filter) {
                         const int index = int(filters.indexOf(filter));
                         if (edit && types) {
                             edit->setText(TypeChangedName(*before, index));
                         } else {
                             const QStringList chosen = dialog->selectedFiles();
                             dialog->selectFile(TypeChangedName(
                                 chosen.isEmpty() ? QString() : QFileInfo(chosen.first()).fileName(), index));
                         }
                     });
    return dialog;
}

void SaveTableToSpreadsheet(QWidget* window, const ArchiveTable& table, int lang)
{
    SaveDialog1& saveDialog = SaveDialog1::of(window);
    const std::optional<QString> fileName = saveDialog.execute(window);
    if (!fileName) return;
    // The dialog keeps the chosen name until an export succeeds.
    saveDialog.setProposedName(*fileName);
    if (!HasArchiveRows(table)) {
        ShowError(MainText::ArchiveNotRead, MainText::Error, lang);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const SpreadsheetResult result = saveDialog.exportTable(table, MainText::SheetTitle[lang], *fileName);
    QApplication::restoreOverrideCursor();
    if (result.status == SpreadsheetStatus::WriterMissing) {
        // Without its writers the export cannot start, as when the spreadsheet application
        // could not be opened; the export error follows as it did then.
        ShowError(MainText::ExcelOpenError[lang] + QLatin1Char('\n') + MainText::ExcelMissing[lang],
                  MainText::Error, lang);
    }
    if (!result.ok()) {
        ShowError(MainText::ExportError, MainText::Warning, lang);
        return;
    }
    saveDialog.setProposedName(QString());
}
