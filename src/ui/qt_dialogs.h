#pragma once

#include "ui/dialogs.h"

// The real dialogs. Remembers the last folder used in this run, so the save dialog opens where
// the search file came from.
class QtDialogs : public Dialogs
{
public:
    // messageTitle: the title of every message box.
    explicit QtDialogs(QString messageTitle = {});

    std::optional<QString> askOpenFile(QWidget *parent, const QString &filter) override;
    std::optional<QString> askSaveFile(
        QWidget *parent, const QString &filter, const QString &suggestedName = {}) override;
    Answer askYesNoCancel(QWidget *parent, const QString &text, const QString &yes,
        const QString &no, const QString &cancel) override;
    void showMessage(QWidget *parent, const QString &text) override;
    int showModal(QDialog &window) override;

private:
    QString m_messageTitle;
    QString m_lastFolder;
};
