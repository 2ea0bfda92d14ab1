#include "main_window_fixture.h"
#include "support/window_layout.h"

#include "app/filter_chips.h"
#include "app/find_bar.h"
#include "app/status_line.h"
#include "ui/core/number_text.h"
#include "ui/widgets/message_bar.h"
#include "ui/widgets/placed_layout.h"

#include <QAccessible>
#include <QHeaderView>
#include <QHelpEvent>
#include <QToolButton>
#include <QToolTip>

namespace {

// The size of a maximised window on a 1280 × 1024 screen with a title bar.
constexpr QSize maximised(1280, 990);

QByteArray songWithALongPath()
{
    return songLine("10000001", "Song A", "Mandarin\\Jay Chou\\Qing Tian (live at the arena).mpg");
}

} // namespace

// A window larger than its default size gives the room to the views and spreads the controls.
class WindowRoom : public MainWindowTest
{
protected:
    // A hidden window places its controls only once it shows.
    void SetUp() override
    {
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    }

    QRect inWindow(const char *name) const
    {
        QWidget *widget = control<QWidget>(name);
        return QRect(widget->mapTo(&m_window, QPoint(0, 0)), widget->size());
    }
    // Every named control's place, to compare the window's default layout with itself.
    std::map<QString, QRect> places() const
    {
        std::map<QString, QRect> all;
        for (const QWidget *widget : m_window.findChildren<QWidget *>())
            if (!widget->objectName().isEmpty() && !widget->objectName().startsWith(u"qt_"_qs))
                all[widget->objectName()]
                    = QRect(widget->mapTo(&m_window, QPoint(0, 0)), widget->size());
        return all;
    }
    SongTableView *table() const { return songTable(); }
};

TEST_F(WindowRoom, TheProgressStripsStayOverTheViewsTheyReportOn)
{
    const auto offset = [this](const char *strip, const char *view) {
        return inWindow(strip).center() - inWindow(view).center();
    };
    const QPoint overTable = offset("导出进度", "超级列表框1");
    const QPoint overSource = offset("读取进度", "编辑框1");
    m_window.resize(maximised);
    EXPECT_LE((offset("导出进度", "超级列表框1") - overTable).manhattanLength(), 2)
        << "the workbook's strip stays where it was drawn";
    EXPECT_LE((offset("读取进度", "编辑框1") - overSource).manhattanLength(), 2);
}

TEST_F(WindowRoom, ColumnsControlsAndViewsTakeTheRoomAndGiveItBack)
{
    browseAndAnalyse(songWithALongPath());
    const std::map<QString, QRect> atDefault = places();
    const auto widths = [this] {
        std::vector<int> all;
        for (int column = 0; column < songColumnCount; ++column)
            all.push_back(table()->columnWidth(column));
        return all;
    };
    const std::vector<int> defaultWidths = widths();
    const QModelIndex path = table()->model()->index(0, int(SongColumn::FilePath));
    EXPECT_EQ(table()->cutText(path), path.data().toString()) << "the path is cut at first";

    m_window.resize(maximised);
    const std::vector<int> grown = widths();
    for (SongColumn column : { SongColumn::Code, SongColumn::Category, SongColumn::Language })
        EXPECT_EQ(grown[int(column)], defaultWidths[int(column)]);
    for (SongColumn column : { SongColumn::Name, SongColumn::Singer, SongColumn::FilePath })
        EXPECT_GT(grown[int(column)], defaultWidths[int(column)] + 100);
    EXPECT_GE(std::accumulate(grown.begin(), grown.end(), 0) + 2 * table()->frameWidth() + 30,
        table()->width())
        << "the columns fill the table";
    EXPECT_EQ(table()->cutText(path), QString()) << "a whole cell has no tooltip";

    // The bottom row and the find band spread out.
    const int extraWidth = maximised.width() - 601;
    EXPECT_EQ(inWindow("按钮8").right(), atDefault.at(u"按钮8"_qs).right() + extraWidth);
    EXPECT_NEAR(inWindow("按钮6").x(), atDefault.at(u"按钮6"_qs).x() + extraWidth / 2, 1);
    EXPECT_NEAR(inWindow("编辑框3").x(), atDefault.at(u"编辑框3"_qs).x() + extraWidth / 2, 1);
    EXPECT_EQ(inWindow("选择框1").x(), atDefault.at(u"选择框1"_qs).x());
    EXPECT_GT(inWindow("只看已选").x(), atDefault.at(u"只看已选"_qs).x() + 100);
    EXPECT_GT(inWindow("查找").width(), atDefault.at(u"查找"_qs).width() + 100);
    EXPECT_EQ(controlsCutOff(m_window), "");

    m_window.resize(601, 630);
    EXPECT_EQ(places(), atDefault) << "the default size puts everything back";
    EXPECT_EQ(widths(), defaultWidths);
}

TEST_F(WindowRoom, ACutCellShowsItsWholeTextInATooltip)
{
    browseAndAnalyse(songWithALongPath());
    const auto tooltipAt = [this](int column) {
        const QModelIndex cell = table()->model()->index(0, column);
        const QPoint at = table()->visualRect(cell).center();
        QHelpEvent help(QEvent::ToolTip, at, table()->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(table()->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tooltipAt(int(SongColumn::Code)), QString()) << "a whole cell needs none";
    EXPECT_EQ(tooltipAt(int(SongColumn::FilePath)),
        u"Mandarin\\Jay Chou\\Qing Tian (live at the arena).mpg"_qs);
}

TEST_F(WindowRoom, MostOfTheExtraHeightGoesToTheSongTable)
{
    const int source = inWindow("编辑框1").height();
    const int songs = inWindow("超级列表框1").height();
    m_window.resize(maximised);
    const int extra = maximised.height() - 630;
    EXPECT_EQ(inWindow("编辑框1").height() - source, extra / 5);
    EXPECT_EQ(inWindow("超级列表框1").height() - songs, extra - extra / 5);
    EXPECT_EQ(controlsCutOff(m_window), "");
}

TEST_F(WindowRoom, AMessageAndChipsTakeRoomFromTheViewsAndCutNeitherTheFindBandNorTheHeader)
{
    browseAndAnalyse(threeSongs());
    const std::map<QString, QRect> atDefault = places();
    auto *bar = m_window.findChild<MessageBar *>();
    auto *chips = m_window.findChild<FilterChips *>();
    ASSERT_TRUE(bar && chips);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(chips->chips().isEmpty());

    const QString exported = u"已导出 308 个编码到 "_qs
        + QString(u"/home/venue/歌曲清单/本月新歌"_qs).repeated(3) + u"/新增歌曲编码.txt"_qs;
    bar->showMessage(MessageBar::Kind::Positive, exported, { { u"打开所在文件夹"_qs, [] {} } });
    chips->setChips({ { u"language"_qs, u"语种：粵語"_qs }, { u"new"_qs, u"只看新歌"_qs } });
    const auto checkRoom = [&](const char *size) {
        EXPECT_EQ(controlsCutOff(m_window), "") << size;
        const QRect message = inWindow("消息栏");
        EXPECT_GE(message.height(), bar->heightForWidth(message.width())) << "whole, " << size;
        EXPECT_LT(message.bottom(), inWindow("分组框1").top()) << size;
        const QRect text = inWindow("消息");
        EXPECT_GT(text.width(), message.width() / 2) << size;
        EXPECT_GE(text.height(), control<QLabel>("消息")->heightForWidth(text.width())) << size;
        const QRect action = inWindow("消息栏").intersected(
            QRect(bar->actionButtons().value(0)->mapTo(&m_window, QPoint(0, 0)),
                bar->actionButtons().value(0)->size()));
        EXPECT_EQ(action.size(), bar->actionButtons().value(0)->size()) << size;
        EXPECT_GT(action.left(), text.right()) << size;
        const QRect chipRow = inWindow("筛选条件");
        const QRect songs = inWindow("超级列表框1");
        EXPECT_LT(chipRow.bottom(), songs.top()) << size;
        EXPECT_GE(chipRow.height(), chips->heightForWidth(chipRow.width())) << size;
        EXPECT_GE(songs.height(), table()->horizontalHeader()->height() + 4 * table()->rowHeight())
            << "the header and some songs show, " << size;
        for (FilterChip *chip : chips->chips())
            EXPECT_EQ(chip->shownText(), chip->label()) << size;
    };
    checkRoom("default");
    EXPECT_GT(inWindow("消息栏").height(), 2 * bar->fontMetrics().height())
        << "the long path wraps at the default size";
    for (const char *name : { "查找栏", "查找", "查找状态", "按钮3", "标签1" })
        EXPECT_EQ(inWindow(name), atDefault.at(QString::fromUtf8(name))) << name;

    m_window.resize(maximised);
    // The bar asks for its height at the new width once the resize is done.
    QCoreApplication::sendPostedEvents();
    checkRoom("maximised");

    m_window.resize(601, 630);
    bar->closeButton()->click();
    chips->setChips({});
    // The bar's own parts are laid out for its last text.
    const auto outsideTheBar = [](std::map<QString, QRect> all) {
        all.erase(u"消息"_qs);
        all.erase(u"关闭消息"_qs);
        return all;
    };
    EXPECT_EQ(outsideTheBar(places()), outsideTheBar(atDefault))
        << "without them everything is back in its place";
}

TEST_F(WindowRoom, TheDividerMovesHeightBetweenTheSourceAndTheTable)
{
    m_window.resize(maximised);
    auto *divider = control<QWidget>("高度分隔条");
    const int sourceHeight = inWindow("编辑框1").height();
    const int tableHeight = inWindow("超级列表框1").height();
    const QRect bottomRow = inWindow("按钮3");

    const QPoint grip(100, divider->height() / 2);
    QTest::mousePress(divider, Qt::LeftButton, {}, grip);
    QTest::mouseMove(divider, grip + QPoint(0, -80));
    QTest::mouseRelease(divider, Qt::LeftButton, {}, grip + QPoint(0, -80));
    EXPECT_EQ(inWindow("编辑框1").height(), sourceHeight - 80);
    EXPECT_EQ(inWindow("超级列表框1").height(), tableHeight + 80);
    EXPECT_EQ(inWindow("标签1").top(), 252 + (maximised.height() - 630) / 5 - 80)
        << "the paths go along";
    EXPECT_EQ(inWindow("按钮3"), bottomRow) << "the bottom row stays at the bottom";

    // From the keyboard, and never so far that a view disappears.
    divider->setFocus(Qt::TabFocusReason);
    QTest::keyClick(divider, Qt::Key_Down);
    EXPECT_EQ(inWindow("编辑框1").height(), sourceHeight - 70);
    for (int step = 0; step < 100; ++step)
        QTest::keyClick(divider, Qt::Key_PageUp);
    EXPECT_LT(inWindow("编辑框1").height(), 100) << "smaller than at the default size";
    EXPECT_GE(inWindow("编辑框1").height(), 40);
    EXPECT_EQ(inWindow("按钮3"), bottomRow);
    QAccessibleInterface *forReaders = QAccessible::queryAccessibleInterface(divider);
    EXPECT_EQ(forReaders->role(), QAccessible::Separator);
    EXPECT_FALSE(forReaders->text(QAccessible::Name).isEmpty());
}

using StatusLineTest = MainWindowTest;

TEST_F(StatusLineTest, AtTheDefaultSizeTheCountsStayWholeAndALongResultShowsWholeInTheMessage)
{
    browseAndAnalyse(threeSongs());
    setChecked(1, true);
    const QString longPath
        = m_dir.filePath(u"新增歌曲编码（二〇二六年十二月十日晚场的包厢点歌补充清单）.txt"_qs);
    m_dialogs.saveAnswers = { longPath };
    exportCodesButton()->click();

    auto *status = control<StatusLine>("查找状态");
    EXPECT_EQ(status->text(), u"显示 3 / 共 3 首　已选 1 首"_qs) << "counts only";
    EXPECT_EQ(QAccessible::queryAccessibleInterface(status)->text(QAccessible::Name),
        u"状态：显示 3 / 共 3 首　已选 1 首"_qs);
    auto *bar = control<MessageBar>("消息栏");
    EXPECT_TRUE(bar->text().endsWith(QDir::toNativeSeparators(longPath)));
    EXPECT_EQ(controlsCutOff(m_window), "");
    EXPECT_GE(bar->height(), bar->heightForWidth(bar->width())) << "the whole text has room";
}

// The widest counts a venue meets: a million songs, as many ticked, and the venue's.
TEST(FindBarStatus, CountsOfAMillionSongsShowWholeAtTheDefaultWidth)
{
    FindBar bar;
    bar.resize(601, 17);
    auto *status = bar.findChild<StatusLine *>();
    const auto fitsWhole = [status] {
        return status->fontMetrics().horizontalAdvance(status->text())
            <= status->contentsRect().width();
    };
    bar.setCounts(1'000'000, 1'000'000, 1'000'000);
    EXPECT_EQ(status->text(), u"显示 1,000,000 / 共 1,000,000 首　已选 1,000,000 首"_qs);
    EXPECT_TRUE(fitsWhole());
    EXPECT_EQ(controlsCutOff(bar), "");
    EXPECT_GE(bar.findChild<QLineEdit *>()->width(), 111) << "the field keeps room to type";

    // 只看新歌 shows no more than the songs the venue lacks.
    for (const auto &[shown, venue] : { std::pair { 1'000'000, u"　已有 300,000 首"_qs },
             std::pair { 700'000, u"　已隐藏已有 300,000 首"_qs } }) {
        bar.setCounts(shown, 1'000'000, 1'000'000, venue);
        const QString inWords
            = u"显示 %1 / 共 1,000,000 首　已选 1,000,000 首"_qs.arg(NumberText::grouped(shown))
            + venue;
        EXPECT_TRUE(fitsWhole()) << status->text().toStdString();
        EXPECT_TRUE(status->text().endsWith(QString(venue).remove(u" 首"_qs)))
            << "every count is there, if not every word: " << status->text().toStdString();
        EXPECT_EQ(status->toolTip(), inWords);
        EXPECT_EQ(status->spokenText(), u"状态："_qs + inWords);
        EXPECT_EQ(controlsCutOff(bar), "");
    }

    bar.setCounts(53, 300, 10);
    EXPECT_EQ(status->text(), u"显示 53 / 共 300 首　已选 10 首"_qs);
    EXPECT_EQ(status->toolTip(), QString()) << "nothing is cut";
    EXPECT_GE(bar.findChild<QLineEdit *>()->width(), 160) << "short counts leave the field wide";
}

TEST(PlacedLayoutDeathTest, ARuleForAWidgetOutsideTheWindowIsAProgrammingError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto placeOutside = [](QWidget *widget) {
        QWidget window;
        PlacedLayout layout(&window, QSize(100, 100));
        layout.place(widget, QRect(0, 0, 10, 10));
    };
    EXPECT_DEATH(placeOutside(nullptr), "not in the window");
    QWidget stranger;
    EXPECT_DEATH(placeOutside(&stranger), "not in the window");
}

TEST(PlacedLayoutItems, APlacedWidgetIsAnItemOfTheLayoutAndStaysInItsGroup)
{
    QWidget window;
    auto *layout = new PlacedLayout(&window, QSize(100, 100));
    auto *group = new QWidget(&window);
    auto *inGroup = new QWidget(group);
    layout->place(group, QRect(0, 0, 100, 50), PlacedLayout::Rule().growsWide(1));
    layout->place(inGroup, QRect(10, 10, 20, 20), PlacedLayout::Rule().movesRight(1));
    ASSERT_EQ(layout->count(), 2);
    EXPECT_EQ(layout->itemAt(1)->widget(), inGroup);
    EXPECT_EQ(layout->indexOf(inGroup), 1);
    EXPECT_EQ(inGroup->parentWidget(), group) << "not made the window's";
    EXPECT_EQ(layout->itemAt(2), nullptr);

    // Qt's own way in: a widget added stays where it is at the base size.
    auto *added = new QWidget(&window);
    added->setGeometry(40, 60, 10, 10);
    layout->addWidget(added);
    EXPECT_EQ(layout->count(), 3);
    // As a resize of the shown window does.
    window.resize(150, 120);
    layout->setGeometry(window.rect());
    EXPECT_EQ(inGroup->geometry(), QRect(60, 10, 20, 20)) << "moved right by the extra 50";
    EXPECT_EQ(added->geometry(), QRect(40, 60, 10, 10));

    std::unique_ptr<QLayoutItem> taken(layout->takeAt(1));
    EXPECT_EQ(taken->widget(), inGroup);
    EXPECT_EQ(layout->count(), 2);
    window.resize(200, 120);
    layout->setGeometry(window.rect());
    EXPECT_EQ(inGroup->geometry(), QRect(60, 10, 20, 20)) << "no longer placed";
    EXPECT_EQ(group->width(), 200);

    delete added;
    EXPECT_EQ(layout->count(), 1) << "a child of the window that goes leaves the layout";
}
