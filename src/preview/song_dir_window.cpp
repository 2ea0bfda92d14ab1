#include "preview/song_dir_window.h"

#include "ui/native_path.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Mounts of the system itself, never where songs are kept; /run/media is where some desktops
// mount USB disks, so it stays.
bool isSystemMount(const QString &root)
{
    static const QStringList prefixes { u"/proc"_qs, u"/sys"_qs, u"/dev"_qs, u"/boot"_qs,
        u"/snap/"_qs, u"/run"_qs };
    if (root.startsWith(u"/run/media/"))
        return false;
    for (const QString &prefix : prefixes) {
        if (root == prefix || root.startsWith(prefix.endsWith(u'/') ? prefix : prefix + u'/'))
            return true;
    }
    return false;
}

} // namespace

SongDirWindow::SongDirWindow(const QString &startFolder, QWidget *parent)
    : QDialog(parent)
    , m_model(new QFileSystemModel(this))
    , m_tree(new QTreeView(this))
    , m_drives(new QComboBox(this))
    , m_set(new QPushButton(tr("设置"), this))
{
    setObjectName(u"SongDirWindow"_qs);
    setWindowTitle(tr("选择歌曲文件目录"));
    resize(380, 250);

    m_model->setFilter(QDir::Dirs | QDir::Drives | QDir::NoDotAndDotDot | QDir::Hidden);
    m_model->setRootPath(QString());
    m_tree->setObjectName(u"目录框1"_qs);
    m_tree->setAccessibleName(tr("文件夹"));
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_drives->setObjectName(u"驱动器框1"_qs);
    m_drives->setAccessibleName(tr("驱动器"));
    m_set->setObjectName(u"按钮1"_qs);
    // Enter in the folder tree sets the folder too.
    m_set->setDefault(true);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_drives, 1);
    bottom->addWidget(m_set);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(m_tree, 1);
    layout->addLayout(bottom);
    setTabOrder(m_tree, m_drives);
    setTabOrder(m_drives, m_set);

    fillDrives();
    connect(m_drives, &QComboBox::activated, this, &SongDirWindow::onDriveChosen);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
        &SongDirWindow::onFolderChanged);
    connect(m_set, &QPushButton::clicked, this, &QDialog::accept);
    moveTo(startFolder);
    if (!m_tree->currentIndex().isValid())
        moveTo(QDir::rootPath());
    m_tree->setFocus();
}

QString SongDirWindow::chosenFolder() const
{
    QString folder = m_model->filePath(m_tree->currentIndex());
    if (folder.isEmpty())
        folder = QDir::rootPath();
    return folderWithSeparator(folder);
}

void SongDirWindow::moveTo(const QString &folder)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        return;
    const QModelIndex index = m_model->index(info.absoluteFilePath());
    if (!index.isValid())
        return;
    m_tree->setCurrentIndex(index);
    m_tree->expand(index);
    m_tree->scrollTo(index, QAbstractItemView::PositionAtTop);
}

void SongDirWindow::fillDrives()
{
    QStringList roots;
    for (const QFileInfo &drive : QDir::drives()) {
        roots << drive.absoluteFilePath();
        m_drives->addItem(QDir::toNativeSeparators(roots.last()), roots.last());
    }
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(),
        [](const QStorageInfo &a, const QStorageInfo &b) { return a.rootPath() < b.rootPath(); });
    for (const QStorageInfo &volume : volumes) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || !volume.isReady() || roots.contains(root)
            || !QFileInfo(root).isDir() || isSystemMount(root))
            continue;
        roots << root;
        const QString name = volume.displayName();
        const QString text = name.isEmpty() || name == root
            ? QDir::toNativeSeparators(root)
            : u"%1  (%2)"_qs.arg(QDir::toNativeSeparators(root), name);
        m_drives->addItem(text, root);
    }
}

void SongDirWindow::onDriveChosen(int index)
{
    moveTo(m_drives->itemData(index).toString());
}

void SongDirWindow::onFolderChanged()
{
    // Keep the drive list on the volume that holds the current folder.
    const QString folder = m_model->filePath(m_tree->currentIndex());
    if (folder.isEmpty())
        return;
    const int index = m_drives->findData(QStorageInfo(folder).rootPath());
    if (index >= 0)
        m_drives->setCurrentIndex(index);
}
