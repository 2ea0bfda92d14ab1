#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

// What the program remembers between runs beyond config.ini: the main window's size, the
// folders the open and save dialogs were last in, and the files of the songs the venue already
// has. A file of our own (JSON); config.ini keeps only its one entry.
//
// A state file that is missing reads as empty. One that is damaged, unreadable, a FIFO or a
// device also reads as empty, and is then never written over: it is left for the user to look
// at, and the program still starts.
class AppState
{
public:
    // state.json in the user's configuration folder for this application.
    static QString defaultPath();

    explicit AppState(QString path = defaultPath());

    // Reads the file again; what it held is lost when it cannot be read.
    void load();
    // Writes atomically. Returns why nothing was written; empty on success.
    QString save() const;

    // Why the file read as empty and will not be written (empty when it is fine or missing).
    const QString &problem() const { return m_problem; }
    const QString &path() const { return m_path; }

    QSize windowSize() const { return m_windowSize; } // invalid when none was kept
    void setWindowSize(QSize size) { m_windowSize = size; }
    const QString &openFolder() const { return m_openFolder; }
    void setOpenFolder(const QString &folder) { m_openFolder = folder; }
    const QString &saveFolder() const { return m_saveFolder; }
    void setSaveFolder(const QString &folder) { m_saveFolder = folder; }
    const QStringList &venueSongFiles() const { return m_venueSongFiles; }
    void setVenueSongFiles(const QStringList &files) { m_venueSongFiles = files; }

private:
    QString m_path;
    QString m_problem;
    QSize m_windowSize;
    QString m_openFolder;
    QString m_saveFolder;
    QStringList m_venueSongFiles;
};
