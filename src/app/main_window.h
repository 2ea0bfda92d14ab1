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
class FilterViews;
class SearchFileCommands;
class ShownSongsModel;
class SongPreview;
class SongFilters;
class SongTableModel;
class TickRecovery;
class TickUndo;
class TickedSongsExport;
class VenueMenus;
class WorkbookExportCommand;

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

    void onCheckAllClicked();
    void onRandomPickClicked();
    void onCancelTriggered();
    void onPlaySelectedTriggered();
    void onAboutClicked();
    void onShownSongsChanged();
    void onTicksChanged();
    void onSongMenuRequested(const QPoint &position, bool byKeyboard);

    // 全选 shows whether none, some or all of the shown songs are ticked.
    void showCheckAllState();
    void updateStatus();
    // What a command did, whole in the message bar until the next command or its close button.
    void showNote(const QString &note);
    // The same, with up to two actions beside it.
    void showResult(const QString &note, const MessageActions &actions);
    void updateCancelCommand();

    Dialogs &m_dialogs;
    QRandomGenerator m_random;

    SongTableModel *m_songModel;
    SongFilters *m_filters;
    ShownSongsModel *m_shownModel;
    TickUndo *m_tickUndo;
    MainWindowControls m_controls;
    VenueMenus *m_venueMenus;
    WorkbookExportCommand *m_workbookExport;
    TickedSongsExport *m_tickedExport;
    FilterViews *m_filterViews;
    SearchFileCommands *m_searchFile;
    SongPreview *m_preview;
    TickRecovery *m_tickRecovery;

    // What the status adds of the filters to its counts.
    QString m_filterCounts;
};
