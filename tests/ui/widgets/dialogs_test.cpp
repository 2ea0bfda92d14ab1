#include "ui/widgets/dialogs.h"
#include "ui/widgets/qt_dialogs.h"
#include "ui/widgets/window_frame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

TEST(FileDialogFilter, PairsBecomeQtFilters)
{
    EXPECT_EQ(toQtFileFilter(u"文本文档(*.txt)|*.txt"_qs), u"文本文档(*.txt)"_qs);
    EXPECT_EQ(toQtFileFilter(u"工作簿|*.xlsx|所有文件|*"_qs), u"工作簿 (*.xlsx);;所有文件 (*)"_qs);
}

namespace {

using Act = std::function<void(QMessageBox &)>;

// What the person does once the question shows: a click on a button, or Escape.
Dialogs::Answer answer(const Act &act, const std::function<Dialogs::Answer()> &ask)
{
    QTimer::singleShot(0, [&act] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(*box);
    });
    return ask();
}

Act clickOn(const QString &text)
{
    return [text](QMessageBox &box) {
        for (QAbstractButton *button : box.buttons())
            if (button->text() == text)
                button->click();
    };
}

const Act escape = [](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Escape); };

} // namespace

TEST(Questions, EachButtonAndEscapeGiveTheirAnswer)
{
    using Answer = Dialogs::Answer;
    QtDialogs dialogs(u"澜杉"_qs);
    const auto threeWays = [&dialogs] {
        return dialogs.askYesNoCancel(
            nullptr, u"导出吗？"_qs, u"导出"_qs, u"不导出"_qs, u"取消"_qs);
    };
    EXPECT_EQ(answer(clickOn(u"导出"_qs), threeWays), Answer::Yes);
    EXPECT_EQ(answer(clickOn(u"不导出"_qs), threeWays), Answer::No);
    EXPECT_EQ(answer(clickOn(u"取消"_qs), threeWays), Answer::Cancel);
    EXPECT_EQ(answer(escape, threeWays), Answer::Cancel);

    const auto twoWays
        = [&dialogs] { return dialogs.askYesNo(nullptr, u"恢复吗？"_qs, u"恢复"_qs, u"忽略"_qs); };
    EXPECT_EQ(answer(clickOn(u"恢复"_qs), twoWays), Answer::Yes);
    EXPECT_EQ(answer(clickOn(u"忽略"_qs), twoWays), Answer::No);
    EXPECT_EQ(answer(escape, twoWays), Answer::No);
    EXPECT_EQ(answer(
                  [](QMessageBox &box) {
                      EXPECT_EQ(box.buttons().size(), 2);
                      box.buttons().constFirst()->click();
                  },
                  twoWays),
        Answer::Yes);
}

TEST(WindowStart, ARememberedSizeNeverExceedsTheScreenNorGoesBelowTheMinimum)
{
    const QSize available(1280, 984);
    const QSize own(780, 560);
    const QSize minimum(600, 400);
    EXPECT_EQ(startingClientSize({}, own, minimum, available), own) << "none kept";
    EXPECT_EQ(startingClientSize({ 900, 700 }, own, minimum, available), QSize(900, 700));
    const QSize huge = startingClientSize({ 16384, 16384 }, own, minimum, available);
    EXPECT_LE(huge.width(), available.width());
    EXPECT_LE(huge.height(), available.height());
    EXPECT_GE(huge.height(), available.height() - 60) << "as large as fits";
    EXPECT_EQ(startingClientSize({ 300, 200 }, own, minimum, available), minimum);
    EXPECT_EQ(startingClientSize({ 300, 200 }, own, minimum, QSize(500, 300)), minimum)
        << "a window no smaller than its layout allows, even on a tiny screen";

    QWidget window;
    window.setMinimumSize(minimum);
    resizeWithinScreen(window, QSize(2147483647, 2147483647));
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_LE(window.width(), screen.width());
    EXPECT_LE(window.height(), screen.height());
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(screen.contains(window.geometry())) << "on the screen, all of it";
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
