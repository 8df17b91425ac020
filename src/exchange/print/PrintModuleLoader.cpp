#include "PrintModule.h"

#include "texts/Texts.h"
#include "ui/ErrorBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace {

using EntryFunction = const PrintFunctions* (*)();

void ShowModuleMissing(const QString& detail, int lang)
{
    ShowErrorBox(MainText::Error[lang], MainText::PrintModuleMissing[lang] + QLatin1Char('\n') + detail);
}

} // namespace

const PrintFunctions* LoadPrintModule(const QStringList& paths, QString& error)
{
    error.clear();
    for (const QString& path : paths) {
        if (!QFileInfo::exists(path)) continue;
        void* module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            error = QString::fromLocal8Bit(dlerror());
            continue;
        }
        if (auto entry = reinterpret_cast<EntryFunction>(dlsym(module, kPrintEntry)))
            if (const PrintFunctions* functions = entry()) return functions;
        error = path + QStringLiteral(": no ") + QLatin1String(kPrintEntry);
    }
    if (error.isEmpty()) error = QStringLiteral("%1 not found").arg(QLatin1String(kPrintModuleName));
    return nullptr;
}

const PrintFunctions* PrintModuleOnDemand(QString& error)
{
    // Loaded once and kept, like the spreadsheet module; only the window thread prints.
    static const PrintFunctions* functions = nullptr;
    error.clear();
    if (!functions) {
        QStringList paths{
            QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kPrintModuleName))};
        // Programs that do not live beside the module (the tests) name it in the environment,
        // so the program itself carries no path of the build tree.
        const QString named = qEnvironmentVariable(kPrintModuleVariable);
        if (!named.isEmpty()) paths << named;
        functions = LoadPrintModule(paths, error);
    }
    return functions;
}

bool ShowPrintPreview(const PreviewRequest& request, int lang)
{
    QString error;
    const PrintFunctions* functions = PrintModuleOnDemand(error);
    if (!functions) {
        ShowModuleMissing(error, lang);
        return false;
    }
    functions->preview(&request);
    return true;
}

bool WriteSvg(const SvgRequest& request, int lang)
{
    QString error;
    const PrintFunctions* functions = PrintModuleOnDemand(error);
    if (!functions) {
        ShowModuleMissing(error, lang);
        return false;
    }
    return functions->writeSvg(&request);
}
