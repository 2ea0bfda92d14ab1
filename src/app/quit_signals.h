#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (a logout, `kill`, Ctrl+C in a terminal) into closing every window as
// their close boxes do, so the event loop ends normally: a running export is cancelled and its
// temporary files removed as the window goes. One instance at a time; the old handlers return
// when it is destroyed.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

    // True while a quit signal closes the windows: a window that would ask before closing
    // closes at once, as nobody may be there to answer.
    static bool isClosingWindows();

private:
    static void onSignal(int number);
    void onNotified();

    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_oldTerm
    {
    };
    struct sigaction m_oldInt
    {
    };
};
