#include "app/main_window.h"

#include "app/about_window.h"
#include "app/find_bar.h"
#include "app/gap_caption.h"
#include "app/progress_strip.h"
#include "app/quit_signals.h"
#include "app/song_table_view.h"
#include "app/source_view.h"
#include "app/tick_undo.h"
#include "export/ticked_rows_writer.h"
#include "export/workbook_export_job.h"
#include "preview/player_window.h"
#include "preview/song_dir_window.h"
#include "selection/random_selection.h"
#include "songs/carried_ticks.h"
#include "songs/search_file_document.h"
#include "songs/shown_songs_model.h"
#include "songs/song_table_model.h"
#include "songs/source_text_model.h"
#include "ui/accessibility.h"
#include "ui/dialogs.h"
#include "ui/file_io.h"
#include "ui/file_load_job.h"
#include "ui/gbk_text.h"
#include "ui/height_divider.h"
#include "ui/native_path.h"
#include "ui/number_text.h"
#include "ui/placed_layout.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace {

constexpr QSize defaultSize(601, 630);

const QString textFileFilter = QStringLiteral("文本文档(*.txt)|*.txt");
const QString workbookFilter = QStringLiteral("Excel 工作簿(*.xlsx)|*.xlsx");

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
// below it the lower; what sits below both moves down by the whole.
constexpr Rule stretchedAbove = Rule().growsWide(1).growsTall(PlacedLayout::upper);
constexpr Rule belowSource = Rule().movesDown(PlacedLayout::upper);
constexpr Rule stretchedBelow
    = Rule().growsWide(1).movesDown(PlacedLayout::upper).growsTall(PlacedLayout::lower);
constexpr Rule bottomLeft = Rule().movesDown(PlacedLayout::both);
constexpr Rule bottomMiddle = Rule().movesRight(0.5).movesDown(PlacedLayout::both);
constexpr Rule bottomRight = Rule().movesRight(1).movesDown(PlacedLayout::both);

// The one local file of a drag, or nothing.
QString droppedFile(const QMimeData *mime)
{
    const QList<QUrl> urls = mime->urls();
    return urls.size() == 1 && urls.constFirst().isLocalFile() ? urls.constFirst().toLocalFile()
                                                               : QString();
}

// A path longer than its label still shows whole in the tooltip.
void showPath(QLabel *label, const QString &path)
{
    label->setText(path);
    label->setToolTip(path);
}

} // namespace

MainWindow::MainWindow(Dialogs &dialogs, EngineSource engine, QWidget *parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
    , m_engine(std::move(engine))
    , m_random(QRandomGenerator::securelySeeded())
    , m_sourceModel(new SourceTextModel(this))
    , m_songModel(new SongTableModel(this))
    , m_shownModel(new ShownSongsModel(m_songModel, this))
    , m_tickUndo(new TickUndo(m_songModel, this))
    , m_document(new SearchFileDocument(this))
    , m_workbookJob(new WorkbookExportJob(this))
    , m_loadJob(new FileLoadJob(maxSearchFileSize, this))
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(tr("澜杉V1.1"));
    // The client area of a 607 × 668 window with a title bar and thin borders; it may grow.
    m_layout = new PlacedLayout(this, defaultSize);
    setAcceptDrops(true);
    exposeAsWindow(*this);

    buildSourceGroup();
    buildAnalysisGroup();
    buildMenuAndHiddenCommands();
    buildFindBar();

    // Over the middle of the song table.
    m_workbookProgress
        = place(m_layout, new ProgressStrip(this), "导出进度", QRect(152, 470, 356, 24),
            Rule().movesRight(0.5).movesDown(PlacedLayout::Shares { 1, 0.5 }));
    m_workbookProgress->bar()->setObjectName(QStringLiteral("渐变进度条1"));
    m_workbookProgress->cancelButton()->setObjectName(QStringLiteral("取消导出"));
    connect(m_workbookProgress, &ProgressStrip::cancelRequested, m_workbookJob,
        &WorkbookExportJob::cancel);
    m_workbookProgress->bar()->setAccessibleName(tr("导出进度"));

    connect(m_workbookJob, &WorkbookExportJob::progressChanged, m_workbookProgress,
        &ProgressStrip::setValue);
    connect(
        m_workbookJob, &WorkbookExportJob::finished, this, &MainWindow::onWorkbookExportFinished);

    // Over the source view, whose text the read replaces.
    m_loadProgress = place(m_layout, new ProgressStrip(this), "读取进度", QRect(152, 110, 356, 24),
        Rule().movesRight(0.5).movesDown(PlacedLayout::Shares { 0.5, 0 }));
    m_loadProgress->setAccessibleName(tr("正在读取搜歌文件"));
    connect(m_loadProgress, &ProgressStrip::cancelRequested, this, &MainWindow::onCancelTriggered);
    connect(m_loadJob, &FileLoadJob::progressChanged, this, [this](int percent) {
        if (m_loadProgress->isHidden())
            m_loadProgress->begin();
        m_loadProgress->setValue(percent);
    });
    connect(m_loadJob, &FileLoadJob::loaded, this, &MainWindow::onSearchFileLoaded);
    connect(m_loadJob, &FileLoadJob::failed, this, &MainWindow::onSearchFileLoadFailed);
    connect(m_document, &SearchFileDocument::analysed, this, &MainWindow::onAnalysed);
    connect(m_songModel, &SongTableModel::ticksChanged, this,
        [this] { m_ticksChangedSinceExport = true; });
}

MainWindow::~MainWindow()
{
    if (m_player)
        m_player->close();
}

void MainWindow::buildSourceGroup()
{
    auto *group = place(m_layout, new QGroupBox(tr(" 搜歌文件源码 "), this), "分组框1",
        QRect(3, 1, 595, 249), stretchedAbove);

    // Drawn at 6,13 the view covers the caption's bottom row; it starts below the caption.
    const int belowCaption = std::max(13, group->y() + QFontMetrics(group->font()).height() + 1);
    m_sourceView = place(m_layout, new SourceView(group), "编辑框1",
        QRect(6, belowCaption, 586, 245 - belowCaption), stretchedAbove);
    m_sourceView->setAccessibleName(tr("搜歌文件源码"));
    m_sourceModel->setBytes(Gbk::encode(tr("无数据，请点击右边选择搜歌文件按钮导入搜歌文件")));
    m_sourceView->setSourceModel(m_sourceModel);

    constexpr Rule pathRule = Rule().growsWide(1).movesDown(PlacedLayout::upper);
    constexpr Rule buttonRule = Rule().movesRight(1).movesDown(PlacedLayout::upper);
    place(m_layout, new QLabel(tr("搜歌文件路径："), this), "标签2", QRect(13, 251, 83, 24),
        belowSource);
    m_searchFilePath = place(m_layout, new QLabel(tr("请选择搜歌文件"), this), "标签1",
        QRect(98, 252, 382, 22), pathRule);
    auto *browse = place(
        m_layout, new QPushButton(tr("浏览"), this), "按钮2", QRect(487, 251, 54, 22), buttonRule);
    m_analyseButton = place(
        m_layout, new QPushButton(tr("分析"), this), "按钮1", QRect(543, 251, 54, 22), buttonRule);
    m_analyseButton->setEnabled(false);
    browse->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_analyseButton->setShortcut(QKeySequence(Qt::Key_F5));

    place(m_layout, new QLabel(tr("歌曲文件路径："), this), "标签6", QRect(13, 272, 83, 24),
        belowSource);
    m_songFolder = place(m_layout, new QLabel(tr("若需要播放选中歌曲请正确设置歌曲目录"), this),
        "标签7", QRect(98, 272, 382, 22), pathRule);
    auto *songFolderButton = place(
        m_layout, new QPushButton(tr("设置"), this), "按钮9", QRect(487, 275, 54, 22), buttonRule);

    for (QLabel *path : { m_searchFilePath, m_songFolder })
        path->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // Between the paths and the song table; it moves height from one view to the other.
    m_divider = place(m_layout, new HeightDivider(this), "高度分隔条", QRect(3, 297, 595, 4),
        Rule().growsWide(1).movesDown(PlacedLayout::upper));
    m_divider->setAccessibleName(tr("源码与歌曲列表的分隔条"));
    m_divider->setAccessibleDescription(tr("上下拖动或按上下方向键，调整两者的高度"));
    m_divider->setToolTip(tr("拖动以调整源码与歌曲列表的高度"));
    connect(m_divider, &HeightDivider::moved, m_layout, &PlacedLayout::moveDivider);

    connect(browse, &QPushButton::clicked, this, &MainWindow::onBrowseClicked);
    connect(m_analyseButton, &QPushButton::clicked, this, &MainWindow::onAnalyseClicked);
    connect(songFolderButton, &QPushButton::clicked, this, &MainWindow::onSongFolderClicked);
}

void MainWindow::buildAnalysisGroup()
{
    auto *group = place(m_layout, new QGroupBox(tr(" 分析 "), this), "分组框2",
        QRect(2, 298, 595, 316), stretchedBelow);
    // The divider lies over the group's top edge.
    m_divider->raise();

    m_songTable = place(
        m_layout, new SongTableView(group), "超级列表框1", QRect(5, 310, 586, 279), stretchedBelow);
    m_songTable->setSongModel(m_shownModel);
    m_songTable->setAccessibleName(tr("歌曲列表"));

    m_checkAll = place(
        m_layout, new QCheckBox(tr("全选"), group), "选择框1", QRect(7, 595, 56, 16), bottomLeft);
    // Partly checked when some of the shown songs are ticked; a click never sets that state.
    m_checkAll->setTristate(true);

    const QRect randomRow(111, 586, 304, 26);
    auto *randomGroup = place(m_layout, new QGroupBox(group), "分组框3", randomRow, bottomMiddle);
    randomGroup->setAccessibleName(tr("随机勾选"));
    auto *randomCaption = new GapCaption(tr("随机机率       个"), randomGroup);
    m_randomCount = new QLineEdit(randomGroup);
    m_randomCount->setAccessibleName(tr("随机机率（个）"));
    randomCaption->setBuddy(m_randomCount);
    auto *note = new QLabel(tr("注：不能超过当前歌曲数量"), randomGroup);
    m_songCount = new QLabel(randomGroup);
    m_songCount->setAccessibleDescription(tr("当前歌曲数量"));
    fitRandomCountRow(randomCaption, note);

    auto *randomPick = place(m_layout, new QPushButton(tr("确定"), group), "按钮6",
        QRect(427, 593, 32, 18), bottomMiddle);
    auto *exportCodes = place(m_layout, new QPushButton(tr("导出所选编码"), this), "按钮3",
        QRect(463, 593, 80, 18), bottomRight);
    auto *about = place(
        m_layout, new QPushButton(tr("关于"), this), "按钮8", QRect(550, 593, 32, 18), bottomRight);
    exportCodes->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));

    connect(m_checkAll, &QCheckBox::clicked, this, &MainWindow::onCheckAllClicked);
    connect(m_randomCount, &QLineEdit::returnPressed, this, &MainWindow::onRandomPickClicked);
    connect(randomPick, &QPushButton::clicked, this, &MainWindow::onRandomPickClicked);
    connect(exportCodes, &QPushButton::clicked, this, &MainWindow::onExportCodesClicked);
    connect(about, &QPushButton::clicked, this, &MainWindow::onAboutClicked);
    connect(m_songTable, &SongTableView::contextMenuRequested, this,
        &MainWindow::onTableContextMenuRequested);
}

void MainWindow::fitRandomCountRow(GapCaption *caption, QLabel *note)
{
    // The drawn widths leave the count field room for four digits only and run "个" into "注"
    // in this font: the field grows to hold a half of a million ("500000.5"), and what follows
    // it moves along in a smaller font, ending where the drawn row ends.
    QFont rowFont = font();
    rowFont.setPixelSize(11);
    for (QWidget *part :
        std::initializer_list<QWidget *> { caption, m_randomCount, note, m_songCount })
        part->setFont(rowFont);
    const QFontMetrics metrics(rowFont);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, m_randomCount);
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
    QWidget *group = m_songCount->parentWidget();
    const int rowEnd = group->mapTo(this, group->contentsRect().bottomRight()).x() - 1;
    const QRect countRect(noteRect.right() + 3, 594, rowEnd - noteRect.right() - 2, 16);
    place(m_layout, caption, "标签3", captionRect, bottomMiddle);
    place(m_layout, m_randomCount, "编辑框3", field, bottomMiddle);
    place(m_layout, note, "标签5", noteRect, bottomMiddle);
    place(m_layout, m_songCount, "标签4", countRect, bottomMiddle);
}

void MainWindow::buildMenuAndHiddenCommands()
{
    // Never a menu bar: its items are reached from the song table's pop-up menu.
    m_menu = new QMenu(tr("菜单"), this);
    m_menu->setObjectName(QStringLiteral("菜单"));
    m_playSelected
        = m_menu->addAction(tr("播放选中项"), this, &MainWindow::onPlaySelectedTriggered);
    m_playSelected->setObjectName(QStringLiteral("播放选中项"));
    m_playSelected->setEnabled(false);
    connect(m_songTable, &SongTableView::songDoubleClicked, m_playSelected, &QAction::trigger);
    QAction *about = m_menu->addAction(tr("关于"), this, &MainWindow::onAboutClicked);
    about->setObjectName(QStringLiteral("关于"));

    const auto addHiddenCommand = [this](const char *name, const QString &text,
                                      QKeySequence shortcut, void (MainWindow::*handler)()) {
        auto *action = new QAction(text, this);
        action->setObjectName(QString::fromUtf8(name));
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
    };
    addHiddenCommand("按钮5", tr("收集所选编码"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
        &MainWindow::onCopyCodesTriggered);
    addHiddenCommand("按钮7", tr("收集所选明细"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D),
        &MainWindow::onCopyDetailsTriggered);
    addHiddenCommand("按钮4", tr("导出全部明细到Excel"),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), &MainWindow::onExportWorkbookTriggered);

    // Enabled only while something runs, so Escape stays free for other uses otherwise.
    m_cancel = new QAction(tr("取消"), this);
    m_cancel->setObjectName(QStringLiteral("取消"));
    m_cancel->setShortcut(QKeySequence(Qt::Key_Escape));
    m_cancel->setShortcutContext(Qt::WindowShortcut);
    m_cancel->setEnabled(false);
    connect(m_cancel, &QAction::triggered, this, &MainWindow::onCancelTriggered);
    addAction(m_cancel);
}

void MainWindow::buildFindBar()
{
    m_findBar = place(m_layout, new FindBar(this), "查找栏", QRect(0, 613, 601, 17),
        Rule().growsWide(1).movesDown(PlacedLayout::both));
    m_findBar->setEnabled(false);
    updateStatus();

    auto *find = new QAction(tr("查找"), this);
    find->setObjectName(QStringLiteral("查找歌曲"));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, m_findBar, &FindBar::focusField);
    for (QAction *action : { find, m_tickUndo->undoAction(), m_tickUndo->redoAction() }) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }

    connect(m_findBar, &FindBar::queryEdited, m_shownModel, &ShownSongsModel::setQuery);
    connect(m_findBar, &FindBar::onlyTickedToggled, m_shownModel, &ShownSongsModel::setOnlyTicked);
    connect(m_findBar, &FindBar::songsRequested, m_songTable, &SongTableView::focusFirstSong);
    connect(m_songTable->horizontalHeader(), &QHeaderView::sectionClicked, this,
        &MainWindow::onHeaderClicked);
    m_songTable->horizontalHeader()->setSortIndicatorShown(true);
    m_songTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    connect(m_shownModel, &QAbstractItemModel::modelReset, this, &MainWindow::onShownSongsChanged);
    connect(m_songModel, &SongTableModel::ticksChanged, this, [this] {
        m_statusNote.clear();
        updateStatus();
        showCheckAllState();
    });
}

void MainWindow::onBrowseClicked()
{
    if (const std::optional<QString> path = m_dialogs.askOpenFile(this, textFileFilter))
        loadSearchFile(*path);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    loadSearchFile(path);
}

void MainWindow::loadSearchFile(const QString &path)
{
    m_document->cancelAnalysis();
    // The first lines show while the rest is read: for 1M songs in the real window the text
    // shows 0.02-0.05 s after the dialog's Enter, against 0.24-0.34 s once the file was read.
    connect(m_loadJob, &FileLoadJob::firstScreenRead, m_sourceModel,
        &SourceTextModel::showFirstScreen, Qt::UniqueConnection);
    connect(m_loadJob, &FileLoadJob::firstScreenWithdrawn, m_sourceModel,
        &SourceTextModel::withdrawFirstScreen, Qt::UniqueConnection);
    m_loadJob->start(path);
    updateCancelCommand();
}

void MainWindow::onSearchFileLoadFailed(const QString &path, const QString &reason)
{
    m_loadProgress->hide();
    updateCancelCommand();
    m_dialogs.showMessage(
        this, tr("无法读取文件“%1”：\n%2").arg(QDir::toNativeSeparators(path), reason));
}

void MainWindow::onSearchFileLoaded(
    const QString &path, const QByteArray &bytes, TextEncoding encoding)
{
    m_loadProgress->hide();
    updateCancelCommand();
    const bool empty = bytes.isEmpty();
    m_document->setText(path, bytes, encoding);
    m_sourceModel->setBytes(m_document->bytes(), m_document->encoding());
    // Held back until the text has painted, so that its threads leave the cores to the paint.
    if (!empty)
        connect(
            m_sourceView, &SourceView::textPainted, this,
            [this, text = m_document->bytes()] {
                if (m_document->bytes().isSharedWith(text))
                    m_document->analyseInAdvance();
            },
            Qt::SingleShotConnection);
    showPath(m_searchFilePath, QDir::toNativeSeparators(path));
    // An empty file shows its own path there, yet it is no folder to play songs from.
    m_songFolderPath = empty ? QString() : folderWithSeparator(QFileInfo(path).absolutePath());
    showPath(m_songFolder, empty ? QDir::toNativeSeparators(path) : m_songFolderPath);
    setFileCommandsEnabled(!empty);
}

void MainWindow::setFileCommandsEnabled(bool enabled)
{
    m_analyseButton->setEnabled(enabled);
    m_playSelected->setEnabled(enabled);
}

void MainWindow::onAnalyseClicked()
{
    // The first Analyse of a file takes what was analysed since it was loaded (1M songs, clicked
    // 0.4 s after the file showed: 0.06-0.08 s against 0.19 s); a later one analyses afresh.
    m_document->analyse();
}

void MainWindow::onAnalysed(const std::shared_ptr<SearchFileAnalysis> &analysis)
{
    if (!analysis->error.isEmpty()) {
        m_dialogs.showMessage(this, analysis->error);
        return;
    }
    // Ticks belong to songs: a song whose code is still there stays ticked.
    const std::shared_ptr<const SongTable> &table = m_document->table();
    const std::shared_ptr<const SongTable> before = m_songModel->table();
    CarriedTicks carried
        = before ? carryTicksByCode(*before, m_songModel->ticks(), *table) : CarriedTicks {};
    m_findBar->setEnabled(true);
    m_findBar->clearQuery();
    m_songModel->setTable(table, std::move(carried.ticks));
    m_shownModel->setSongLines(std::move(analysis->lines));
    m_songTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_randomCount->setText(NumberText::fromReal(static_cast<double>(table->rowCount()) / 2));
    if (carried.keptRows > 0 || carried.droppedRows > 0) {
        showNote(tr("　重新分析：保留已选 %1 首，舍弃 %2 首")
                     .arg(carried.keptRows)
                     .arg(carried.droppedRows));
    }
    if (analysis->skippedLineCount > 0) {
        QStringList lines;
        for (qsizetype line : analysis->firstSkippedLines)
            lines << QString::number(line);
        const QString more = analysis->skippedLineCount > lines.size() ? tr(" 等") : QString();
        m_dialogs.showMessage(this,
            tr("有 %1 行字段不足九个，不是完整的歌曲记录，已跳过。\n行号：%2%3")
                .arg(analysis->skippedLineCount)
                .arg(lines.join(tr("、")), more));
    }
}

void MainWindow::onCheckAllClicked()
{
    // Ticks every shown song unless all of them are ticked; the placeholder row can be ticked as
    // well, though nothing writes it.
    const bool checked = m_shownModel->shownTickedCount() < m_shownModel->rowCount();
    if (m_shownModel->showsAllRows())
        m_songModel->setAllTicked(checked);
    else
        m_songModel->setRowsTicked(m_shownModel->rows(), checked);
}

void MainWindow::onRandomPickClicked()
{
    const int requested = NumberText::toInteger(m_randomCount->text());
    const qsizetype shown = m_shownModel->shownSongCount();
    if (requested > shown) {
        m_dialogs.showMessage(this, tr("您输入的数值大于实际歌曲数量，请检查数值！"));
        return;
    }
    if (requested <= 0)
        return;
    const std::vector<qsizetype> picked = pickDistinctRows(shown, requested, m_random);
    std::vector<std::uint32_t> rows(picked.size());
    std::transform(picked.begin(), picked.end(), rows.begin(),
        [this](qsizetype shownRow) { return m_shownModel->tableRow(int(shownRow)); });
    m_songModel->setRowsTicked(rows, true);
}

void MainWindow::onExportCodesClicked()
{
    exportCodes();
}

bool MainWindow::exportCodes()
{
    const std::optional<QString> path
        = m_dialogs.askSaveFile(this, textFileFilter, tr("新增歌曲编码.txt"));
    if (!path)
        return false;
    const TickedSongs songs = m_songModel->tickedSongs();
    const QString error = writeFileAtomically(
        *path, [&songs](QIODevice &file) { return writeTickedRows(songs, codeColumn, file); });
    if (!error.isEmpty()) {
        m_dialogs.showMessage(
            this, tr("无法保存文件“%1”：\n%2").arg(QDir::toNativeSeparators(*path), error));
        return false;
    }
    m_ticksChangedSinceExport = false;
    showNote(tr("　已导出 %1 个编码到 %2").arg(songs.count()).arg(QDir::toNativeSeparators(*path)));
    return true;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Nothing ticked is nothing to lose.
    const qsizetype ticked = m_songModel->tickedSongCount();
    if (!m_ticksChangedSinceExport || ticked == 0 || QuitSignals::isClosingWindows()) {
        event->accept();
        return;
    }
    switch (m_dialogs.askYesNoCancel(this,
        tr("已选 %1 首歌曲，勾选改动后还没有导出编码。\n关闭前导出所选编码吗？").arg(ticked),
        tr("导出"), tr("不导出"), tr("取消"))) {
    case Dialogs::Answer::Yes:
        event->setAccepted(exportCodes());
        return;
    case Dialogs::Answer::No:
        event->accept();
        return;
    case Dialogs::Answer::Cancel:
        event->ignore();
        return;
    }
}

void MainWindow::onCopyCodesTriggered()
{
    copyTickedSongs(codeColumn);
    showNote(tr("　已复制 %1 个编码").arg(m_songModel->tickedSongCount()));
}

void MainWindow::onCopyDetailsTriggered()
{
    copyTickedSongs(allColumns);
    showNote(tr("　已复制 %1 首歌曲的明细").arg(m_songModel->tickedSongCount()));
}

void MainWindow::copyTickedSongs(std::span<const SongColumn> columns)
{
    QBuffer lines;
    lines.open(QIODevice::WriteOnly);
    const TickedSongs songs = m_songModel->tickedSongs();
    writeTickedRows(songs, columns, lines);
    const TextEncoding encoding = songs.table ? songs.table->encoding() : TextEncoding::Gbk;
    QGuiApplication::clipboard()->setText(decodeText(lines.data(), encoding));
}

void MainWindow::showNote(const QString &note)
{
    m_statusNote = note;
    updateStatus();
}

void MainWindow::onExportWorkbookTriggered()
{
    if (m_workbookJob->isRunning())
        return;
    const std::optional<QString> path
        = m_dialogs.askSaveFile(this, workbookFilter, tr("歌曲明细.xlsx"));
    if (!path)
        return;
    m_workbookPath = *path;
    m_workbookProgress->begin();
    const std::shared_ptr<const SongTable> &table = m_songModel->table();
    m_workbookJob->start(table ? table : std::make_shared<const SongTable>(), *path);
    updateCancelCommand();
}

void MainWindow::onWorkbookExportFinished(const QString &error)
{
    m_workbookProgress->hide();
    updateCancelCommand();
    // A cancel the user asked for needs no message.
    if (m_workbookJob->wasCancelled())
        showNote(tr("　已取消导出"));
    else if (!error.isEmpty())
        m_dialogs.showMessage(this,
            tr("无法保存文件“%1”：\n%2").arg(QDir::toNativeSeparators(m_workbookPath), error));
    else
        showNote(tr("　已导出全部明细到 %1").arg(QDir::toNativeSeparators(m_workbookPath)));
}

void MainWindow::onCancelTriggered()
{
    // The read first: it is what the user started last, and it leaves the window as it was.
    if (m_loadJob->isRunning()) {
        m_loadJob->cancel();
        m_loadProgress->hide();
    } else {
        m_workbookJob->cancel();
    }
    updateCancelCommand();
}

void MainWindow::updateCancelCommand()
{
    m_cancel->setEnabled(m_loadJob->isRunning() || m_workbookJob->isRunning());
}

void MainWindow::onSongFolderClicked()
{
    SongDirWindow chooser(QDir::currentPath(), this);
    if (m_dialogs.showModal(chooser) == QDialog::Accepted) {
        m_songFolderPath = chooser.chosenFolder();
        showPath(m_songFolder, m_songFolderPath);
    }
}

void MainWindow::onTableContextMenuRequested(const QPoint &globalPosition)
{
    m_menu->popup(globalPosition);
}

void MainWindow::onPlaySelectedTriggered()
{
    const int shownRow = m_songTable->selectedRow();
    if (shownRow < 0)
        return;
    const std::shared_ptr<const SongTable> &table = m_songModel->table();
    if (!table)
        return;
    const auto row = static_cast<qsizetype>(m_shownModel->tableRow(shownRow));
    const QString address = m_songFolderPath + table->text(row, SongColumn::FilePath);
    if (!m_player) {
        m_player = new PlayerWindow(m_engine(), this);
        m_player->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_player->show();
    m_player->raise();
    m_player->play(address, table->text(row, SongColumn::Name),
        table->text(row, SongColumn::Singer), table->text(row, SongColumn::Code));
}

void MainWindow::onAboutClicked()
{
    AboutWindow about(this);
    m_dialogs.showModal(about);
}

void MainWindow::onShownSongsChanged()
{
    const qsizetype shown = m_shownModel->shownSongCount();
    m_songCount->setText(m_songModel->hasSongs() ? QString::number(shown) : QString());
    updateStatus();
    showCheckAllState();
}

void MainWindow::showCheckAllState()
{
    const qsizetype ticked = m_shownModel->shownTickedCount();
    m_checkAll->setCheckState(ticked == 0        ? Qt::Unchecked
            : ticked == m_shownModel->rowCount() ? Qt::Checked
                                                 : Qt::PartiallyChecked);
}

void MainWindow::updateStatus()
{
    const std::shared_ptr<const SongTable> &table = m_songModel->table();
    m_findBar->setCounts(m_shownModel->shownSongCount(), table ? table->rowCount() : 0,
        m_songModel->tickedSongCount());
    m_findBar->setNote(m_statusNote);
}

void MainWindow::onHeaderClicked(int column)
{
    if (!m_songModel->hasSongs())
        return;
    // Ascending, descending, then file order again.
    Qt::SortOrder order = Qt::AscendingOrder;
    if (column == m_shownModel->sortColumn()) {
        if (m_shownModel->sortOrder() == Qt::AscendingOrder)
            order = Qt::DescendingOrder;
        else
            column = -1;
    }
    m_shownModel->sortBy(column, order);
    m_songTable->horizontalHeader()->setSortIndicator(column, order);
}
