// Shows the diagram window over a survey archive, for looking at it on a screen:
//   diagram_viewer [en] [marks] [large]
#include "RealisticArchive.h"
#include "diagram/Unit4.h"

#include <QApplication>
#include <QCheckBox>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int lang = args.contains(QStringLiteral("en")) ? 1 : 0;
    std::vector<SurveyObject> objects = SurveyObjects();
    if (args.contains(QStringLiteral("large"))) { // the instrument's largest archive, 1760 points
        objects.clear();
        for (int i = 1; i <= 20; ++i)
            objects.push_back({QStringLiteral("Объект %1").arg(i), i % 3 == 0, 4, 22});
    }
    const ArchiveTable table = DiagramTable(SurveyRows(objects, lang));
    TForm4 form(table, lang);
    if (form.buildError()) return 1;
    if (args.contains(QStringLiteral("marks"))) form.MB[2]->click();
    form.show();
    return app.exec();
}
