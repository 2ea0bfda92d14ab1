#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (a logout, `kill`, Ctrl+C in a terminal) into the end of every event
// loop, the one of a question or a dialog showing included, so the program quits at once and
// normally: main() goes on after exec(), and what the windows own (a running export, the
// recovery of unexported ticks) is finished or cancelled as they are destroyed. Nothing asks
// first, as nobody may be there to answer. One instance at a time; the old handlers return when
// it is destroyed.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

    // True once a quit signal came: a window that would ask before closing closes at once.
    static bool isQuitting();

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
