#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

// Where the program looks for one of its modules (libraries it loads only when a feature first
// needs them): where an install puts them as seen from the program, so that any prefix works,
// then beside the program, as in a build tree.
QStringList programModulePaths(QStringView fileName);

// The entry point `symbol` of the first of `modulePaths` that loads (the module then stays loaded
// for the rest of the run), or nothing with the reason in `failure`: each module's load error, or
// that none of them exists.
QFunctionPointer resolveModuleEntry(
    const QStringList &modulePaths, const char *symbol, QString *failure);
