#pragma once

#include <QStringList>
#include <QStringView>

// Where the program looks for one of its modules (libraries it loads only when a feature first
// needs them): where an install puts them as seen from the program, so that any prefix works,
// then beside the program, as in a build tree.
QStringList programModulePaths(QStringView fileName);
