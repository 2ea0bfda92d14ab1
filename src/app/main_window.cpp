#include "app/main_window.h"

#include "app/about_window.h"
#include "app/progress_strip.h"
#include "app/song_table_view.h"
#include "app/source_view.h"
#include "export/code_export.h"
#include "export/detail_collection.h"
#include "export/workbook_export_job.h"
#include "preview/player_window.h"
#include "preview/song_dir_window.h"
#include "selection/random_selection.h"
#include "songs/search_file_analysis.h"
#include "songs/song_table_model.h"
#include "songs/source_text_model.h"
#include "ui/dialogs.h"
#include "ui/file_io.h"
#include "ui/file_load_job.h"
#include "ui/gbk_text.h"
#include "ui/native_path.h"
#include "ui/number_text.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>

namespace {

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

MainWindow::MainWindow(Dialogs &dialogs, QWidget *parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
    , m_random(QRandomGenerator::securelySeeded())
    , m_sourceModel(new SourceTextModel(this))
    , m_songModel(new SongTableModel(this))
    , m_workbookJob(new WorkbookExportJob(this))
    , m_loadJob(new FileLoadJob(maxSearchFileSize, this))
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(tr("澜杉V1.1"));
    // The client area of a 607 × 668 window with a title bar and thin borders.
    setFixedSize(601, 630);
    setAcceptDrops(true);

    buildSourceGroup();
    buildAnalysisGroup();
    buildMenuAndHiddenCommands();

    m_workbookProgress = place(new ProgressStrip(this), this, "导出进度", QRect(152, 470, 356, 24));
    m_workbookProgress->bar()->setObjectName(QStringLiteral("渐变进度条1"));
    m_workbookProgress->cancelButton()->setObjectName(QStringLiteral("取消导出"));
    connect(m_workbookProgress, &ProgressStrip::cancelRequested, m_workbookJob,
        &WorkbookExportJob::cancel);

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

    m_sourceView = place(new SourceView(group), this, "编辑框1", QRect(6, 13, 586, 232));
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
    m_songTable->setSongModel(m_songModel);
    m_songTable->setAccessibleName(tr("歌曲列表"));

    m_checkAll = place(new QCheckBox(tr("全选"), group), this, "选择框1", QRect(7, 595, 56, 16));

    auto *randomGroup = place(new QGroupBox(group), this, "分组框3", QRect(111, 586, 304, 26));
    auto *randomCaption = place(
        new QLabel(tr("随机机率       个"), randomGroup), this, "标签3", QRect(115, 594, 124, 16));
    m_randomCount = place(new QLineEdit(randomGroup), this, "编辑框3", QRect(164, 594, 40, 16));
    m_randomCount->setAccessibleName(tr("随机数量"));
    randomCaption->setBuddy(m_randomCount);
    // The caption's blanks make room for the count field: they need a font whose blank is half
    // as wide as a Chinese character, as in the fonts the caption was written for.
    QFont captionFont(QStringLiteral("WenQuanYi Micro Hei Mono"));
    captionFont.setStyleHint(QFont::Monospace);
    captionFont.setPixelSize(12);
    randomCaption->setFont(captionFont);
    place(new QLabel(tr("注：不能超过当前歌曲数量"), randomGroup), this, "标签5",
        QRect(218, 594, 149, 16));
    m_songCount = place(new QLabel(randomGroup), this, "标签4", QRect(367, 594, 41, 16));
    m_songCount->setAccessibleName(tr("歌曲数量"));

    auto *randomPick
        = place(new QPushButton(tr("确定"), group), this, "按钮6", QRect(427, 593, 32, 18));
    auto *exportCodes
        = place(new QPushButton(tr("导出所选编码"), this), this, "按钮3", QRect(463, 593, 80, 18));
    auto *about = place(new QPushButton(tr("关于"), this), this, "按钮8", QRect(550, 593, 32, 18));

    connect(m_checkAll, &QCheckBox::clicked, this, &MainWindow::onCheckAllClicked);
    connect(m_randomCount, &QLineEdit::returnPressed, this, &MainWindow::onRandomPickClicked);
    connect(randomPick, &QPushButton::clicked, this, &MainWindow::onRandomPickClicked);
    connect(exportCodes, &QPushButton::clicked, this, &MainWindow::onExportCodesClicked);
    connect(about, &QPushButton::clicked, this, &MainWindow::onAboutClicked);
    connect(m_songTable, &SongTableView::contextMenuRequested, this,
        &MainWindow::onTableContextMenuRequested);
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
    showPath(m_searchFilePath, QDir::toNativeSeparators(path));
    showPath(m_songFolder,
        empty ? QDir::toNativeSeparators(path)
              : folderWithSeparator(QFileInfo(path).absolutePath()));
    setFileCommandsEnabled(!empty);
}

void MainWindow::setFileCommandsEnabled(bool enabled)
{
    m_analyseButton->setEnabled(enabled);
    m_playSelected->setEnabled(enabled);
}

void MainWindow::onAnalyseClicked()
{
    SearchFileAnalysis analysis
        = analyseSearchFile(m_sourceModel->bytes(), m_sourceModel->encoding());
    if (!analysis.error.isEmpty()) {
        m_dialogs.showMessage(this, analysis.error);
        return;
    }
    const qsizetype songs = analysis.table.rowCount();
    m_songModel->setTable(std::move(analysis.table));
    m_checkAll->setChecked(false);
    m_songCount->setText(QString::number(songs));
    m_randomCount->setText(NumberText::fromReal(static_cast<double>(songs) / 2));

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
    m_songModel->setAllChecked(checked);
}

void MainWindow::onRandomPickClicked()
{
    const int requested = NumberText::toInteger(m_randomCount->text());
    const int songs = NumberText::toInteger(m_songCount->text());
    if (requested > songs) {
        m_dialogs.showMessage(this, tr("您输入的数值大于实际歌曲数量，请检查数值！"));
        return;
    }
    if (requested <= 0)
        return;
    const std::vector<qsizetype> rows
        = pickDistinctRows(m_songModel->rowCount(), requested, m_random);
    m_songModel->checkRows(rows);
}

void MainWindow::onExportCodesClicked()
{
    onCollectCodesTriggered();
    const std::optional<QString> path = m_dialogs.askSaveFile(this, textFileFilter);
    if (path)
        saveFile(*path, m_codeBuffer);
}

void MainWindow::saveFile(const QString &path, QByteArrayView bytes)
{
    const QString error = writeFileAtomically(path, bytes);
    if (!error.isEmpty())
        m_dialogs.showMessage(
            this, tr("无法保存文件“%1”：\n%2").arg(QDir::toNativeSeparators(path), error));
}

void MainWindow::onCollectCodesTriggered()
{
    m_codeBuffer = collectCheckedCodes(m_songModel->table());
}

void MainWindow::onCollectDetailsTriggered()
{
    m_detailBuffer = collectCheckedDetails(m_songModel->table());
}

void MainWindow::onExportWorkbookTriggered()
{
    if (m_workbookJob->isRunning())
        return;
    const std::optional<QString> path = m_dialogs.askSaveFile(this, workbookFilter);
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
    if (!error.isEmpty() && !m_workbookJob->wasCancelled())
        m_dialogs.showMessage(this,
            tr("无法保存文件“%1”：\n%2").arg(QDir::toNativeSeparators(m_workbookPath), error));
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
    if (m_dialogs.showModal(chooser) == QDialog::Accepted)
        showPath(m_songFolder, chooser.chosenFolder());
}

void MainWindow::onTableContextMenuRequested(const QPoint &globalPosition)
{
    m_menu->popup(globalPosition);
}

void MainWindow::onPlaySelectedTriggered()
{
    const int row = m_songTable->selectedRow();
    if (row < 0)
        return;
    const SongTable &table = m_songModel->table();
    const QString address = m_songFolder->text() + table.text(row, SongColumn::FilePath);
    if (!m_player) {
        m_player = new PlayerWindow(this);
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
