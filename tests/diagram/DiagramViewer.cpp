// Shows the diagram window over a survey archive, for looking at it on a screen:
//   diagram_viewer [en] [marks] [project.ar]
#include "RealisticArchive.h"
#include "app/SharedState.h"
#include "diagram/Unit4.h"

#include <QApplication>
#include <QCheckBox>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("en"))) Lang = 1;
    const ArchiveTable table = DiagramTable(SurveyRows(SurveyObjects(), Lang.load()));
    TForm4 form(table);
    if (form.buildError()) return 1;
    if (args.contains(QStringLiteral("marks"))) form.MB[2]->click();
    form.show();
    return app.exec();
}
