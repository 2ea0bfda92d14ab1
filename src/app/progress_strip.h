#pragma once

#include <QWidget>

class QProgressBar;
class QPushButton;

// A progress bar with a small 取消 button beside it, shown while a background task runs. The
// button (like Escape, which the window wires) asks the task to stop.
class ProgressStrip : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressStrip(QWidget *parent = nullptr);

    QProgressBar *bar() const { return m_bar; }
    QPushButton *cancelButton() const { return m_cancel; }

    // Shows the strip at 0 %, above its siblings.
    void begin();
    void setValue(int percent);
    // Begins when hidden, then shows the value: for a task that reports only once it is slow.
    void showProgress(int percent);

signals:
    void cancelRequested();

private:
    QProgressBar *m_bar;
    QPushButton *m_cancel;
};
