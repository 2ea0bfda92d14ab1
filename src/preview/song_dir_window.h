#pragma once

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QPushButton;
class QTreeView;

// Chooses the folder under which the song files lie. "设置" accepts; any other way of closing
// rejects, and the caller keeps its folder.
class SongDirWindow : public QDialog
{
    Q_OBJECT

public:
    explicit SongDirWindow(const QString &startFolder, QWidget *parent = nullptr);

    // The current folder followed by one separator, in this platform's form ("/home/k/songs/").
    QString chosenFolder() const;
    // Makes folder current and shows it; folders that do not exist are ignored.
    void moveTo(const QString &folder);

private:
    void fillDrives();
    void onDriveChosen(int index);
    void onFolderChanged();

    QFileSystemModel *m_model = nullptr;
    QTreeView *m_tree = nullptr;
    QComboBox *m_drives = nullptr;
    QPushButton *m_set = nullptr;
};
