#pragma once

#include "ui/widgets/dialogs.h"

// The real dialogs. Remembers the folders last used, so the save dialog opens where the search
// file came from, and the open dialog where the last file was opened.
class QtDialogs : public Dialogs
{
public:
    // messageTitle: the title of every message box.
    explicit QtDialogs(QString messageTitle = {});

    std::optional<QString> askOpenFile(
        QWidget *parent, const QString &filter, const QString &title = {}) override;
    QStringList askOpenFiles(
        QWidget *parent, const QString &filter, const QString &title = {}) override;
    std::optional<QString> askSaveFile(
        QWidget *parent, const QString &filter, const QString &suggestedName = {}) override;
    Answer askYesNoCancel(QWidget *parent, const QString &text, const QString &yes,
        const QString &no, const QString &cancel) override;
    Answer askYesNo(
        QWidget *parent, const QString &text, const QString &yes, const QString &no) override;
    void showMessage(QWidget *parent, const QString &text) override;
    void showFolder(QWidget *parent, const QString &folder) override;
    int showModal(QDialog &window) override;

    // The folders last opened from and saved to, kept between runs by the caller.
    QString openFolder() const { return m_openFolder; }
    QString saveFolder() const { return m_saveFolder; }
    void setFolders(const QString &openFolder, const QString &saveFolder);

private:
    void opened(const QString &path);
    // The buttons' roles as QMessageBox knows them; the last is the one of Escape.
    Answer ask(QWidget *parent, const QString &text, const QStringList &answers);

    QString m_messageTitle;
    // Where either dialog was last used: the save dialog starts there.
    QString m_lastFolder;
    QString m_openFolder;
    QString m_saveFolder;
};
