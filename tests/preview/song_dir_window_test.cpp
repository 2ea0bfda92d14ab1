#include "preview/song_dir_window.h"

#include "support/window_layout.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

class SongFolderChooser : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(u"songs/国语"_qs);
        QDir(m_dir.path()).mkpath(u"songs/粤语"_qs);
        QDir(m_dir.path()).mkpath(u"songs/.thumbnails"_qs);
        QFile file(m_dir.filePath(u"songs/list.txt"_qs));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QString songs() const { return m_dir.filePath(u"songs"_qs); }

    static void chooseInTree(QDialog &window, const QString &folder)
    {
        auto *tree = window.findChild<QTreeView *>(u"目录框1"_qs);
        tree->setCurrentIndex(qobject_cast<QFileSystemModel *>(tree->model())->index(folder));
    }

    QTemporaryDir m_dir;
};

TEST_F(SongFolderChooser, OffersTheFolderTreeTheDriveListAndTheSetButton)
{
    SongDirWindow window(songs());
    EXPECT_EQ(window.objectName(), u"SongDirWindow"_qs);
    EXPECT_EQ(window.windowTitle(), u"选择歌曲文件目录"_qs);
    auto *tree = window.findChild<QTreeView *>(u"目录框1"_qs);
    auto *drives = window.findChild<QComboBox *>(u"驱动器框1"_qs);
    auto *set = window.findChild<QPushButton *>(u"按钮1"_qs);
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(drives, nullptr);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->text(), u"设置"_qs);
    window.show();
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "the layout is fixed";
    EXPECT_EQ(controlsCutOff(window), "");
    // The tree fills the top; the drive list and the button share the row below it.
    EXPECT_LT(tree->geometry().bottom(), drives->geometry().top());
    EXPECT_EQ(drives->geometry().top(), set->geometry().top());
    EXPECT_LE(drives->geometry().right(), set->geometry().left());
}

TEST_F(SongFolderChooser, StartsAtTheGivenFolderSelectedAndInSight)
{
    SongDirWindow window(songs());
    EXPECT_EQ(window.chosenFolder(), QDir::toNativeSeparators(songs()) + QDir::separator());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto *tree = window.findChild<QTreeView *>(u"目录框1"_qs);
    const QModelIndex start = qobject_cast<QFileSystemModel *>(tree->model())->index(songs());
    // The folders above it fill in after the window opens.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return tree->selectionModel()->isSelected(start)
            && tree->viewport()->rect().contains(tree->visualRect(start).center());
    }));
    EXPECT_TRUE(tree->selectionModel()->isSelected(start));
    for (QModelIndex parent = start.parent(); parent.isValid(); parent = parent.parent())
        EXPECT_TRUE(tree->isExpanded(parent)) << parent.data().toString().toStdString();
    EXPECT_TRUE(tree->viewport()->rect().contains(tree->visualRect(start).center()))
        << "the start folder is scrolled out of sight";
}

TEST_F(SongFolderChooser, SetGivesTheChosenFolderWithOneTrailingSeparator)
{
    SongDirWindow window(songs());
    chooseInTree(window, songs() + u"/粤语"_qs);
    window.findChild<QPushButton *>(u"按钮1"_qs)->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(
        window.chosenFolder(), QDir::toNativeSeparators(songs() + u"/粤语"_qs) + QDir::separator());
}

TEST_F(SongFolderChooser, ARootGetsOneSeparatorNotTwo)
{
    SongDirWindow window(QDir::rootPath());
    window.findChild<QPushButton *>(u"按钮1"_qs)->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.chosenFolder(), QDir::toNativeSeparators(QDir::rootPath()));
}

TEST_F(SongFolderChooser, ClosingWithTheCloseBoxChoosesNothing)
{
    SongDirWindow window(songs());
    chooseInTree(window, songs() + u"/国语"_qs);
    window.show();
    window.close();
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(SongFolderChooser, PickingADriveMovesTheTreeToItsRoot)
{
    SongDirWindow window(songs());
    auto *drives = window.findChild<QComboBox *>(u"驱动器框1"_qs);
    const int root = drives->findData(QDir::rootPath());
    ASSERT_GE(root, 0) << "the file system root is not offered";
    drives->setCurrentIndex(root);
    emit drives->activated(root);
    EXPECT_EQ(window.chosenFolder(), QDir::toNativeSeparators(QDir::rootPath()));
}

TEST_F(SongFolderChooser, TheDriveListShowsTheOfferedRootHoldingTheStartFolder)
{
    SongDirWindow window(QDir::homePath());
    auto *drives = window.findChild<QComboBox *>(u"驱动器框1"_qs);
    EXPECT_EQ(drives->currentData().toString(), QDir::homePath());
    SongDirWindow inTemp(songs());
    EXPECT_EQ(
        inTemp.findChild<QComboBox *>(u"驱动器框1"_qs)->currentData().toString(), QDir::rootPath());
}

TEST(SongFolderRoots, TheRootTheHomeAndUserVolumesEachOnceWithoutSystemMounts)
{
    const QStringList mounts { u"/"_qs, u"/proc"_qs, u"/sys/fs/cgroup"_qs, u"/dev/shm"_qs,
        u"/run/user/1000"_qs, u"/boot/efi"_qs, u"/etc/hosts"_qs, u"/home"_qs, u"/media/k/USB 盘"_qs,
        u"/run/media/k/SONGS"_qs, u"/mnt/disk2/"_qs, u"/media/k/USB 盘"_qs, u"/mediafiles"_qs,
        u"/mnt"_qs };
    EXPECT_EQ(browsableRoots(mounts, u"/home/k"_qs),
        (QStringList { u"/"_qs, u"/home/k"_qs, u"/media/k/USB 盘"_qs, u"/mnt"_qs, u"/mnt/disk2"_qs,
            u"/run/media/k/SONGS"_qs }));
    EXPECT_EQ(browsableRoots({ u"/"_qs }, u"/"_qs), QStringList { u"/"_qs });
}

TEST_F(SongFolderChooser, TheTreeListsFoldersButNoFilesAndNoHiddenFolders)
{
    SongDirWindow window(songs());
    auto *tree = window.findChild<QTreeView *>(u"目录框1"_qs);
    auto *model = qobject_cast<QFileSystemModel *>(tree->model());
    const QModelIndex folder = model->index(songs());
    model->fetchMore(folder);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(folder) == 2; }, 10000))
        << model->rowCount(folder);
    QStringList names;
    for (int row = 0; row < model->rowCount(folder); ++row)
        names << model->index(row, 0, folder).data().toString();
    names.sort();
    EXPECT_EQ(names, (QStringList { u"国语"_qs, u"粤语"_qs }));
}

TEST_F(SongFolderChooser, EnterInTheFolderTreeSets)
{
    SongDirWindow window(songs());
    window.show();
    auto *tree = window.findChild<QTreeView *>(u"目录框1"_qs);
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(SongFolderChooser, TabReachesTheTreeTheDriveListAndTheButtonInTurn)
{
    SongDirWindow window(songs());
    window.show();
    auto *tree = window.findChild<QTreeView *>(u"目录框1"_qs);
    tree->setFocus();
    QStringList visited { window.focusWidget()->objectName() };
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
        visited << window.focusWidget()->objectName();
    }
    EXPECT_EQ(
        visited, (QStringList { u"目录框1"_qs, u"驱动器框1"_qs, u"按钮1"_qs, u"目录框1"_qs }));
}

TEST_F(SongFolderChooser, TheDriveListIsReadByItsNameWithTheDriveAsItsValue)
{
    SongDirWindow window(songs());
    auto *drives = window.findChild<QComboBox *>(u"驱动器框1"_qs);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(drives);
    EXPECT_EQ(accessible->text(QAccessible::Name), drives->accessibleName());
    EXPECT_EQ(accessible->text(QAccessible::Value), drives->currentText());
    EXPECT_EQ(accessible->role(), QAccessible::ComboBox);
}
