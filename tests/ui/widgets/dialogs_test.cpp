#include "ui/widgets/dialogs.h"
#include "ui/widgets/qt_dialogs.h"
#include "ui/widgets/window_frame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

TEST(FileDialogFilter, PairsBecomeQtFilters)
{
    EXPECT_EQ(toQtFileFilter(u"文本文档(*.txt)|*.txt"_qs), u"文本文档(*.txt)"_qs);
    EXPECT_EQ(toQtFileFilter(u"工作簿|*.xlsx|所有文件|*"_qs), u"工作簿 (*.xlsx);;所有文件 (*)"_qs);
}

TEST(YesNoCancelQuestion, EachButtonAndEscapeGiveTheirAnswer)
{
    QtDialogs dialogs(u"澜杉"_qs);
    // What the person does once the question shows: a click on a button, or Escape.
    const auto ask = [&dialogs](const std::function<void(QMessageBox &)> &act) {
        QTimer::singleShot(0, [&act] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            act(*box);
        });
        return dialogs.askYesNoCancel(
            nullptr, u"导出吗？"_qs, u"导出"_qs, u"不导出"_qs, u"取消"_qs);
    };
    const auto clickOn = [](const QString &text) {
        return [text](QMessageBox &box) {
            for (QAbstractButton *button : box.buttons())
                if (button->text() == text)
                    button->click();
        };
    };
    EXPECT_EQ(ask(clickOn(u"导出"_qs)), Dialogs::Answer::Yes);
    EXPECT_EQ(ask(clickOn(u"不导出"_qs)), Dialogs::Answer::No);
    EXPECT_EQ(ask(clickOn(u"取消"_qs)), Dialogs::Answer::Cancel);
    EXPECT_EQ(ask([](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Escape); }),
        Dialogs::Answer::Cancel);
}

TEST(OpenFileDialog, ShowsTheTitleOfItsCommandOrThePlatformsOwn)
{
    QtDialogs dialogs(u"澜杉"_qs);
    // The title the dialog shows, read once it is up, then cancelled.
    const auto titleOf = [](const std::function<void()> &ask) {
        QString title;
        QTimer::singleShot(0, [&title] {
            QWidget *dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            title = dialog->windowTitle();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        ask();
        return title;
    };
    const QString filter = u"文本文档(*.txt)|*.txt"_qs;
    EXPECT_EQ(titleOf([&] {
        EXPECT_EQ(dialogs.askOpenFile(nullptr, filter, u"导入编码：选择编码列表"_qs), std::nullopt);
    }),
        u"导入编码：选择编码列表"_qs);
    EXPECT_EQ(titleOf([&] {
        EXPECT_TRUE(dialogs.askOpenFiles(nullptr, filter, u"已有歌曲：选择"_qs).isEmpty());
    }),
        u"已有歌曲：选择"_qs);
    const QString platformTitle = titleOf([&] { dialogs.askOpenFile(nullptr, filter); });
    EXPECT_FALSE(platformTitle.isEmpty());
    EXPECT_FALSE(platformTitle.contains(u"："_qs));
}

TEST(DialogPlacement, TheFrameIsCentredOverTheOwnersAndStaysOnTheScreen)
{
    const QRect screen(0, 0, 1280, 1024);
    const QSize size(376, 219);
    // A framed owner and a maximised one without side borders: the dialog gets the owner's
    // title bar and side borders, and its frame is centred over the owner's.
    for (const auto &[owner, margins] :
        { std::pair { QRect(340, 205, 603, 650), QMargins(1, 19, 1, 1) },
            std::pair { screen, QMargins(0, 19, 0, 0) } }) {
        const int side = margins.left();
        const QRect frame(
            centredClientPosition(owner, margins, size, screen) - QPoint(side, margins.top()),
            size + QSize(2 * side, margins.top() + side));
        EXPECT_LE((frame.center() - owner.center()).manhattanLength(), 1)
            << frame.x() << ',' << frame.y();
    }
    const QMargins frame(1, 19, 1, 1);
    EXPECT_EQ(
        centredClientPosition(QRect(-300, -200, 400, 300), frame, size, screen), QPoint(1, 19));
    EXPECT_EQ(centredClientPosition(QRect(1100, 900, 400, 300), frame, size, screen),
        QPoint(1280 - 378 + 1, 1024 - 239 + 19));
}
