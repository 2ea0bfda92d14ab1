#pragma once

#include "app/main_window_controls.h"
#include "songs/song_table.h"
#include "ui/widgets/message_bar.h"

#include <QRandomGenerator>
#include <QWidget>

#include <functional>
#include <memory>

class AppState;
class Dialogs;
class PlaybackEngine;
class SearchFileDocument;
class SingerMenuEntries;
class SingerSuggestions;
class ShownSongsModel;
class SongPreview;
class SongFilters;
class SongTableModel;
class SourceTextModel;
class TickRecovery;
class TickUndo;
class TickedSongsExport;
class VenueMenus;
class WorkbookExportCommand;
struct SearchFileAnalysis;
struct VenueFilesRead;

// The main window: the source view, the song table, the selection controls and the exports.
// It wires each control to a short handler; the work is done by the document and the models, and
// the questions go through the dialogs seam. The preview plays through the engine it is given.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    // The engine is asked for when the player first opens, so a run that never previews never
    // starts one.
    using EngineSource = std::function<PlaybackEngine &()>;
    // `state` keeps what the window remembers between runs; both must outlive the window.
    MainWindow(Dialogs &dialogs, EngineSource engine, AppState &state, QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    // A search file dropped on the window loads as if chosen with Browse.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // Ticks changed since the last code export: asks whether to export them first.
    void closeEvent(QCloseEvent *event) override;

private:
    void connectControls();

    void onBrowseClicked();
    // Reads in the background; the first screen of text shows while the rest is read.
    void loadSearchFile(const QString &path);
    void onSearchFileLoaded();
    // Loaded, failed or cancelled: the window as it is without a read.
    void onSearchFileLoadEnded();
    void onSearchFileLoadFailed(const QString &path, const QString &reason);
    void onAnalyseClicked();
    void onTableReplaced(const std::shared_ptr<SearchFileAnalysis> &analysis);
    void onCheckAllClicked();
    void onRandomPickClicked();
    void onCancelTriggered();
    void onPlaySelectedTriggered();
    void onAboutClicked();
    void onOnlyTickedToggled(bool onlyTicked);
    void onShownSongsChanged();
    void onTicksChanged();
    void onSongMenuRequested(const QPoint &position, bool byKeyboard);
    // Only this singer's songs (any spelling, duets included), or every singer's for an empty one.
    void onSingerChosen(const QString &singer);
    void onFiltersChanged();
    // A chip for each filter in force, outside any menu.
    void showFilterChips();
    void onVenueFilesRead(const VenueFilesRead &read);

    // 全选 shows whether none, some or all of the shown songs are ticked.
    void showCheckAllState();
    void updateStatus();
    // A word after the counts of what was just done; the next change of ticks clears it.
    void showNote(const QString &note);
    // The same, with up to two actions beside the whole text in the message bar.
    void showResult(const QString &note, std::vector<MessageBar::Action> actions);
    void updateCancelCommand();

    Dialogs &m_dialogs;
    QRandomGenerator m_random;
    AppState &m_state;

    SearchFileDocument *m_document;
    SourceTextModel *m_sourceModel;
    SongTableModel *m_songModel;
    SongFilters *m_filters;
    ShownSongsModel *m_shownModel;
    TickUndo *m_tickUndo;
    MainWindowControls m_controls;
    VenueMenus *m_venueMenus;
    WorkbookExportCommand *m_workbookExport;
    TickedSongsExport *m_tickedExport;
    SingerSuggestions *m_singerSuggestions;
    SingerMenuEntries *m_singerEntries;
    SongPreview *m_preview;
    TickRecovery *m_tickRecovery;

    // What the status adds of the filters to its counts.
    QString m_filterCounts;
    // What the last command did (a re-analysis, an export, a copy), until the next change.
    QString m_statusNote;
};
