#pragma once

#include <QString>

class Dialogs;
class QWidget;

// The settings file beside the executable: "config.ini".
QString settingsFilePath();

// On first use, which the settings file's [data] open= entry remembers, records that the
// notice was shown and shows the about window modally. A settings file that cannot be written
// costs only the memory: the notice then appears at every start.
void showFirstUseNotice(const QString &settingsPath, QWidget *parent, Dialogs &dialogs);
