#include "ui/widgets/message_bar.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <gtest/gtest.h>

namespace {

// A window with a field being typed in and the bar above it.
class MessageBarTest : public testing::Test
{
protected:
    MessageBarTest()
    {
        auto *layout = new QVBoxLayout(&m_window);
        layout->addWidget(m_bar);
        layout->addWidget(m_field);
        m_window.resize(601, 200);
    }

    bool showWithFieldFocused()
    {
        m_window.show();
        m_window.activateWindow();
        if (!QTest::qWaitForWindowActive(&m_window))
            return false;
        m_field->setFocus();
        return m_field->hasFocus();
    }

    QWidget m_window;
    MessageBar *m_bar = new MessageBar(&m_window);
    QLineEdit *m_field = new QLineEdit(&m_window);
};

// The offscreen platform has no screen reader: this one listens while it lives.
class ScreenReader
{
public:
    ScreenReader()
    {
        heard().clear();
        platform()->setActive(true);
        m_before = QAccessible::installUpdateHandler(&listen);
    }
    ~ScreenReader()
    {
        QAccessible::installUpdateHandler(m_before);
        platform()->setActive(false);
    }

    // What it was told, as (object, event) pairs.
    static std::vector<std::pair<QObject *, QAccessible::Event>> &heard()
    {
        static std::vector<std::pair<QObject *, QAccessible::Event>> events;
        return events;
    }

private:
    static QPlatformAccessibility *platform()
    {
        return QGuiApplicationPrivate::platformIntegration()->accessibility();
    }
    static void listen(QAccessibleEvent *event)
    {
        heard().emplace_back(event->object(), event->type());
    }

    QAccessible::UpdateHandler m_before = nullptr;
};

} // namespace

TEST_F(MessageBarTest, ShowsTheWholeTextWrappedUntilClosed)
{
    ASSERT_TRUE(showWithFieldFocused());
    EXPECT_TRUE(m_bar->isHidden()) << "nothing to say yet";
    const QString longText = u"已导出 308 个编码到 "_qs
        + QString(u"/很长的文件夹名"_qs).repeated(12) + u"/新增歌曲编码.txt"_qs;
    QSignalSpy visibility(m_bar, &MessageBar::visibilityChanged);
    m_bar->showMessage(MessageBar::Kind::Positive, longText);
    EXPECT_TRUE(m_bar->isVisible());
    EXPECT_EQ(m_bar->text(), longText);
    EXPECT_EQ(visibility.count(), 1);

    // Placed at the height it asks for, the text is drawn whole on more than one line.
    const int oneLine = m_bar->heightForWidth(4000);
    const int height = m_bar->heightForWidth(601);
    EXPECT_GT(height, oneLine + m_bar->fontMetrics().height() / 2);
    m_bar->setGeometry(0, 0, 601, height);
    auto *text = m_bar->findChild<QLabel *>(u"消息"_qs);
    ASSERT_NE(text, nullptr);
    EXPECT_GE(text->height(), text->heightForWidth(text->width()));
    EXPECT_LE(text->geometry().right(), m_bar->closeButton()->geometry().left());

    // A new message replaces the old without showing the bar again.
    m_bar->showMessage(MessageBar::Kind::Information, u"已复制 3 个编码"_qs);
    EXPECT_EQ(m_bar->text(), u"已复制 3 个编码"_qs);
    EXPECT_EQ(visibility.count(), 1);

    m_bar->closeButton()->click();
    EXPECT_TRUE(m_bar->isHidden());
    ASSERT_EQ(visibility.count(), 2);
    EXPECT_EQ(visibility.at(1).at(0).toBool(), false);
}

TEST_F(MessageBarTest, RunsUpToTwoActionsAndLeavesTheFocusWhereTheUserWorks)
{
    ASSERT_TRUE(showWithFieldFocused());
    QStringList ran;
    m_bar->showMessage(MessageBar::Kind::Information, u"随机勾选 100 首"_qs,
        { { u"撤销"_qs, [&ran] { ran << u"撤销"_qs; } },
            { u"打开所在文件夹"_qs, [&ran] { ran << u"打开"_qs; } },
            { u"第三个"_qs, [&ran] { ran << u"第三个"_qs; } } });
    EXPECT_TRUE(m_field->hasFocus()) << "a message never takes the focus";
    const QList<QPushButton *> buttons = m_bar->actionButtons();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[0]->text(), u"撤销"_qs);
    EXPECT_EQ(buttons[1]->text(), u"打开所在文件夹"_qs);

    QTest::mouseClick(buttons[1], Qt::LeftButton);
    EXPECT_EQ(ran, QStringList { u"打开"_qs });
    EXPECT_TRUE(m_field->hasFocus()) << "a click on an action leaves the focus in the field";
    EXPECT_TRUE(m_bar->isVisible());

    // The next message has its own actions only; Tab reaches them.
    m_bar->showMessage(MessageBar::Kind::Warning, u"有 3 行不是完整的歌曲记录"_qs,
        { { u"查看全部"_qs, [&ran] { ran << u"查看全部"_qs; } } });
    ASSERT_EQ(m_bar->actionButtons().size(), 1);
    QPushButton *viewAll = m_bar->actionButtons().constFirst();
    EXPECT_EQ(viewAll->focusPolicy(), Qt::TabFocus);
    viewAll->setFocus(Qt::TabFocusReason);
    QTest::keyClick(viewAll, Qt::Key_Space);
    EXPECT_EQ(ran, (QStringList { u"打开"_qs, u"查看全部"_qs }));

    // Closing from the keyboard hands the focus on.
    m_bar->closeButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(m_bar->closeButton(), Qt::Key_Space);
    EXPECT_TRUE(m_bar->isHidden());
    EXPECT_FALSE(m_bar->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(MessageBarTest, ScreenReadersHearEachNewMessageAsAnAlert)
{
    ASSERT_TRUE(showWithFieldFocused());
    std::optional<ScreenReader> reader(std::in_place);
    const auto alertsAndShows = [this] {
        int alerts = 0;
        int shows = 0;
        for (const auto &[object, event] : ScreenReader::heard()) {
            alerts += object == m_bar && event == QAccessible::Alert;
            shows += object == m_bar && event == QAccessible::ObjectShow;
        }
        return std::pair { alerts, shows };
    };

    m_bar->showMessage(MessageBar::Kind::Positive, u"已导出 308 个编码"_qs);
    EXPECT_EQ(alertsAndShows(), std::pair(1, 1));
    m_bar->showMessage(MessageBar::Kind::Information, u"已复制 3 个编码"_qs);
    EXPECT_EQ(alertsAndShows(), std::pair(2, 2)) << "the second message is announced too";
    // A reader's bus caches names: the new one comes before the show that makes it speak.
    std::vector<QAccessible::Event> ofTheBar;
    for (const auto &[object, event] : ScreenReader::heard())
        if (object == m_bar)
            ofTheBar.push_back(event);
    const std::vector<QAccessible::Event> second(ofTheBar.end() - 3, ofTheBar.end());
    EXPECT_EQ(second,
        (std::vector { QAccessible::NameChanged, QAccessible::ObjectShow, QAccessible::Alert }));
    m_bar->showMessage(MessageBar::Kind::Information, u"已复制 3 个编码"_qs);
    EXPECT_EQ(std::count_if(ScreenReader::heard().begin(), ScreenReader::heard().end(),
                  [this](const auto &heard) {
                      return heard.first == m_bar && heard.second == QAccessible::NameChanged;
                  }),
        2)
        << "the same text again is no new name, but is announced again";
    reader.reset();

    QAccessibleInterface *forReaders = QAccessible::queryAccessibleInterface(m_bar);
    ASSERT_NE(forReaders, nullptr);
    EXPECT_EQ(forReaders->role(), QAccessible::AlertMessage);
    EXPECT_EQ(forReaders->text(QAccessible::Name), u"已复制 3 个编码"_qs);
    EXPECT_FALSE(forReaders->state().invisible);
    QAccessibleInterface *close = QAccessible::queryAccessibleInterface(m_bar->closeButton());
    EXPECT_EQ(close->text(QAccessible::Name), u"关闭消息"_qs);
}
