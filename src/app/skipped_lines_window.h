#pragma once

#include <QDialog>

class QListView;
class QPushButton;
class SkippedLinesModel;

// Every line of a search file that is no song, with its number and text, for the operator to
// find and mend them; 复制全部 puts the list on the clipboard.
class SkippedLinesWindow : public QDialog
{
    Q_OBJECT

public:
    // The window shows the model, which it does not own.
    SkippedLinesWindow(SkippedLinesModel *lines, const QString &report, QWidget *parent = nullptr);

    QListView *list() const { return m_list; }
    QPushButton *copyButton() const { return m_copyButton; }

private:
    SkippedLinesModel *m_lines;
    QListView *m_list;
    QPushButton *m_copyButton;
};
