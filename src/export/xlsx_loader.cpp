#include "export/xlsx_functions.h"

#include "ui/core/program_modules.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

const XlsxFunctions *loadXlsxFunctions(const QStringList &modulePaths, QString *error)
{
    QStringList failures;
    for (const QString &path : modulePaths) {
        if (!QFileInfo::exists(path))
            continue;
        // The module stays loaded for the rest of the run; the table's functions live in it.
        QLibrary module(path);
        using Table = const XlsxFunctions *(*)();
        if (const auto table = reinterpret_cast<Table>(module.resolve("lanshanXlsxFunctions")))
            return table();
        failures << module.errorString();
    }
    if (failures.isEmpty())
        failures << QCoreApplication::translate("WorkbookWriter", "找不到 %1")
                        .arg(modulePaths.join(QCoreApplication::translate("WorkbookWriter", "、")));
    if (error)
        *error = QCoreApplication::translate("WorkbookWriter", "无法加载工作簿组件：%1")
                     .arg(failures.join(u'\n'));
    return nullptr;
}

const XlsxFunctions *xlsxFunctions(QString *error)
{
    // Looked for once: a missing module stays missing for the run.
    static const auto loaded = [] {
        QString reason;
        const XlsxFunctions *functions
            = loadXlsxFunctions(programModulePaths(u"liblanshan_xlsx.so"), &reason);
        return std::pair { functions, reason };
    }();
    if (!loaded.first && error)
        *error = loaded.second;
    return loaded.first;
}
