#include "ProjectCommands.h"

#include "archive/ArchiveModel.h"
#include "exchange/project/ProjectFile.h"
#include "texts/Texts.h"
#include "ui/ErrorBox.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

QString WithFileName(const TextPair& text, const QString& fileName, int lang)
{
    return text[lang] + QLatin1Char('\n') + QDir::toNativeSeparators(fileName);
}

} // namespace

ProjectCommands::ProjectCommands(QWidget* window, Remember remember)
    : window_(window), remember_(std::move(remember))
{
}

// "All Files" is "*": Qt takes "*.*" literally and would hide names without an extension.
std::optional<QString> ProjectCommands::save(const ArchiveTable& table, int lang) const
{
    QFileDialog dialog(window_, QString(), QString(), QStringLiteral("Zimbor 1.1 (*.ar);;All Files (*)"));
    dialog.setObjectName(QStringLiteral("SaveDialog2"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // An existing project is replaced without asking, as the command always did.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("ar"));
    dialog.selectFile(QStringLiteral("Arhive"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString fileName = dialog.selectedFiles().constFirst();
    if (!HasArchiveRows(table)) {
        ShowErrorBox(MainText::Error[lang], MainText::ArchiveNotRead[lang]);
        return std::nullopt;
    }
    if (saveProject(table, fileName) != ProjectStatus::Ok) {
        ShowErrorBox(MainText::Error[lang], WithFileName(MainText::SaveFailed, fileName, lang));
        return std::nullopt;
    }
    if (remember_) remember_(fileName);
    return fileName;
}

std::optional<QString> ProjectCommands::choose()
{
    QFileDialog dialog(window_, QString(), QString(), QStringLiteral("Zimbor (*.ar);;All Files (*)"));
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!proposedName_.isEmpty()) dialog.selectFile(proposedName_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    proposedName_ = dialog.selectedFiles().constFirst();
    return proposedName_;
}

std::optional<ArchiveTable> ProjectCommands::open(const QString& fileName, const QString& historyFolder,
                                                  int lang) const
{
    ArchiveTable opened(1, 1);
    if (openProject(opened, fileName) != ProjectStatus::Ok) {
        ShowErrorBox(MainText::Error[lang], WithFileName(MainText::OpenFailed, fileName, lang));
        return std::nullopt;
    }
    // The reads of the history have their own list.
    if (remember_ && QFileInfo(fileName).absolutePath() != QFileInfo(historyFolder).absoluteFilePath())
        remember_(fileName);
    return opened;
}
