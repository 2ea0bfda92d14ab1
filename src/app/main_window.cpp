#include "app/main_window.h"

#include "app/about_window.h"
#include "app/find_bar.h"
#include "app/gap_caption.h"
#include "app/progress_strip.h"
#include "app/song_table_view.h"
#include "app/source_view.h"
#include "export/code_export.h"
#include "export/detail_collection.h"
#include "export/workbook_export_job.h"
#include "preview/player_window.h"
#include "preview/song_dir_window.h"
#include "selection/random_selection.h"
#include "songs/carried_ticks.h"
#include "songs/search_file_analysis.h"
#include "songs/shown_songs_model.h"
#include "songs/song_order.h"
#include "songs/song_table_model.h"
#include "songs/source_text_model.h"
#include "ui/accessibility.h"
#include "ui/dialogs.h"
#include "ui/file_io.h"
#include "ui/file_load_job.h"
#include "ui/gbk_text.h"
#include "ui/native_path.h"
#include "ui/number_text.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
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

#include <algorithm>
#include <numeric>

namespace {

constexpr QSize defaultSize(601, 630);

const QString textFileFilter = QStringLiteral("文本文档(*.txt)|*.txt");
const QString workbookFilter = QStringLiteral("Excel 工作簿(*.xlsx)|*.xlsx");

// Places a control by its position in the window, whatever group box it sits in.
template <typename Control>
Control *place(Control *control, QWidget *window, const char *name, const QRect &inWindow)
{
    control->setObjectName(QString::fromUtf8(name));
    const QPoint parentOffset = control->parentWidget()->mapTo(window, QPoint(0, 0));
    control->setGeometry(inWindow.translated(-parentOffset));
    return control;
}

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
    , m_search(new SongSearch(this))
    , m_sorter(new SongSorter(this))
    , m_workbookJob(new WorkbookExportJob(this))
    , m_loadJob(new FileLoadJob(maxSearchFileSize, this))
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(tr("澜杉V1.1"));
    // The client area of a 607 × 668 window with a title bar and thin borders; it may grow.
    resize(defaultSize);
    setMinimumSize(defaultSize);
    setAcceptDrops(true);
    exposeAsWindow(*this);

    buildSourceGroup();
    buildAnalysisGroup();
    buildMenuAndHiddenCommands();
    buildFindBar();
    setUpGrowth();

    m_workbookProgress = place(new ProgressStrip(this), this, "导出进度", QRect(152, 470, 356, 24));
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
    m_loadProgress = place(new ProgressStrip(this), this, "读取进度", QRect(152, 110, 356, 24));
    m_loadProgress->setAccessibleName(tr("正在读取搜歌文件"));
    connect(m_loadProgress, &ProgressStrip::cancelRequested, this, &MainWindow::onCancelTriggered);
    connect(m_loadJob, &FileLoadJob::progressChanged, this, [this](int percent) {
        if (m_loadProgress->isHidden())
            m_loadProgress->begin();
        m_loadProgress->setValue(percent);
    });
    connect(m_loadJob, &FileLoadJob::loaded, this, &MainWindow::onSearchFileLoaded);
    connect(m_loadJob, &FileLoadJob::failed, this, &MainWindow::onSearchFileLoadFailed);
}

MainWindow::~MainWindow()
{
    if (m_player)
        m_player->close();
}

void MainWindow::buildSourceGroup()
{
    auto *group
        = place(new QGroupBox(tr(" 搜歌文件源码 "), this), this, "分组框1", QRect(3, 1, 595, 249));

    // Drawn at 6,13 the view covers the caption's bottom row; it starts below the caption.
    const int belowCaption = group->y() + QFontMetrics(group->font()).height() + 1;
    m_sourceView = place(new SourceView(group), this, "编辑框1",
        QRect(6, std::max(13, belowCaption), 586, 245 - std::max(13, belowCaption)));
    m_sourceView->setAccessibleName(tr("搜歌文件源码"));
    m_sourceModel->setBytes(Gbk::encode(tr("无数据，请点击右边选择搜歌文件按钮导入搜歌文件")));
    m_sourceView->setSourceModel(m_sourceModel);

    place(new QLabel(tr("搜歌文件路径："), this), this, "标签2", QRect(13, 251, 83, 24));
    m_searchFilePath
        = place(new QLabel(tr("请选择搜歌文件"), this), this, "标签1", QRect(98, 252, 382, 22));
    auto *browse = place(new QPushButton(tr("浏览"), this), this, "按钮2", QRect(487, 251, 54, 22));
    m_analyseButton
        = place(new QPushButton(tr("分析"), this), this, "按钮1", QRect(543, 251, 54, 22));
    m_analyseButton->setEnabled(false);
    browse->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_analyseButton->setShortcut(QKeySequence(Qt::Key_F5));

    place(new QLabel(tr("歌曲文件路径："), this), this, "标签6", QRect(13, 272, 83, 24));
    m_songFolder = place(new QLabel(tr("若需要播放选中歌曲请正确设置歌曲目录"), this), this,
        "标签7", QRect(98, 272, 382, 22));
    auto *songFolderButton
        = place(new QPushButton(tr("设置"), this), this, "按钮9", QRect(487, 275, 54, 22));

    for (QLabel *path : { m_searchFilePath, m_songFolder })
        path->setTextInteractionFlags(Qt::TextSelectableByMouse);

    connect(browse, &QPushButton::clicked, this, &MainWindow::onBrowseClicked);
    connect(m_analyseButton, &QPushButton::clicked, this, &MainWindow::onAnalyseClicked);
    connect(songFolderButton, &QPushButton::clicked, this, &MainWindow::onSongFolderClicked);
}

void MainWindow::buildAnalysisGroup()
{
    auto *group
        = place(new QGroupBox(tr(" 分析 "), this), this, "分组框2", QRect(2, 298, 595, 316));

    m_songTable = place(new SongTableView(group), this, "超级列表框1", QRect(5, 310, 586, 279));
    m_songTable->setSongModel(m_shownModel);
    m_songTable->setAccessibleName(tr("歌曲列表"));

    m_checkAll = place(new QCheckBox(tr("全选"), group), this, "选择框1", QRect(7, 595, 56, 16));

    auto *randomGroup = place(new QGroupBox(group), this, "分组框3", QRect(111, 586, 304, 26));
    randomGroup->setAccessibleName(tr("随机勾选"));
    auto *randomCaption = place(new GapCaption(tr("随机机率       个"), randomGroup), this, "标签3",
        QRect(115, 594, 124, 16));
    m_randomCount = place(new QLineEdit(randomGroup), this, "编辑框3", QRect(164, 594, 40, 16));
    m_randomCount->setAccessibleName(tr("随机机率（个）"));
    randomCaption->setBuddy(m_randomCount);
    auto *note = place(new QLabel(tr("注：不能超过当前歌曲数量"), randomGroup), this, "标签5",
        QRect(218, 594, 149, 16));
    m_songCount = place(new QLabel(randomGroup), this, "标签4", QRect(367, 594, 41, 16));
    m_songCount->setAccessibleDescription(tr("当前歌曲数量"));
    fitRandomCountRow(randomCaption, note);

    auto *randomPick
        = place(new QPushButton(tr("确定"), group), this, "按钮6", QRect(427, 593, 32, 18));
    auto *exportCodes
        = place(new QPushButton(tr("导出所选编码"), this), this, "按钮3", QRect(463, 593, 80, 18));
    auto *about = place(new QPushButton(tr("关于"), this), this, "按钮8", QRect(550, 593, 32, 18));
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
    m_randomCount->resize(
        metrics.horizontalAdvance(u"500000.5"_qs) + 2 * frame + 5, m_randomCount->height());
    const int unitLeft = m_randomCount->geometry().right() + 2 - caption->x();
    caption->setGapEnd(unitLeft);
    caption->resize(
        unitLeft + metrics.horizontalAdvance(caption->textAfterGap()), caption->height());
    note->move(caption->geometry().right() + 3, note->y());
    note->resize(metrics.horizontalAdvance(note->text()) + 1, note->height());
    // The count may use the frame's inner edge.
    const int rowEnd = m_songCount->parentWidget()->contentsRect().right() - 1;
    m_songCount->setGeometry(note->geometry().right() + 3, m_songCount->y(),
        rowEnd - note->geometry().right() - 2, m_songCount->height());
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
        &MainWindow::onCollectCodesTriggered);
    addHiddenCommand("按钮7", tr("收集所选明细"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D),
        &MainWindow::onCollectDetailsTriggered);
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
    m_findBar = place(new FindBar(this), this, "查找栏", QRect(0, 613, 601, 17));
    m_findBar->setEnabled(false);
    updateStatus();

    auto *find = new QAction(tr("查找"), this);
    find->setObjectName(QStringLiteral("查找歌曲"));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, m_findBar, &FindBar::focusField);
    auto *undo = new QAction(tr("撤销勾选"), this);
    undo->setObjectName(QStringLiteral("撤销勾选"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(undo, &QAction::triggered, this, &MainWindow::onUndoTicksTriggered);
    auto *redo = new QAction(tr("重做勾选"), this);
    redo->setObjectName(QStringLiteral("重做勾选"));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    connect(redo, &QAction::triggered, this, &MainWindow::onRedoTicksTriggered);
    for (QAction *action : { find, undo, redo }) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }

    connect(m_findBar, &FindBar::queryEdited, this, &MainWindow::onQueryEdited);
    connect(m_findBar, &FindBar::onlyTickedToggled, this, &MainWindow::showSongs);
    connect(m_search, &SongSearch::found, this, &MainWindow::onSearchFound);
    connect(m_songTable->horizontalHeader(), &QHeaderView::sectionClicked, this,
        &MainWindow::onHeaderClicked);
    connect(m_sorter, &SongSorter::sorted, this, &MainWindow::onSorted);
    m_songTable->horizontalHeader()->setSortIndicatorShown(true);
    showSortOrder(-1, Qt::AscendingOrder);
    connect(m_songModel, &SongTableModel::ticksChanged, this, [this] {
        m_statusNote.clear();
        updateStatus();
    });
}

void MainWindow::setUpGrowth()
{
    using Share = WindowGrowth::Share;
    const auto add = [this](const char *name, WindowGrowth::Rule rule) {
        m_growth.add(findChild<QWidget *>(QString::fromUtf8(name)), rule);
    };
    // The source view takes the upper half of the extra height, the song table the lower.
    add("分组框1", { .growWide = true, .growTall = Share::Upper });
    add("编辑框1", { .growWide = true, .growTall = Share::Upper });
    for (const char *caption : { "标签2", "标签6" })
        add(caption, { .moveDown = Share::Upper });
    for (const char *path : { "标签1", "标签7" })
        add(path, { .growWide = true, .moveDown = Share::Upper });
    for (const char *button : { "按钮2", "按钮1", "按钮9" })
        add(button, { .moveRight = true, .moveDown = Share::Upper });
    add("分组框2", { .growWide = true, .moveDown = Share::Upper, .growTall = Share::Lower });
    add("超级列表框1", { .growWide = true, .growTall = Share::Lower });
    // The bottom row: inside the analysis group, or on the window itself.
    for (const char *control : { "选择框1", "分组框3", "按钮6" })
        add(control, { .moveDown = Share::Lower });
    for (const char *control : { "按钮3", "按钮8" })
        add(control, { .moveDown = Share::Both });
    add("渐变进度条1", { .moveDown = Share::Upper });
    add("查找栏", { .growWide = true, .moveDown = Share::Both });
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_growth.apply(size() - defaultSize);
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
    m_analysisInAdvance.cancel();
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
    m_sourceModel->setBytes(bytes, encoding);
    if (!empty)
        m_analysisInAdvance.start(m_sourceModel->bytes(), encoding);
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
    std::optional<SearchFileAnalysis> ready
        = m_analysisInAdvance.take(m_sourceModel->bytes(), m_sourceModel->encoding());
    SearchFileAnalysis analysis = ready
        ? std::move(*ready)
        : analyseSearchFile(m_sourceModel->bytes(), m_sourceModel->encoding());
    if (!analysis.error.isEmpty()) {
        m_dialogs.showMessage(this, analysis.error);
        return;
    }
    // Ticks belong to songs: a song whose code is still there stays ticked.
    const CarriedTicks carried
        = m_analysed ? carryTicksByCode(m_songModel->table(), analysis.table) : CarriedTicks {};
    const qsizetype songs = analysis.table.rowCount();
    m_analysed = true;
    m_findBar->setEnabled(true);
    m_findBar->clearQuery();
    m_shownQuery = {};
    m_matched.reset();
    m_sortColumn = -1;
    m_sortedRows.reset();
    showSortOrder(-1, Qt::AscendingOrder);
    m_search->setTable(analysis.table, std::move(analysis.lines));
    m_songModel->setTable(std::move(analysis.table));
    showSongs();
    m_checkAll->setChecked(false);
    m_randomCount->setText(NumberText::fromReal(static_cast<double>(songs) / 2));
    if (carried.keptRows > 0 || carried.droppedRows > 0) {
        showNote(tr("　重新分析：保留已选 %1 首，舍弃 %2 首")
                     .arg(carried.keptRows)
                     .arg(carried.droppedRows));
    }

    if (analysis.skippedLineCount > 0) {
        QStringList lines;
        for (qsizetype line : analysis.firstSkippedLines)
            lines << QString::number(line);
        const QString more = analysis.skippedLineCount > lines.size() ? tr(" 等") : QString();
        m_dialogs.showMessage(this,
            tr("有 %1 行字段不足九个，不是完整的歌曲记录，已跳过。\n行号：%2%3")
                .arg(analysis.skippedLineCount)
                .arg(lines.join(tr("、")), more));
    }
}

void MainWindow::onCheckAllClicked(bool checked)
{
    // The placeholder row can be ticked as well, though no export writes it.
    if (m_shownModel->showsAllRows())
        m_songModel->setAllChecked(checked);
    else
        m_songModel->setRowsChecked(m_shownModel->rows(), checked);
}

void MainWindow::onRandomPickClicked()
{
    const int requested = NumberText::toInteger(m_randomCount->text());
    const qsizetype shown = shownSongCount();
    if (requested > shown) {
        m_dialogs.showMessage(this, tr("您输入的数值大于实际歌曲数量，请检查数值！"));
        return;
    }
    if (requested <= 0)
        return;
    std::vector<qsizetype> rows = pickDistinctRows(shown, requested, m_random);
    for (qsizetype &row : rows)
        row = m_shownModel->tableRow(static_cast<int>(row));
    m_songModel->checkRows(rows);
}

void MainWindow::onExportCodesClicked()
{
    const std::optional<QString> path
        = m_dialogs.askSaveFile(this, textFileFilter, tr("新增歌曲编码.txt"));
    if (!path)
        return;
    const SongTable &table = m_songModel->table();
    const QString error = writeFileAtomically(
        *path, [&table](QIODevice &file) { return writeCheckedCodes(table, file); });
    if (!error.isEmpty()) {
        m_dialogs.showMessage(
            this, tr("无法保存文件“%1”：\n%2").arg(QDir::toNativeSeparators(*path), error));
        return;
    }
    showNote(tr("　已导出 %1 个编码到 %2")
                 .arg(table.isPlaceholder() ? 0 : table.checkedCount())
                 .arg(QDir::toNativeSeparators(*path)));
}

void MainWindow::onCollectCodesTriggered()
{
    m_codeBuffer = collectCheckedCodes(m_songModel->table());
    QGuiApplication::clipboard()->setText(Gbk::decode(m_codeBuffer));
    showNote(tr("　已复制 %1 个编码").arg(m_codeBuffer.count('\n')));
}

void MainWindow::onCollectDetailsTriggered()
{
    m_detailBuffer = collectCheckedDetails(m_songModel->table());
    const QByteArray lines = checkedRowsAsTabSeparatedLines(m_songModel->table());
    QGuiApplication::clipboard()->setText(decodeText(lines, m_songModel->table().encoding()));
    showNote(tr("　已复制 %1 首歌曲的明细").arg(lines.count('\n')));
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
    m_workbookJob->start(m_songModel->table(), *path);
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
    const auto row = static_cast<qsizetype>(m_shownModel->tableRow(shownRow));
    const SongTable &table = m_songModel->table();
    const QString address = m_songFolderPath + table.text(row, SongColumn::FilePath);
    if (!m_player) {
        m_player = new PlayerWindow(m_engine(), this);
        m_player->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_player->show();
    m_player->raise();
    m_player->play(address, table.text(row, SongColumn::Name));
}

void MainWindow::onAboutClicked()
{
    AboutWindow about(this);
    m_dialogs.showModal(about);
}

void MainWindow::onQueryEdited(const QString &text)
{
    if (!m_analysed)
        return;
    const FindQuery query = FindQuery::parse(text);
    if (query.isEmpty()) {
        // Every song, at once; a search still running is for another text and is ignored.
        m_shownQuery = query;
        m_matched.reset();
        showSongs();
        return;
    }
    m_search->find(text, query.narrows(m_shownQuery) ? m_matched : nullptr);
}

void MainWindow::onSearchFound(const QString &text, const RowList &rows)
{
    if (text != m_findBar->query())
        return;
    m_shownQuery = FindQuery::parse(text);
    m_matched = rows;
    showSongs();
}

void MainWindow::showSongs()
{
    const QModelIndex current = m_songTable->currentIndex();
    const std::optional<std::uint32_t> currentSong
        = current.isValid() ? std::optional(m_shownModel->tableRow(current.row())) : std::nullopt;

    if (!m_matched && !m_findBar->onlyTicked() && !m_sortedRows) {
        m_shownModel->showAllRows(); // no vector of rows at all
    } else {
        std::vector<std::uint32_t> rows;
        if (m_matched) {
            rows = *m_matched;
        } else {
            rows.resize(static_cast<std::size_t>(m_songModel->rowCount()));
            std::iota(rows.begin(), rows.end(), 0u);
        }
        if (m_findBar->onlyTicked()) {
            const SongTable &table = m_songModel->table();
            std::erase_if(rows, [&table](std::uint32_t row) { return !table.isChecked(row); });
        }
        if (m_sortedRows)
            rows = inSortedOrder(std::move(rows), *m_sortedRows, m_sortDescending);
        m_shownModel->setRows(std::move(rows));
    }

    const int shownRow = currentSong ? m_shownModel->shownRow(*currentSong) : -1;
    if (shownRow >= 0) {
        const QModelIndex index = m_shownModel->index(shownRow, current.column());
        m_songTable->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_songTable->scrollTo(index);
    }
    m_songCount->setText(m_analysed ? QString::number(shownSongCount()) : QString());
    updateStatus();
}

qsizetype MainWindow::shownSongCount() const
{
    return m_analysed ? m_shownModel->rowCount() : 0;
}

void MainWindow::updateStatus()
{
    const qsizetype songs = m_analysed ? m_songModel->rowCount() : 0;
    const qsizetype ticked = m_analysed ? m_songModel->checkedCount() : 0;
    m_findBar->setStatus(
        tr("显示 %1 / 共 %2 首　已选 %3 首").arg(shownSongCount()).arg(songs).arg(ticked)
        + m_statusNote);
}

void MainWindow::onUndoTicksTriggered()
{
    m_songModel->undoTicks();
}

void MainWindow::onRedoTicksTriggered()
{
    m_songModel->redoTicks();
}

void MainWindow::onHeaderClicked(int column)
{
    if (!m_analysed)
        return;
    // Ascending, descending, then file order again.
    if (column != m_sortColumn) {
        m_sortColumn = column;
        m_sortDescending = false;
        m_sortedRows.reset();
        m_sortRequest = m_sorter->sort(m_songModel->table(), static_cast<SongColumn>(column));
        showSortOrder(column, Qt::AscendingOrder);
        return;
    }
    if (!m_sortDescending) {
        m_sortDescending = true;
        showSortOrder(column, Qt::DescendingOrder);
    } else {
        m_sortColumn = -1;
        m_sortedRows.reset();
        showSortOrder(-1, Qt::AscendingOrder);
    }
    showSongs();
}

void MainWindow::onSorted(quint64 request, const RowList &rows)
{
    if (request != m_sortRequest || m_sortColumn < 0)
        return;
    m_sortedRows = rows;
    showSongs();
}

void MainWindow::showSortOrder(int column, Qt::SortOrder order)
{
    m_songTable->horizontalHeader()->setSortIndicator(column, order);
}
