#pragma once
// The main window's project commands: "Save project" and "Open project" with their file
// dialogs, the project file's writing and reading and the error boxes. They keep nothing of
// the program's own: the window hands in the table, the language and the recent list.
#include "archive/ArchiveTable.h"

#include <QString>

#include <functional>
#include <optional>

class QWidget;

class ProjectCommands {
public:
    /// Puts a project in front of the recent projects.
    using Remember = std::function<void(const QString& fileName)>;

    /// The dialogs open over `window`; `remember` is told of every project saved or opened
    /// outside the read history's folder.
    ProjectCommands(QWidget* window, Remember remember);

    /// Asks for a file name, refuses a table without archive rows and writes the project,
    /// replacing an existing file without a question. The name written, or nothing after a
    /// cancel or an error box in language `lang`.
    std::optional<QString> save(const ArchiveTable& table, int lang) const;

    /// The open dialog, proposing the name opened last. The chosen name, which the next
    /// opening proposes, or nothing when cancelled.
    std::optional<QString> choose();

    /// Reads `fileName` as a project. On failure an error box in language `lang` says so and
    /// nothing comes back. A project from `historyFolder` (the read history's) is not a
    /// recent project: the reads have their own list.
    std::optional<ArchiveTable> open(const QString& fileName, const QString& historyFolder, int lang) const;

    /// The name the open dialog proposes next (the one opened, dropped or given last).
    const QString& proposedName() const { return proposedName_; }
    void setProposedName(const QString& fileName) { proposedName_ = fileName; }

private:
    QWidget* window_;
    Remember remember_;
    QString proposedName_; // kept between openings
};
