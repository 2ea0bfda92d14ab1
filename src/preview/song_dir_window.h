#pragma once

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QPushButton;
class QTreeView;

// The roots the drive list offers: the file-system root, the user's home, then the mounted
// volumes a user keeps songs on (removable and extra disks under /media, /run/media and /mnt),
// each once. System, pseudo and bind mounts elsewhere are left out.
QStringList browsableRoots(const QStringList &mountRoots, const QString &home);

// Chooses the folder under which the song files lie. "设置" accepts; any other way of closing
// rejects, and the caller keeps its folder.
class SongDirWindow : public QDialog
{
    Q_OBJECT

public:
    explicit SongDirWindow(const QString &startFolder, QWidget *parent = nullptr);

    // The current folder followed by one separator, in this platform's form ("/home/k/songs/").
    QString chosenFolder() const;
    // Makes folder current, selected and in view; folders that do not exist are ignored.
    void moveTo(const QString &folder);

protected:
    // Opens centred over the main window.
    void showEvent(QShowEvent *event) override;

private:
    void fillDrives();
    void onDriveChosen(int index);
    void onFolderChanged();
    void keepCurrentInView();

    QFileSystemModel *m_model = nullptr;
    QTreeView *m_tree = nullptr;
    QComboBox *m_drives = nullptr;
    QPushButton *m_set = nullptr;
    bool m_userScrolled = false;
};
