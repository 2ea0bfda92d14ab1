#include "export/xlsx_functions.h"

#include "ui/core/program_modules.h"

#include <QCoreApplication>

const XlsxFunctions *loadXlsxFunctions(const QStringList &modulePaths, QString *error)
{
    QString failure;
    using Table = const XlsxFunctions *(*)();
    if (const auto table = reinterpret_cast<Table>(
            resolveModuleEntry(modulePaths, "lanshanXlsxFunctions", &failure)))
        return table();
    if (error)
        *error
            = QCoreApplication::translate("WorkbookWriter", "无法加载工作簿组件：%1").arg(failure);
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
