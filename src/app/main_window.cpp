#include "app/main_window.h"

#include "app/about_window.h"
#include "app/filter_views.h"
#include "app/find_bar.h"
#include "app/progress_strip.h"
#include "app/quit_signals.h"
#include "app/search_file_commands.h"
#include "app/singer_menu_entries.h"
#include "app/song_preview.h"
#include "app/song_table_view.h"
#include "app/tick_recovery.h"
#include "app/tick_undo.h"
#include "app/ticked_songs_export.h"
#include "app/venue_menus.h"
#include "app/workbook_export_command.h"
#include "selection/random_selection.h"
#include "songs/shown_songs_model.h"
#include "songs/song_filters.h"
#include "songs/song_table_model.h"
#include "ui/core/app_state.h"
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
    , m_songModel(new SongTableModel(this))
    , m_filters(new SongFilters(m_songModel, this))
    , m_shownModel(new ShownSongsModel(m_songModel, m_filters, this))
    , m_tickUndo(new TickUndo(m_songModel, this))
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(tr("澜杉V1.1"));
    setAcceptDrops(true);
    exposeAsWindow(*this);
    m_controls.build(this);
    m_venueMenus
        = new VenueMenus(dialogs, this, m_songModel, m_filters, state, m_tickUndo->undoAction());
    m_workbookExport
        = new WorkbookExportCommand(dialogs, this, m_songModel, m_controls.workbookProgress);
    m_tickedExport = new TickedSongsExport(dialogs, this, m_songModel, m_filters);
    m_preview = new SongPreview(dialogs, this, std::move(engine), m_controls.songFolderLabel);
    m_searchFile = new SearchFileCommands(
        dialogs, this, m_controls, m_songModel, m_filters, m_shownModel, m_preview);
    m_tickRecovery = new TickRecovery(dialogs, this, m_searchFile->document(), m_songModel,
        m_tickedExport, TickRecovery::pathBeside(state.path()));
    m_controls.songTable->setSongModel(m_shownModel);
    m_controls.findBar->setFilterMenu(m_venueMenus->menu());
    m_controls.menu->addSeparator();
    m_controls.menu->addActions(m_venueMenus->menu()->actions());
    m_filterViews = new FilterViews(m_controls, m_filters, m_songModel, this);
    for (QAction *action : { m_tickUndo->undoAction(), m_tickUndo->redoAction() }) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    connectControls();
    updateStatus();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectControls()
{
    const MainWindowControls &c = m_controls;
    connect(c.browseButton, &QPushButton::clicked, m_searchFile, &SearchFileCommands::browse);
    connect(c.analyseButton, &QPushButton::clicked, m_searchFile, &SearchFileCommands::analyse);
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
    connect(m_tickedExport, &TickedSongsExport::noted, this, &MainWindow::showResult);
    connect(m_tickRecovery, &TickRecovery::noted, this, &MainWindow::showNote);
    connect(c.exportWorkbookAction, &QAction::triggered, m_workbookExport,
        &WorkbookExportCommand::start);
    connect(c.findAction, &QAction::triggered, c.findBar, &FindBar::focusField);
    connect(c.cancelAction, &QAction::triggered, this, &MainWindow::onCancelTriggered);

    connect(m_shownModel, &QAbstractItemModel::modelReset, this, &MainWindow::onShownSongsChanged);
    connect(m_songModel, &SongTableModel::ticksChanged, this, &MainWindow::onTicksChanged);
    connect(m_venueMenus, &VenueMenus::noted, this, &MainWindow::showResult);
    connect(m_tickUndo, &TickUndo::noted, this, &MainWindow::showNote);
    connect(c.songTable, &SongTableView::songsTicked, this, [this](qsizetype count, bool ticked) {
        showNote((ticked ? tr("已勾选选中的 %1 首") : tr("已取消勾选选中的 %1 首"))
                     .arg(NumberText::grouped(count)));
    });

    connect(c.loadProgress, &ProgressStrip::cancelRequested, this, &MainWindow::onCancelTriggered);
    connect(m_searchFile, &SearchFileCommands::noted, this, &MainWindow::showResult);
    connect(
        m_searchFile, &SearchFileCommands::loadingChanged, this, &MainWindow::updateCancelCommand);
    connect(m_workbookExport, &WorkbookExportCommand::noted, this, &MainWindow::showNote);
    connect(m_workbookExport, &WorkbookExportCommand::runningChanged, this,
        &MainWindow::updateCancelCommand);
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
    m_searchFile->load(path);
}

void MainWindow::onCheckAllClicked()
{
    // Ticks every shown row unless all of them are ticked; the placeholder row can be ticked as
    // well, though nothing writes it.
    const bool ticking = m_shownModel->tickState() != Qt::Checked;
    const qsizetype tickedBefore = m_songModel->tickedSongCount();
    m_shownModel->setShownTicked(ticking);
    const QString changed
        = NumberText::grouped(std::abs(m_songModel->tickedSongCount() - tickedBefore));
    showNote(ticking ? tr("已勾选显示的 %1 首").arg(changed)
                     : tr("已取消勾选显示的 %1 首").arg(changed));
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
    MessageActions undo;
    if (!pick.rows.empty())
        undo.push_back({ tr("撤销"), [action = m_tickUndo->undoAction()] { action->trigger(); } });
    showResult(randomPickNote(pick, requested), std::move(undo));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A quit signal closes as the close box did before, without a question.
    event->setAccepted(QuitSignals::isQuitting() || m_tickedExport->mayClose());
}

void MainWindow::onCancelTriggered()
{
    // The read first: it is what the user started last, and it leaves the window as it was.
    if (m_searchFile->isLoading()) {
        m_searchFile->cancelLoad();
    } else {
        m_workbookExport->cancel();
        updateCancelCommand();
    }
}

void MainWindow::updateCancelCommand()
{
    m_controls.cancelAction->setEnabled(m_searchFile->isLoading() || m_workbookExport->isRunning());
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
    m_filterViews->singerEntries()->showFor(singers);
    if (byKeyboard)
        selectFirstItemWhenShown(*m_controls.menu);
    m_controls.menu->popup(position);
}

void MainWindow::onTicksChanged()
{
    updateStatus();
    showCheckAllState();
}

void MainWindow::showCheckAllState()
{
    m_controls.checkAllBox->setCheckState(m_shownModel->tickState());
}

void MainWindow::showNote(const QString &note)
{
    showResult(note, {});
}

void MainWindow::showResult(const QString &note, const MessageActions &actions)
{
    // Whole in the message bar, however narrow the window, and heard as an alert.
    m_controls.messageBar->showMessage(MessageBar::Kind::Information, note, actions);
}

void MainWindow::updateStatus()
{
    const std::shared_ptr<const SongTable> &table = m_songModel->table();
    m_controls.findBar->setCounts(m_shownModel->shownSongCount(), table ? table->rowCount() : 0,
        m_songModel->tickedSongCount(), m_filterCounts);
}
