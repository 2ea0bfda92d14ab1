#include "preview/song_dir_window.h"

#include "ui/core/native_path.h"
#include "ui/widgets/accessibility.h"
#include "ui/widgets/placed_layout.h"
#include "ui/widgets/window_frame.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QStorageInfo>
#include <QTreeView>

#include <algorithm>

namespace {

bool isInside(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

} // namespace

QStringList browsableRoots(const QStringList &mountRoots, const QString &home)
{
    static const QStringList volumeFolders { u"/media"_qs, u"/run/media"_qs, u"/mnt"_qs };
    QStringList volumes;
    for (const QString &mount : mountRoots) {
        const QString root = QDir::cleanPath(mount);
        const bool onVolumeFolder = std::any_of(volumeFolders.begin(), volumeFolders.end(),
            [&](const QString &folder) { return isInside(root, folder); });
        if (onVolumeFolder)
            volumes << root;
    }
    volumes.sort();
    QStringList roots { QDir::rootPath() };
    if (!home.isEmpty())
        roots << QDir::cleanPath(home);
    roots << volumes;
    roots.removeDuplicates();
    return roots;
}

SongDirWindow::SongDirWindow(const QString &startFolder, QWidget *parent)
    : QDialog(parent)
    , m_model(new QFileSystemModel(this))
    , m_tree(new QTreeView(this))
    , m_drives(new NamedComboBox(this))
    , m_set(new QPushButton(tr("设置"), this))
{
    setObjectName(u"SongDirWindow"_qs);
    setWindowTitle(tr("选择歌曲文件目录"));

    m_model->setFilter(QDir::Dirs | QDir::Drives | QDir::NoDotAndDotDot);
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

    auto *layout = new PlacedLayout(this, PlacedLayout::clientAreaOf(QSize(380, 250)));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->place(m_tree, QRect(0, 0, 368, 192));
    layout->place(m_drives, QRect(0, 196, 328, 20));
    layout->place(m_set, QRect(327, 196, 48, 20));
    setTabOrder(m_tree, m_drives);
    setTabOrder(m_drives, m_set);

    fillDrives();
    connect(m_drives, &QComboBox::activated, this, &SongDirWindow::onDriveChosen);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
        &SongDirWindow::onFolderChanged);
    connect(m_set, &QPushButton::clicked, this, &QDialog::accept);
    // Folders fill in and sort after the window opens and push the current one out of sight:
    // keep it in view until the user scrolls.
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &SongDirWindow::keepCurrentInView);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &SongDirWindow::keepCurrentInView);
    connect(m_tree->verticalScrollBar(), &QScrollBar::actionTriggered, this,
        [this] { m_userScrolled = true; });
    moveTo(startFolder);
    if (!m_tree->currentIndex().isValid())
        moveTo(QDir::homePath());
    if (!m_tree->currentIndex().isValid())
        moveTo(QDir::rootPath());
    m_tree->setFocus();
}

void SongDirWindow::showEvent(QShowEvent *event)
{
    centreOverParent(*this);
    QDialog::showEvent(event);
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
    m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_tree->expand(index);
    m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void SongDirWindow::fillDrives()
{
    QStringList mountRoots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            mountRoots << volume.rootPath();
    }
    for (const QString &root : browsableRoots(mountRoots, QDir::homePath())) {
        if (!QFileInfo(root).isDir())
            continue;
        const QString name
            = QStorageInfo(root).rootPath() == root ? QStorageInfo(root).displayName() : QString();
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
    // The deepest offered root that holds it: the home rather than "/".
    int best = -1;
    for (int i = 0; i < m_drives->count(); ++i) {
        const QString root = m_drives->itemData(i).toString();
        if (isInside(folder, root)
            && (best < 0 || root.size() > m_drives->itemData(best).toString().size()))
            best = i;
    }
    if (best >= 0)
        m_drives->setCurrentIndex(best);
}

void SongDirWindow::keepCurrentInView()
{
    if (!m_userScrolled && m_tree->currentIndex().isValid())
        m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
}
