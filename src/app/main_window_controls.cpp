#include "app/main_window_controls.h"

#include "app/filter_chips.h"
#include "app/find_bar.h"
#include "app/gap_caption.h"
#include "app/progress_strip.h"
#include "app/song_table_view.h"
#include "app/source_view.h"
#include "ui/core/number_text.h"
#include "ui/widgets/accessibility.h"
#include "ui/widgets/height_divider.h"
#include "ui/widgets/message_bar.h"
#include "ui/widgets/placed_layout.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace {

// The client area of a 607 × 668 window with a title bar and thin borders.
constexpr QSize defaultSize(601, 630);

using Rule = PlacedLayout::Rule;

// Names a control and puts it at its place in the window, whatever group box it sits in.
template <typename Control>
Control *place(
    PlacedLayout *layout, Control *control, const char *name, const QRect &inWindow, Rule rule = {})
{
    control->setObjectName(QString::fromUtf8(name));
    layout->place(control, inWindow, rule);
    return control;
}

// The source view above the divider takes the upper share of the extra height, the song table
// below it the lower; what sits below both moves down by the whole. The table, where the work is
// done, gets most of it.
constexpr double sourceViewPart = 0.2;
constexpr Rule stretchedAbove = Rule().growsWide(1).growsTall(PlacedLayout::upper);
constexpr Rule belowSource = Rule().movesDown(PlacedLayout::upper);
constexpr Rule stretchedBelow
    = Rule().growsWide(1).movesDown(PlacedLayout::upper).growsTall(PlacedLayout::lower);
constexpr Rule bottomLeft = Rule().movesDown(PlacedLayout::both);
constexpr Rule bottomMiddle = Rule().movesRight(0.5).movesDown(PlacedLayout::both);
constexpr Rule bottomRight = Rule().movesRight(1).movesDown(PlacedLayout::both);

// The source group and the song table as drawn; the message bar and the chips take their room
// from the top of these.
constexpr QRect sourceGroupRect(3, 1, 595, 249);
constexpr QRect songTableRect(5, 310, 586, 279);
// A message longer than this scrolls in its strip rather than squeeze the source view away.
constexpr int mostMessageHeight = 120;
constexpr int barGap = 2;

} // namespace

void MainWindowControls::build(QWidget *window)
{
    m_layout = new PlacedLayout(window, defaultSize);
    m_layout->setUpperPart(sourceViewPart);
    buildSourceGroup(window);
    buildAnalysisGroup(window);
    buildInlineBars(window);

    findBar = place(m_layout, new FindBar(window), "查找栏", QRect(0, 613, 601, 17),
        Rule().growsWide(1).movesDown(PlacedLayout::both));
    findBar->setEnabled(false);

    // Over the middle of the song table, and over the source view whose text a read replaces.
    workbookProgress
        = place(m_layout, new ProgressStrip(window), "导出进度", QRect(152, 470, 356, 24),
            Rule().movesRight(0.5).movesDown(PlacedLayout::Shares { 1, 0.5 }));
    workbookProgress->bar()->setObjectName(QStringLiteral("渐变进度条1"));
    workbookProgress->cancelButton()->setObjectName(QStringLiteral("取消导出"));
    workbookProgress->bar()->setAccessibleName(QObject::tr("导出进度"));
    loadProgress = place(m_layout, new ProgressStrip(window), "读取进度", QRect(152, 110, 356, 24),
        Rule().movesRight(0.5).movesDown(PlacedLayout::Shares { 0.5, 0 }));
    loadProgress->setAccessibleName(QObject::tr("正在读取搜歌文件"));

    buildCommands(window);
}

void MainWindowControls::buildSourceGroup(QWidget *window)
{
    auto *group = place(m_layout, new QGroupBox(QObject::tr(" 搜歌文件源码 "), window), "分组框1",
        sourceGroupRect, stretchedAbove);
    m_sourceGroup = group;

    // Drawn at 6,13 the view covers the caption's bottom row; it starts below the caption.
    m_sourceViewTop = std::max(13, group->y() + QFontMetrics(group->font()).height() + 1);
    sourceView = place(m_layout, new SourceView(group), "编辑框1",
        QRect(6, m_sourceViewTop, 586, 245 - m_sourceViewTop), stretchedAbove);
    sourceView->setAccessibleName(QObject::tr("搜歌文件源码"));

    constexpr Rule pathRule = Rule().growsWide(1).movesDown(PlacedLayout::upper);
    constexpr Rule buttonRule = Rule().movesRight(1).movesDown(PlacedLayout::upper);
    place(m_layout, new QLabel(QObject::tr("搜歌文件路径："), window), "标签2",
        QRect(13, 251, 83, 24), belowSource);
    searchFilePathLabel = place(m_layout, new QLabel(QObject::tr("请选择搜歌文件"), window),
        "标签1", QRect(98, 252, 382, 22), pathRule);
    browseButton = place(m_layout, new QPushButton(QObject::tr("浏览"), window), "按钮2",
        QRect(487, 251, 54, 22), buttonRule);
    analyseButton = place(m_layout, new QPushButton(QObject::tr("分析"), window), "按钮1",
        QRect(543, 251, 54, 22), buttonRule);
    analyseButton->setEnabled(false);
    browseButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    analyseButton->setShortcut(QKeySequence(Qt::Key_F5));

    place(m_layout, new QLabel(QObject::tr("歌曲文件路径："), window), "标签6",
        QRect(13, 272, 83, 24), belowSource);
    songFolderLabel
        = place(m_layout, new QLabel(QObject::tr("若需要播放选中歌曲请正确设置歌曲目录"), window),
            "标签7", QRect(98, 272, 382, 22), pathRule);
    songFolderButton = place(m_layout, new QPushButton(QObject::tr("设置"), window), "按钮9",
        QRect(487, 275, 54, 22), buttonRule);
    for (QLabel *path : { searchFilePathLabel, songFolderLabel })
        path->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // Between the paths and the song table; it moves height from one view to the other.
    divider = place(m_layout, new HeightDivider(window), "高度分隔条", QRect(3, 297, 595, 4),
        Rule().growsWide(1).movesDown(PlacedLayout::upper));
    divider->setAccessibleName(QObject::tr("源码与歌曲列表的分隔条"));
    divider->setAccessibleDescription(QObject::tr("上下拖动或按上下方向键，调整两者的高度"));
    divider->setToolTip(QObject::tr("拖动以调整源码与歌曲列表的高度"));
    QObject::connect(divider, &HeightDivider::moved, m_layout, &PlacedLayout::moveDivider);
}

void MainWindowControls::buildAnalysisGroup(QWidget *window)
{
    auto *group = place(m_layout, new QGroupBox(QObject::tr(" 分析 "), window), "分组框2",
        QRect(2, 298, 595, 316), stretchedBelow);
    // The divider lies over the group's top edge.
    divider->raise();

    songTable
        = place(m_layout, new SongTableView(group), "超级列表框1", songTableRect, stretchedBelow);
    songTable->setAccessibleName(QObject::tr("歌曲列表"));

    checkAllBox = place(m_layout, new QCheckBox(QObject::tr("全选"), group), "选择框1",
        QRect(7, 595, 56, 16), bottomLeft);
    // Partly checked when some of the shown songs are ticked; a click never sets that state.
    checkAllBox->setTristate(true);

    auto *randomGroup
        = place(m_layout, new QGroupBox(group), "分组框3", QRect(111, 586, 304, 26), bottomMiddle);
    randomGroup->setAccessibleName(QObject::tr("随机勾选"));
    auto *randomCaption = new GapCaption(QObject::tr("随机机率       个"), randomGroup);
    randomCountField = new QLineEdit(randomGroup);
    randomCountField->setAccessibleName(QObject::tr("随机机率（个）"));
    randomCaption->setBuddy(randomCountField);
    auto *note = new QLabel(QObject::tr("注：不能超过当前歌曲数量"), randomGroup);
    songCountLabel = new ValueLabel(QObject::tr("当前歌曲数量"), randomGroup);
    songCountLabel->setAccessibleDescription(QObject::tr("随机机率不能超过它"));
    placeRandomCountRow(window, randomCaption, note);

    randomPickButton = place(m_layout, new QPushButton(QObject::tr("确定"), group), "按钮6",
        QRect(427, 593, 32, 18), bottomMiddle);
    // Heard with the group it belongs to and the count it will pick.
    const auto describePick = [button = randomPickButton](const QString &count) {
        const int songs = NumberText::toInteger(count);
        button->setAccessibleDescription(songs > 0 ? QObject::tr("随机勾选 %1 首").arg(songs)
                                                   : QObject::tr("随机勾选：先填写随机机率"));
    };
    describePick(randomCountField->text());
    QObject::connect(randomCountField, &QLineEdit::textChanged, randomPickButton, describePick);
    exportCodesButton = place(m_layout, new QPushButton(QObject::tr("导出所选编码"), window),
        "按钮3", QRect(463, 593, 80, 18), bottomRight);
    aboutButton = place(m_layout, new QPushButton(QObject::tr("关于"), window), "按钮8",
        QRect(550, 593, 32, 18), bottomRight);
    exportCodesButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
}

void MainWindowControls::placeRandomCountRow(QWidget *window, GapCaption *caption, QLabel *note)
{
    // The drawn widths leave the count field room for four digits only and run "个" into "注"
    // in this font: the field grows to hold a half of a million ("500000.5"), and what follows
    // it moves along in a smaller font, ending where the drawn row ends.
    QFont rowFont = window->font();
    rowFont.setPixelSize(11);
    for (QWidget *part :
        std::initializer_list<QWidget *> { caption, randomCountField, note, songCountLabel })
        part->setFont(rowFont);
    const QFontMetrics metrics(rowFont);
    const int frame
        = window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, randomCountField);
    // QLineEdit keeps two pixels of its own on each side of the text.
    const QRect field(164, 594, metrics.horizontalAdvance(u"500000.5"_qs) + 2 * frame + 5, 16);
    const int captionLeft = 115;
    const int unitLeft = field.right() + 2 - captionLeft;
    caption->setGapEnd(unitLeft);
    const QRect captionRect(
        captionLeft, 594, unitLeft + metrics.horizontalAdvance(caption->textAfterGap()), 16);
    const QRect noteRect(
        captionRect.right() + 3, 594, metrics.horizontalAdvance(note->text()) + 1, 16);
    // The count may use the frame's inner edge.
    QWidget *group = songCountLabel->parentWidget();
    const int rowEnd = group->mapTo(window, group->contentsRect().bottomRight()).x() - 1;
    const QRect countRect(noteRect.right() + 3, 594, rowEnd - noteRect.right() - 2, 16);
    place(m_layout, caption, "标签3", captionRect, bottomMiddle);
    place(m_layout, randomCountField, "编辑框3", field, bottomMiddle);
    place(m_layout, note, "标签5", noteRect, bottomMiddle);
    place(m_layout, songCountLabel, "标签4", countRect, bottomMiddle);
}

void MainWindowControls::buildInlineBars(QWidget *window)
{
    messageBar = place(m_layout, new MessageBar(window), "消息栏",
        QRect(sourceGroupRect.topLeft(), QSize(sourceGroupRect.width(), 1)), Rule().growsWide(1));
    filterChips = place(m_layout, new FilterChips(songTable->parentWidget()), "筛选条件",
        QRect(songTableRect.topLeft(), QSize(songTableRect.width(), 1)),
        Rule().growsWide(1).movesDown(PlacedLayout::upper));
    const auto replace = [this] { placeInlineBars(); };
    QObject::connect(messageBar, &MessageBar::visibilityChanged, window, replace);
    QObject::connect(messageBar, &MessageBar::heightWanted, window, replace);
    QObject::connect(filterChips, &FilterChips::heightChanged, window, replace);
}

void MainWindowControls::placeInlineBars()
{
    const int message = messageBar->isHidden()
        ? 0
        : std::min(messageBar->heightForWidth(messageBar->width()), mostMessageHeight);
    const int chips = filterChips->heightForWidth(filterChips->width());
    m_layout->setBase(messageBar,
        QRect(sourceGroupRect.topLeft(), QSize(sourceGroupRect.width(), std::max(message, 1))));
    const int sourceShift = message > 0 ? message + barGap : 0;
    m_layout->setBase(m_sourceGroup, sourceGroupRect.adjusted(0, sourceShift, 0, 0));
    m_layout->setBase(sourceView,
        QRect(6, m_sourceViewTop + sourceShift, 586, 245 - m_sourceViewTop - sourceShift));
    m_layout->setBase(filterChips,
        QRect(songTableRect.topLeft(), QSize(songTableRect.width(), std::max(chips, 1))));
    const int tableShift = chips > 0 ? chips + barGap + 1 : 0;
    m_layout->setBase(songTable, songTableRect.adjusted(0, tableShift, 0, 0));
}

void MainWindowControls::buildCommands(QWidget *window)
{
    // Never a menu bar: its items are reached from the song table's pop-up menu.
    menu = new QMenu(QObject::tr("菜单"), window);
    menu->setObjectName(QStringLiteral("菜单"));
    playSelectedAction = menu->addAction(QObject::tr("播放选中项"));
    playSelectedAction->setObjectName(QStringLiteral("播放选中项"));
    playSelectedAction->setEnabled(false);
    aboutAction = menu->addAction(QObject::tr("关于"));
    aboutAction->setObjectName(QStringLiteral("关于"));

    const auto addCommand = [window](const char *name, const QString &text, QKeySequence shortcut) {
        auto *action = new QAction(text, window);
        action->setObjectName(QString::fromUtf8(name));
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
        return action;
    };
    copyCodesAction = addCommand(
        "按钮5", QObject::tr("收集所选编码"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copyDetailsAction = addCommand(
        "按钮7", QObject::tr("收集所选明细"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    exportWorkbookAction = addCommand("按钮4", QObject::tr("导出全部明细到Excel"),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    findAction = addCommand("查找歌曲", QObject::tr("查找"), QKeySequence(Qt::CTRL | Qt::Key_F));
    // Enabled only while something runs, so Escape stays free for other uses otherwise.
    cancelAction = addCommand("取消", QObject::tr("取消"), QKeySequence(Qt::Key_Escape));
    cancelAction->setEnabled(false);
}
