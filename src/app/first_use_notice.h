#pragma once

class Dialogs;
class QWidget;
struct SettingsFiles;

// On first use, which the settings files' [data] open= entry remembers, records that the
// notice was shown and shows the about window modally. A settings file that cannot be written
// costs only the memory: the notice then appears at every start.
void showFirstUseNotice(const SettingsFiles &settings, QWidget *parent, Dialogs &dialogs);

// The same over a window just shown, once the window manager has put it on the screen: shown
// before, the notice would be centred over where the window was not yet.
void showFirstUseNoticeOver(QWidget &window, const SettingsFiles &settings, Dialogs &dialogs);
