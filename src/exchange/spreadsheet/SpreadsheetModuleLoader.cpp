#include "SpreadsheetModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

SpreadsheetExportFunction LoadSpreadsheetModule(const QStringList& paths, QString& error)
{
    error.clear();
    for (const QString& path : paths) {
        if (!QFileInfo::exists(path)) continue;
        void* module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            error = QString::fromLocal8Bit(dlerror());
            continue;
        }
        if (auto function = reinterpret_cast<SpreadsheetExportFunction>(dlsym(module, kSpreadsheetEntry)))
            return function;
        error = path + QStringLiteral(": no ") + QLatin1String(kSpreadsheetEntry);
    }
    if (error.isEmpty()) error = QStringLiteral("%1 not found").arg(QLatin1String(kSpreadsheetModuleName));
    return nullptr;
}

SpreadsheetResult ExportSpreadsheetOnDemand(const ArchiveTable& table, const QString& sheetTitle,
                                            const QString& fileName)
{
    // Loaded once and kept, like the USB library; only the window thread exports.
    static SpreadsheetExportFunction function = nullptr;
    SpreadsheetResult result;
    if (!function) {
        QStringList paths{
            QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kSpreadsheetModuleName))};
        // Programs that do not live beside the module (the tests) name it in the environment,
        // so the program itself carries no path of the build tree.
        const QString named = qEnvironmentVariable(kSpreadsheetModuleVariable);
        if (!named.isEmpty()) paths << named;
        function = LoadSpreadsheetModule(paths, result.detail);
    }
    if (!function) {
        result.status = SpreadsheetStatus::WriterMissing;
        return result;
    }
    result.detail.clear();
    result.status = SpreadsheetStatus(function(&table, &sheetTitle, &fileName, &result.detail));
    return result;
}
