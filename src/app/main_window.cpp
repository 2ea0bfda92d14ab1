#include "app/main_window.h"

#include "app/about_window.h"
#include "app/find_bar.h"
#include "app/progress_strip.h"
#include "app/quit_signals.h"
#include "app/singer_menu_entries.h"
#include "app/song_table_view.h"
#include "app/source_view.h"
#include "app/tick_undo.h"
#include "app/ticked_songs_export.h"
#include "app/venue_filters.h"
#include "app/workbook_export_command.h"
#include "preview/player_window.h"
#include "preview/song_dir_window.h"
#include "selection/random_selection.h"
#include "songs/carried_ticks.h"
#include "songs/search_file_document.h"
#include "songs/shown_songs_model.h"
#include "songs/singer_suggestions.h"
#include "songs/song_table_model.h"
#include "songs/source_text_model.h"
#include "ui/core/file_load_job.h"
#include "ui/core/gbk_text.h"
#include "ui/core/native_path.h"
#include "ui/core/number_text.h"
#include "ui/widgets/accessibility.h"
#include "ui/widgets/dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>

#include <numeric>

namespace {

const QString searchFileFilter = QStringLiteral("文本文档(*.txt)|*.txt");
const QString singerFilterName = QStringLiteral("歌手");

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

MainWindow::MainWindow(Dialogs &dialogs, EngineSource engine, AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
    , m_engine(std::move(engine))
    , m_random(QRandomGenerator::securelySeeded())
    , m_document(new SearchFileDocument(this))
    , m_loadJob(new FileLoadJob(maxSearchFileSize, this))
    , m_sourceModel(new SourceTextModel(this))
    , m_songModel(new SongTableModel(this))
    , m_shownModel(new ShownSongsModel(m_songModel, this))
    , m_tickUndo(new TickUndo(m_songModel, this))
    , m_singerSuggestions(new SingerSuggestions(this))
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(tr("澜杉V1.1"));
    setAcceptDrops(true);
    exposeAsWindow(*this);
    m_controls.build(this);
    m_venueFilters = new VenueFilters(dialogs, this, m_songModel, m_shownModel, state);
    m_workbookExport
        = new WorkbookExportCommand(dialogs, this, m_songModel, m_controls.workbookProgress);
    m_tickedExport = new TickedSongsExport(dialogs, this, m_songModel);
    m_sourceModel->setBytes(Gbk::encode(tr("无数据，请点击右边选择搜歌文件按钮导入搜歌文件")));
    m_controls.sourceView->setSourceModel(m_sourceModel);
    m_controls.songTable->setSongModel(m_shownModel);
    m_controls.findBar->setFilterMenu(m_venueFilters->menu());
    m_controls.menu->addSeparator();
    m_controls.menu->addActions(m_venueFilters->menu()->actions());
    m_singerEntries = new SingerMenuEntries(m_controls.menu, m_controls.aboutAction);
    m_controls.findBar->setSingerSuggestions(m_singerSuggestions, SingerSuggestions::SingerRole);
    for (QAction *action : { m_tickUndo->undoAction(), m_tickUndo->redoAction() }) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    connectControls();
    updateStatus();
    m_venueFilters->readRememberedVenueFiles();
}

MainWindow::~MainWindow()
{
    if (m_player)
        m_player->close();
}

void MainWindow::connectControls()
{
    const MainWindowControls &c = m_controls;
    connect(c.browseButton, &QPushButton::clicked, this, &MainWindow::onBrowseClicked);
    connect(c.analyseButton, &QPushButton::clicked, this, &MainWindow::onAnalyseClicked);
    connect(c.songFolderButton, &QPushButton::clicked, this, &MainWindow::onSongFolderClicked);
    connect(c.checkAllBox, &QCheckBox::clicked, this, &MainWindow::onCheckAllClicked);
    connect(c.randomCountField, &QLineEdit::returnPressed, this, &MainWindow::onRandomPickClicked);
    connect(c.randomPickButton, &QPushButton::clicked, this, &MainWindow::onRandomPickClicked);
    connect(c.exportCodesButton, &QPushButton::clicked, m_tickedExport,
        &TickedSongsExport::exportCodes);
    connect(c.aboutButton, &QPushButton::clicked, this, &MainWindow::onAboutClicked);
    connect(
        c.songTable, &SongTableView::contextMenuRequested, this, &MainWindow::onSongMenuRequested);
    connect(
        c.songTable, &SongTableView::songDoubleClicked, c.playSelectedAction, &QAction::trigger);
    connect(c.songTable->horizontalHeader(), &QHeaderView::sectionClicked, this,
        &MainWindow::onHeaderClicked);
    c.songTable->horizontalHeader()->setSortIndicatorShown(true);
    c.songTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);

    connect(c.playSelectedAction, &QAction::triggered, this, &MainWindow::onPlaySelectedTriggered);
    connect(c.aboutAction, &QAction::triggered, this, &MainWindow::onAboutClicked);
    connect(c.copyCodesAction, &QAction::triggered, m_tickedExport, &TickedSongsExport::copyCodes);
    connect(
        c.copyDetailsAction, &QAction::triggered, m_tickedExport, &TickedSongsExport::copyDetails);
    connect(m_tickedExport, &TickedSongsExport::noted, this, &MainWindow::showNote);
    connect(c.exportWorkbookAction, &QAction::triggered, m_workbookExport,
        &WorkbookExportCommand::start);
    connect(c.findAction, &QAction::triggered, c.findBar, &FindBar::focusField);
    connect(c.cancelAction, &QAction::triggered, this, &MainWindow::onCancelTriggered);

    connect(c.findBar, &FindBar::queryEdited, m_shownModel, &ShownSongsModel::setQuery);
    connect(c.findBar, &FindBar::queryEdited, m_singerSuggestions, &SingerSuggestions::setQuery);
    connect(c.findBar, &FindBar::singerChosen, this, &MainWindow::onSingerChosen);
    connect(m_singerEntries, &SingerMenuEntries::singerChosen, this, &MainWindow::onSingerChosen);
    if (auto *clear = m_venueFilters->menu()->findChild<QAction *>(u"清除筛选"_qs))
        connect(clear, &QAction::triggered, this, [this] { onSingerChosen(QString()); });
    connect(c.findBar, &FindBar::onlyTickedToggled, m_shownModel, &ShownSongsModel::setOnlyTicked);
    connect(c.findBar, &FindBar::songsRequested, c.songTable, &SongTableView::focusFirstSong);
    connect(m_shownModel, &QAbstractItemModel::modelReset, this, &MainWindow::onShownSongsChanged);
    connect(m_songModel, &SongTableModel::ticksChanged, this, &MainWindow::onTicksChanged);
    connect(m_venueFilters, &VenueFilters::noted, this, &MainWindow::showNote);
    connect(m_venueFilters, &VenueFilters::countsChanged, this, &MainWindow::updateStatus);

    connect(c.loadProgress, &ProgressStrip::cancelRequested, this, &MainWindow::onCancelTriggered);
    connect(m_loadJob, &FileLoadJob::progressChanged, c.loadProgress, [c](int percent) {
        if (c.loadProgress->isHidden())
            c.loadProgress->begin();
        c.loadProgress->setValue(percent);
    });
    // The first lines show while the rest is read: for 1M songs in the real window the text
    // shows 0.02-0.05 s after the dialog's Enter, against 0.24-0.34 s once the file was read.
    connect(
        m_loadJob, &FileLoadJob::firstScreenRead, m_sourceModel, &SourceTextModel::showFirstScreen);
    connect(m_loadJob, &FileLoadJob::firstScreenWithdrawn, m_sourceModel,
        &SourceTextModel::withdrawFirstScreen);
    connect(m_loadJob, &FileLoadJob::loaded, this, &MainWindow::onSearchFileLoaded);
    connect(m_loadJob, &FileLoadJob::failed, this, &MainWindow::onSearchFileLoadFailed);
    connect(m_document, &SearchFileDocument::analysed, this, &MainWindow::onAnalysed);
    connect(m_workbookExport, &WorkbookExportCommand::noted, this, &MainWindow::showNote);
    connect(m_workbookExport, &WorkbookExportCommand::runningChanged, this,
        &MainWindow::updateCancelCommand);
}

void MainWindow::onBrowseClicked()
{
    if (const std::optional<QString> path = m_dialogs.askOpenFile(this, searchFileFilter))
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
    m_loadJob->start(path);
    // The first lines of the new file may show while it is read: Analyse waits for the whole.
    m_controls.analyseButton->setEnabled(false);
    updateCancelCommand();
}

void MainWindow::onSearchFileLoadFailed(const QString &path, const QString &reason)
{
    m_controls.loadProgress->hide();
    m_controls.analyseButton->setEnabled(!m_document->isEmpty());
    updateCancelCommand();
    m_dialogs.showMessage(
        this, tr("无法读取文件“%1”：\n%2").arg(QDir::toNativeSeparators(path), reason));
}

void MainWindow::onSearchFileLoaded(
    const QString &path, const QByteArray &bytes, TextEncoding encoding)
{
    m_controls.loadProgress->hide();
    updateCancelCommand();
    const bool empty = bytes.isEmpty();
    m_document->setText(path, bytes, encoding);
    m_sourceModel->setBytes(m_document->bytes(), m_document->encoding());
    // At once: held back until the text had painted, it gained nothing (40.5 against 40.7 ms
    // from the text's arrival to its whole paint, 1M songs, medians of 5).
    m_document->analyseInAdvance();
    showPath(m_controls.searchFilePathLabel, QDir::toNativeSeparators(path));
    // An empty file shows its own path there, yet it is no folder to play songs from.
    m_songFolderPath = empty ? QString() : folderWithSeparator(QFileInfo(path).absolutePath());
    showPath(m_controls.songFolderLabel, empty ? QDir::toNativeSeparators(path) : m_songFolderPath);
    m_controls.analyseButton->setEnabled(!empty);
    m_controls.playSelectedAction->setEnabled(!empty);
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
    m_controls.findBar->setEnabled(true);
    m_controls.findBar->clearQuery();
    m_songModel->setTable(table, std::move(carried.ticks));
    // The new table dropped every filter.
    m_singer.clear();
    m_singerSuggestions->setTable(table);
    m_shownModel->setSongLines(std::move(analysis->lines), std::move(analysis->findForms));
    m_controls.songTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_controls.randomCountField->setText(
        NumberText::fromReal(static_cast<double>(table->rowCount()) / 2));
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
    const bool ticked = m_shownModel->shownTickedCount() < m_shownModel->rowCount();
    if (m_shownModel->showsAllRows())
        m_songModel->setAllTicked(ticked);
    else
        m_songModel->setRowsTicked(m_shownModel->rows(), ticked);
}

void MainWindow::onRandomPickClicked()
{
    const int requested = NumberText::toInteger(m_controls.randomCountField->text());
    if (requested > m_shownModel->shownSongCount()) {
        m_dialogs.showMessage(this, tr("您输入的数值大于实际歌曲数量，请检查数值！"));
        return;
    }
    if (requested <= 0)
        return;
    std::vector<std::uint32_t> everySong;
    if (m_shownModel->showsAllRows()) {
        everySong.resize(std::size_t(m_shownModel->rowCount()));
        std::iota(everySong.begin(), everySong.end(), 0u);
    }
    // Songs not ticked yet: a pick adds as many as it can.
    const UntickedPick pick = pickUntickedRows(
        m_shownModel->showsAllRows() ? std::span<const std::uint32_t>(everySong)
                                     : m_shownModel->rows(),
        [this](std::uint32_t row) { return m_songModel->isTicked(row); }, requested, m_random);
    m_songModel->setRowsTicked(pick.rows, true);
    showNote(u"　"_qs + randomPickNote(pick, requested));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A quit signal closes as the close box did before, without a question.
    event->setAccepted(QuitSignals::isClosingWindows() || m_tickedExport->mayClose());
}

void MainWindow::onCancelTriggered()
{
    // The read first: it is what the user started last, and it leaves the window as it was.
    if (m_loadJob->isRunning()) {
        m_loadJob->cancel();
        m_controls.loadProgress->hide();
        m_controls.analyseButton->setEnabled(!m_document->isEmpty());
    } else {
        m_workbookExport->cancel();
    }
    updateCancelCommand();
}

void MainWindow::updateCancelCommand()
{
    m_controls.cancelAction->setEnabled(m_loadJob->isRunning() || m_workbookExport->isRunning());
}

void MainWindow::onSongFolderClicked()
{
    SongDirWindow chooser(QDir::currentPath(), this);
    if (m_dialogs.showModal(chooser) == QDialog::Accepted) {
        m_songFolderPath = chooser.chosenFolder();
        showPath(m_controls.songFolderLabel, m_songFolderPath);
    }
}

void MainWindow::onPlaySelectedTriggered()
{
    const int shownRow = m_controls.songTable->selectedRow();
    const std::shared_ptr<const SongTable> &table = m_songModel->table();
    if (shownRow < 0 || !table)
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
    m_controls.songCountLabel->setText(
        m_songModel->hasSongs() ? QString::number(shown) : QString());
    updateStatus();
    showCheckAllState();
}

void MainWindow::onSongMenuRequested(const QPoint &position)
{
    const int shownRow = m_controls.songTable->selectedRow();
    const std::shared_ptr<const SongTable> &table = m_songModel->table();
    QStringList singers;
    if (shownRow >= 0 && table) {
        singers = singersOfField(
            table->field(m_shownModel->tableRow(shownRow), SongColumn::Singer), table->encoding());
    }
    m_singerEntries->showFor(singers);
    m_controls.menu->popup(position);
}

void MainWindow::onSingerChosen(const QString &singer)
{
    const std::shared_ptr<const SingerIndex> &index = m_singerSuggestions->singers();
    const std::optional<std::uint32_t> chosen
        = index && !singer.isEmpty() ? index->singerNamed(singer) : std::nullopt;
    if (!chosen) {
        if (m_singer.isEmpty())
            return;
        m_singer.clear();
        m_shownModel->setFilter(singerFilterName, {});
        updateStatus();
        return;
    }
    m_singer = index->singers()[*chosen].name;
    m_shownModel->setFilter(
        singerFilterName, [index, filter = index->filter(*chosen)](std::uint32_t row) {
            return filter.accepts(row);
        });
    showNote(tr("　只看歌手“%1”").arg(m_singer));
}

void MainWindow::onTicksChanged()
{
    m_statusNote.clear();
    updateStatus();
    showCheckAllState();
}

void MainWindow::showCheckAllState()
{
    const qsizetype ticked = m_shownModel->shownTickedCount();
    m_controls.checkAllBox->setCheckState(ticked == 0 ? Qt::Unchecked
            : ticked == m_shownModel->rowCount()      ? Qt::Checked
                                                      : Qt::PartiallyChecked);
}

void MainWindow::showNote(const QString &note)
{
    m_statusNote = note;
    updateStatus();
}

void MainWindow::updateStatus()
{
    const std::shared_ptr<const SongTable> &table = m_songModel->table();
    m_controls.findBar->setCounts(m_shownModel->shownSongCount(), table ? table->rowCount() : 0,
        m_songModel->tickedSongCount(), m_venueFilters->counts());
    m_controls.findBar->setNote(m_statusNote);
    m_controls.findBar->setActiveFilterCount(
        m_venueFilters->activeFilterCount() + (m_singer.isEmpty() ? 0 : 1));
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
    m_controls.songTable->horizontalHeader()->setSortIndicator(column, order);
}
