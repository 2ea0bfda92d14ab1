#pragma once

#include <QProcess>
#include <QStringList>

#include <functional>
#include <optional>

// A test that must kill or signal a program runs this test program again as a child, which runs
// one named routine in place of the tests.
using ChildRoutine = std::function<int(const QStringList &arguments)>;

// At namespace scope: `const bool registered = registerChildRoutine(u"name"_qs, routine);`.
bool registerChildRoutine(const QString &name, ChildRoutine routine);
// Runs the routine the command line names; nothing when it names none. Called by main().
std::optional<int> runChildRoutine(const QStringList &commandLine);
// Starts this program as a child that runs the routine `name` with `arguments`.
void startChildRoutine(QProcess &child, const QString &name, const QStringList &arguments);
