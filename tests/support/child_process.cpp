#include "child_process.h"

#include <QCoreApplication>

#include <map>

namespace {

const QString routineFlag = QStringLiteral("--child-routine");

std::map<QString, ChildRoutine> &routines()
{
    static std::map<QString, ChildRoutine> registered;
    return registered;
}

} // namespace

bool registerChildRoutine(const QString &name, ChildRoutine routine)
{
    return routines().emplace(name, std::move(routine)).second;
}

std::optional<int> runChildRoutine(const QStringList &commandLine)
{
    if (commandLine.size() < 3 || commandLine[1] != routineFlag)
        return std::nullopt;
    const auto found = routines().find(commandLine[2]);
    if (found == routines().end())
        return 127;
    return found->second(commandLine.mid(3));
}

void startChildRoutine(QProcess &child, const QString &name, const QStringList &arguments)
{
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(
        QCoreApplication::applicationFilePath(), QStringList { routineFlag, name } + arguments);
}
