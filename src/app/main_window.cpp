#include "app/main_window.h"

#include "app/about_window.h"
#include "app/filter_chips.h"
#include "app/find_bar.h"
#include "app/progress_strip.h"
#include "app/quit_signals.h"
#include "app/singer_menu_entries.h"
#include "app/song_preview.h"
#include "app/song_table_view.h"
#include "app/source_view.h"
#include "app/tick_recovery.h"
#include "app/tick_undo.h"
#include "app/ticked_songs_export.h"
#include "app/venue_menus.h"
#include "app/workbook_export_command.h"
#include "selection/random_selection.h"
#include "songs/search_file_document.h"
#include "songs/shown_songs_model.h"
#include "songs/singer_suggestions.h"
#include "songs/skipped_lines.h"
#include "songs/song_filters.h"
#include "songs/song_table_model.h"
#include "songs/source_text_model.h"
#include "ui/core/app_state.h"
#include "ui/core/gbk_text.h"
#include "ui/core/number_text.h"
#include "ui/widgets/accessibility.h"
#include "ui/widgets/dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>

namespace {

const QString searchFileFilter = QStringLiteral("文本文档(*.txt)|*.txt");

// The one local file of a drag, or nothing.
QString droppedFile(const QMimeData *mime)
{
    const QList<QUrl> urls = mime->urls();
    return urls.size() == 1 && urls.constFirst().isLocalFile() ? urls.constFirst().toLocalFile()
                                                               : QString();
}

} // namespace

MainWindow::MainWindow(Dialogs &dialogs, EngineSource engine, AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
    , m_random(QRandomGenerator::securelySeeded())
    , m_state(state)
    , m_document(new SearchFileDocument(this))
    , m_sourceModel(new SourceTextModel(this))
    , m_songModel(new SongTableModel(this))
    , m_filters(new SongFilters(m_songModel, this))
    , m_shownModel(new ShownSongsModel(m_songModel, m_filters, this))
    , m_tickUndo(new TickUndo(m_songModel, this))
    , m_singerSuggestions(new SingerSuggestions(this))
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(tr("澜杉V1.1"));
    setAcceptDrops(true);
    exposeAsWindow(*this);
    m_controls.build(this);
    m_venueMenus = new VenueMenus(dialogs, this, m_songModel, m_filters);
    m_workbookExport
        = new WorkbookExportCommand(dialogs, this, m_songModel, m_controls.workbookProgress);
    m_tickedExport = new TickedSongsExport(dialogs, this, m_songModel);
    m_preview = new SongPreview(dialogs, this, std::move(engine), m_controls.songFolderLabel);
    m_tickRecovery = new TickRecovery(dialogs, this, m_document, m_songModel, m_tickedExport,
        TickRecovery::pathBeside(state.path()));
    m_sourceModel->setBytes(Gbk::encode(tr("无数据，请点击右边选择搜歌文件按钮导入搜歌文件")));
    m_controls.sourceView->setSourceModel(m_sourceModel);
    m_controls.songTable->setSongModel(m_shownModel);
    m_controls.findBar->setFilterMenu(m_venueMenus->menu());
    m_controls.menu->addSeparator();
    m_controls.menu->addActions(m_venueMenus->menu()->actions());
    m_singerEntries = new SingerMenuEntries(m_controls.menu, m_controls.aboutAction);
    m_controls.findBar->setSingerSuggestions(m_singerSuggestions, SingerSuggestions::SingerRole);
    for (QAction *action : { m_tickUndo->undoAction(), m_tickUndo->redoAction() }) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    connectControls();
    updateStatus();
    if (!m_state.venueSongFiles().isEmpty())
        m_filters->readVenueFiles(m_state.venueSongFiles(), true);
}

MainWindow::~MainWindow() = default;

void MainWindow::connectControls()
{
    const MainWindowControls &c = m_controls;
    connect(c.browseButton, &QPushButton::clicked, this, &MainWindow::onBrowseClicked);
    connect(c.analyseButton, &QPushButton::clicked, this, &MainWindow::onAnalyseClicked);
    connect(c.songFolderButton, &QPushButton::clicked, m_preview, &SongPreview::chooseFolder);
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

    connect(c.playSelectedAction, &QAction::triggered, this, &MainWindow::onPlaySelectedTriggered);
    connect(c.aboutAction, &QAction::triggered, this, &MainWindow::onAboutClicked);
    connect(c.copyCodesAction, &QAction::triggered, m_tickedExport, &TickedSongsExport::copyCodes);
    connect(
        c.copyDetailsAction, &QAction::triggered, m_tickedExport, &TickedSongsExport::copyDetails);
    connect(m_tickedExport, &TickedSongsExport::noted, this, &MainWindow::showNote);
    connect(m_tickRecovery, &TickRecovery::noted, this, &MainWindow::showNote);
    connect(c.exportWorkbookAction, &QAction::triggered, m_workbookExport,
        &WorkbookExportCommand::start);
    connect(c.findAction, &QAction::triggered, c.findBar, &FindBar::focusField);
    connect(c.cancelAction, &QAction::triggered, this, &MainWindow::onCancelTriggered);

    connect(c.findBar, &FindBar::queryEdited, m_filters, &SongFilters::setQuery);
    connect(c.findBar, &FindBar::onlyTickedToggled, this, &MainWindow::onOnlyTickedToggled);
    connect(c.findBar, &FindBar::songsRequested, c.songTable, &SongTableView::focusFirstSong);
    connect(m_filters, &SongFilters::changed, this, &MainWindow::onFiltersChanged);
    connect(c.filterChips, &FilterChips::removeRequested, m_filters,
        [this](const QString &key) { m_filters->clear(SongFilters::Kind(key.toInt())); });
    connect(c.findBar, &FindBar::queryEdited, m_singerSuggestions, &SingerSuggestions::setQuery);
    connect(c.findBar, &FindBar::singerChosen, this, &MainWindow::onSingerChosen);
    connect(m_singerEntries, &SingerMenuEntries::singerChosen, this, &MainWindow::onSingerChosen);
    connect(m_filters, &SongFilters::singersIndexed, m_singerSuggestions,
        [this] { m_singerSuggestions->setSingers(m_filters->singerIndex()); });
    connect(m_filters, &SongFilters::venueFilesRead, this, &MainWindow::onVenueFilesRead);
    connect(m_shownModel, &QAbstractItemModel::modelReset, this, &MainWindow::onShownSongsChanged);
    connect(m_songModel, &SongTableModel::ticksChanged, this, &MainWindow::onTicksChanged);
    connect(m_venueMenus, &VenueMenus::noted, this, &MainWindow::showNote);

    connect(c.loadProgress, &ProgressStrip::cancelRequested, this, &MainWindow::onCancelTriggered);
    connect(m_document, &SearchFileDocument::loadProgress, c.loadProgress,
        &ProgressStrip::showProgress);
    connect(m_document, &SearchFileDocument::firstScreenRead, m_sourceModel,
        &SourceTextModel::showFirstScreen);
    connect(m_document, &SearchFileDocument::firstScreenWithdrawn, m_sourceModel,
        &SourceTextModel::withdrawFirstScreen);
    connect(m_document, &SearchFileDocument::textLoaded, this, &MainWindow::onSearchFileLoaded);
    connect(m_document, &SearchFileDocument::loadFailed, this, &MainWindow::onSearchFileLoadFailed);
    connect(m_document, &SearchFileDocument::tableReplaced, this, &MainWindow::onTableReplaced);
    connect(m_document, &SearchFileDocument::analysisFailed, this,
        [this](const QString &error) { m_dialogs.showMessage(this, error); });
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
    m_document->load(path);
    // The first lines of the new file may show while it is read: Analyse waits for the whole.
    m_controls.analyseButton->setEnabled(false);
    updateCancelCommand();
}

void MainWindow::onSearchFileLoadEnded()
{
    m_controls.loadProgress->hide();
    m_controls.analyseButton->setEnabled(!m_document->isEmpty());
    updateCancelCommand();
}

void MainWindow::onSearchFileLoadFailed(const QString &path, const QString &reason)
{
    onSearchFileLoadEnded();
    m_dialogs.showMessage(
        this, tr("无法读取文件“%1”：\n%2").arg(QDir::toNativeSeparators(path), reason));
}

void MainWindow::onSearchFileLoaded()
{
    onSearchFileLoadEnded();
    const QString &path = m_document->path();
    const bool empty = m_document->isEmpty();
    m_sourceModel->setBytes(m_document->bytes(), m_document->encoding());
    m_controls.searchFilePathLabel->setText(QDir::toNativeSeparators(path));
    m_controls.searchFilePathLabel->setToolTip(QDir::toNativeSeparators(path));
    m_preview->followSearchFile(path, empty);
    m_controls.playSelectedAction->setEnabled(!empty);
}

void MainWindow::onAnalyseClicked()
{
    // The first Analyse of a file takes what was analysed since it was loaded (1M songs, clicked
    // 0.4 s after the file showed: 0.06-0.08 s against 0.19 s); a later one analyses afresh.
    m_document->analyse();
}

void MainWindow::onTableReplaced(const std::shared_ptr<SearchFileAnalysis> &analysis)
{
    const qsizetype songCount = m_document->table()->rowCount();
    // Singers of the table before are no singers of this one; the filters index the new ones.
    m_singerSuggestions->setSingers(nullptr);
    const TicksCarried carried = m_songModel->setTable(m_document->table());
    m_filters->setSongLines(std::move(analysis->lines), std::move(analysis->findForms));
    m_controls.findBar->setEnabled(true);
    m_shownModel->setSongOrders(m_document->songOrders());
    m_controls.randomCountField->setText(NumberText::fromReal(static_cast<double>(songCount) / 2));
    if (carried.keptRows > 0 || carried.droppedRows > 0) {
        showNote(tr("　重新分析：保留已选 %1 首，舍弃 %2 首")
                     .arg(NumberText::grouped(carried.keptRows),
                         NumberText::grouped(carried.droppedRows)));
    }
    if (analysis->skippedLineCount() > 0)
        m_dialogs.showMessage(this, skippedLinesReport(analysis->skippedLines));
}

void MainWindow::onCheckAllClicked()
{
    // Ticks every shown row unless all of them are ticked; the placeholder row can be ticked as
    // well, though nothing writes it.
    m_shownModel->setShownTicked(m_shownModel->tickState() != Qt::Checked);
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
    // Songs not ticked yet: a pick adds as many as it can.
    const UntickedPick pick = pickUntickedRows(
        m_shownModel->shownSongs(),
        [this](std::uint32_t row) { return m_songModel->isTicked(row); }, requested, m_random);
    m_songModel->setRowsTicked(pick.rows, true);
    // The way back one click away.
    std::vector<MessageBar::Action> undo;
    if (!pick.rows.empty())
        undo.push_back({ tr("撤销"), [action = m_tickUndo->undoAction()] { action->trigger(); } });
    showResult(u"　"_qs + randomPickNote(pick, requested), std::move(undo));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A quit signal closes as the close box did before, without a question.
    event->setAccepted(QuitSignals::isQuitting() || m_tickedExport->mayClose());
}

void MainWindow::onCancelTriggered()
{
    // The read first: it is what the user started last, and it leaves the window as it was.
    if (m_document->isLoading()) {
        m_document->cancelLoad();
        onSearchFileLoadEnded();
    } else {
        m_workbookExport->cancel();
        updateCancelCommand();
    }
}

void MainWindow::updateCancelCommand()
{
    m_controls.cancelAction->setEnabled(m_document->isLoading() || m_workbookExport->isRunning());
}

void MainWindow::onPlaySelectedTriggered()
{
    const int shownRow = m_controls.songTable->selectedRow();
    if (shownRow >= 0 && m_songModel->hasSongs())
        m_preview->play(*m_songModel->table(), m_shownModel->tableRow(shownRow));
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
    // Counted once a change of the shown songs, not at every tick.
    m_filterCounts = m_venueMenus->counts(*m_shownModel);
    updateStatus();
    showCheckAllState();
}

void MainWindow::onSongMenuRequested(const QPoint &position, bool byKeyboard)
{
    const int shownRow = m_controls.songTable->selectedRow();
    const std::shared_ptr<const SongTable> &table = m_songModel->table();
    QStringList singers;
    if (shownRow >= 0 && table) {
        singers = singersOfField(
            table->field(m_shownModel->tableRow(shownRow), SongColumn::Singer), table->encoding());
    }
    m_singerEntries->showFor(singers);
    if (byKeyboard)
        selectFirstItemWhenShown(*m_controls.menu);
    m_controls.menu->popup(position);
}

void MainWindow::onSingerChosen(const QString &singer)
{
    if (singer.trimmed().isEmpty()) {
        m_filters->setSinger({});
        return;
    }
    m_filters->setSingerNamed(singer);
    showNote(tr("　只看歌手“%1”").arg(m_filters->displayValue(SongFilters::Kind::Singer)));
}

void MainWindow::onTicksChanged()
{
    m_statusNote.clear();
    updateStatus();
    showCheckAllState();
}

void MainWindow::onFiltersChanged()
{
    m_controls.findBar->showQuery(m_filters->query());
    m_controls.findBar->setActiveFilterCount(m_filters->activeFilterCount());
    m_singerSuggestions->setCountedRows(m_filters->rowsBesideQueryAndSinger());
    showFilterChips();
}

void MainWindow::showFilterChips()
{
    using Kind = SongFilters::Kind;
    // The filters that hide songs beyond the find field and 只看已选, each named as its menu is.
    const std::pair<Kind, QString> named[] = { { Kind::Language, tr("语种：") },
        { Kind::Category, tr("类别：") }, { Kind::NewSongsOnly, QString() },
        { Kind::DuplicatesOnly, QString() }, { Kind::Singer, tr("歌手：") } };
    std::vector<FilterChips::Chip> chips;
    for (const auto &[kind, name] : named) {
        const QString value = m_filters->displayValue(kind);
        if (!value.isEmpty())
            chips.push_back({ QString::number(int(kind)), name + value });
    }
    m_controls.filterChips->setChips(chips);
}

void MainWindow::onVenueFilesRead(const VenueFilesRead &read)
{
    if (read.keptEarlierFiles())
        return;
    m_state.setVenueSongFiles(m_filters->venueFiles());
    m_state.save();
}

void MainWindow::showCheckAllState()
{
    m_controls.checkAllBox->setCheckState(m_shownModel->tickState());
}

void MainWindow::showNote(const QString &note)
{
    showResult(note, {});
}

void MainWindow::showResult(const QString &note, std::vector<MessageBar::Action> actions)
{
    m_statusNote = note;
    updateStatus();
    // What a command did shows whole in the message bar, however narrow the status is, and a
    // screen reader hears it as an alert.
    m_controls.messageBar->showMessage(
        MessageBar::Kind::Information, note.trimmed(), std::move(actions));
}

void MainWindow::updateStatus()
{
    const std::shared_ptr<const SongTable> &table = m_songModel->table();
    m_controls.findBar->setCounts(m_shownModel->shownSongCount(), table ? table->rowCount() : 0,
        m_songModel->tickedSongCount(), m_filterCounts);
    m_controls.findBar->setNote(m_statusNote);
}

void MainWindow::onOnlyTickedToggled(bool onlyTicked)
{
    m_filters->setOnlyTicked(onlyTicked);
    // Reviewing a pick starts at its first song, wherever the whole list was scrolled to.
    if (onlyTicked)
        m_controls.songTable->showFirstSong();
}
