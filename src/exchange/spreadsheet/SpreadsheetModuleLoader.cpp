#include "SpreadsheetModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace {

using ExportFunction = int (*)(const ArchiveTable*, const QString*, const QString*, QString*);

// Loaded once and kept, like the USB library; only the window thread exports.
ExportFunction LoadExport(QString& error)
{
    static ExportFunction function = nullptr;
    if (function) return function;
    const QStringList candidates = {
        QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kSpreadsheetModuleName)),
        QStringLiteral(LM11_SPREADSHEET_MODULE),
    };
    for (const QString& path : candidates) {
        if (!QFileInfo::exists(path)) continue;
        void* module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            error = QString::fromLocal8Bit(dlerror());
            continue;
        }
        function = reinterpret_cast<ExportFunction>(dlsym(module, kSpreadsheetEntry));
        if (function) return function;
        error = path + QStringLiteral(": no ") + QLatin1String(kSpreadsheetEntry);
    }
    if (error.isEmpty()) error = QStringLiteral("%1 not found").arg(QLatin1String(kSpreadsheetModuleName));
    return nullptr;
}

} // namespace

SpreadsheetResult ExportSpreadsheetOnDemand(const ArchiveTable& table, const QString& sheetTitle,
                                            const QString& fileName)
{
    SpreadsheetResult result;
    const ExportFunction function = LoadExport(result.detail);
    if (!function) {
        result.status = SpreadsheetStatus::WriteFailed;
        return result;
    }
    result.detail.clear();
    result.status = SpreadsheetStatus(function(&table, &sheetTitle, &fileName, &result.detail));
    return result;
}
