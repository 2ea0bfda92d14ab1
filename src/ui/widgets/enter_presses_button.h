#pragma once

#include <QObject>

// Enter and the keypad's Enter press the focused button, as on Windows, where this tool's users
// come from; Qt leaves that to Space outside dialogs. Dialogs keep their own rule (Enter takes
// the default button), so only buttons of other windows and tool buttons are pressed here.
// Filters the whole application from construction to destruction.
class EnterPressesButton : public QObject
{
    Q_OBJECT

public:
    EnterPressesButton();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
