#include "preview/song_dir_window.h"

#include "ui/scripted_dialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStorageInfo>
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
        QFile file(m_dir.filePath(u"songs/list.txt"_qs));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QString songs() const { return m_dir.filePath(u"songs"_qs); }

    // What the main window does with the chooser: the label changes only on "设置".
    void runFromMainWindow(ScriptedDialogs &dialogs, const QString &startFolder)
    {
        SongDirWindow window(startFolder);
        if (dialogs.showModal(window) == QDialog::Accepted)
            m_songFolderLabel.setText(window.chosenFolder());
    }

    static void chooseInTree(QDialog &window, const QString &folder)
    {
        auto *tree = window.findChild<QTreeView *>(u"目录框1"_qs);
        tree->setCurrentIndex(qobject_cast<QFileSystemModel *>(tree->model())->index(folder));
    }

    QTemporaryDir m_dir;
    QLabel m_songFolderLabel { u"/earlier/folder/"_qs };
};

TEST_F(SongFolderChooser, OffersTheFolderTreeTheDriveListAndTheSetButton)
{
    SongDirWindow window(songs());
    EXPECT_EQ(window.objectName(), u"SongDirWindow"_qs);
    EXPECT_EQ(window.windowTitle(), u"选择歌曲文件目录"_qs);
    EXPECT_EQ(window.size(), QSize(380, 250));
    ASSERT_NE(window.findChild<QTreeView *>(u"目录框1"_qs), nullptr);
    ASSERT_NE(window.findChild<QComboBox *>(u"驱动器框1"_qs), nullptr);
    auto *set = window.findChild<QPushButton *>(u"按钮1"_qs);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->text(), u"设置"_qs);
}

TEST_F(SongFolderChooser, StartsAtTheGivenFolder)
{
    SongDirWindow window(songs());
    EXPECT_EQ(window.chosenFolder(), QDir::toNativeSeparators(songs()) + QDir::separator());
}

TEST_F(SongFolderChooser, SetGivesTheChosenFolderWithOneTrailingSeparator)
{
    ScriptedDialogs dialogs;
    dialogs.onModal = [&](QDialog &window) {
        chooseInTree(window, songs() + u"/粤语"_qs);
        window.findChild<QPushButton *>(u"按钮1"_qs)->click();
        return window.result();
    };
    runFromMainWindow(dialogs, songs());
    EXPECT_EQ(dialogs.modalWindows, QStringList { u"SongDirWindow"_qs });
    EXPECT_EQ(m_songFolderLabel.text(),
        QDir::toNativeSeparators(songs() + u"/粤语"_qs) + QDir::separator());
}

TEST_F(SongFolderChooser, ARootGetsOneSeparatorNotTwo)
{
    ScriptedDialogs dialogs;
    dialogs.onModal = [](QDialog &window) {
        window.findChild<QPushButton *>(u"按钮1"_qs)->click();
        return window.result();
    };
    runFromMainWindow(dialogs, QDir::rootPath());
    EXPECT_EQ(m_songFolderLabel.text(), QDir::toNativeSeparators(QDir::rootPath()));
}

TEST_F(SongFolderChooser, ClosingWithTheCloseBoxLeavesTheFolderAsItWas)
{
    ScriptedDialogs dialogs;
    dialogs.onModal = [&](QDialog &window) {
        chooseInTree(window, songs() + u"/国语"_qs);
        window.show();
        window.close();
        return window.result();
    };
    runFromMainWindow(dialogs, songs());
    EXPECT_EQ(m_songFolderLabel.text(), u"/earlier/folder/"_qs);
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

TEST_F(SongFolderChooser, TheDriveListOffersTheVolumeHoldingTheStartFolder)
{
    SongDirWindow window(songs());
    auto *drives = window.findChild<QComboBox *>(u"驱动器框1"_qs);
    EXPECT_EQ(drives->currentData().toString(), QStorageInfo(songs()).rootPath());
}

TEST_F(SongFolderChooser, TheTreeListsFoldersButNoFiles)
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
