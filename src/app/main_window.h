#pragma once

#include "songs/song_table.h"
#include "ui/text_encoding.h"

#include <QByteArray>
#include <QPointer>
#include <QRandomGenerator>
#include <QWidget>

#include <functional>
#include <memory>
#include <span>

class Dialogs;
class FileLoadJob;
class FindBar;
class GapCaption;
class HeightDivider;
class PlacedLayout;
class PlaybackEngine;
class SearchFileDocument;
class ShownSongsModel;
struct SearchFileAnalysis;
class PlayerWindow;
class ProgressStrip;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class SongTableModel;
class SongTableView;
class SourceTextModel;
class SourceView;
class TickUndo;
class WorkbookExportJob;

// The main window: the source view, the song table, the selection controls and the exports.
// It builds the layout and wires each control to a short handler; the work is done by the core
// classes and the questions go through the dialogs seam. The preview plays through the engine
// it is given, which must outlive it.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    // The engine is asked for when the player first opens, so a run that never previews never
    // starts one.
    using EngineSource = std::function<PlaybackEngine &()>;
    MainWindow(Dialogs &dialogs, EngineSource engine, QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    // A search file dropped on the window loads as if chosen with Browse.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // Ticks changed since the last code export: asks whether to export them first.
    void closeEvent(QCloseEvent *event) override;

private:
    void buildSourceGroup();
    void buildAnalysisGroup();
    void fitRandomCountRow(GapCaption *caption, QLabel *note);
    void buildMenuAndHiddenCommands();
    void buildFindBar();

    void onBrowseClicked();
    void onAnalyseClicked();
    void onAnalysed(const std::shared_ptr<SearchFileAnalysis> &analysis);
    void onCheckAllClicked();
    // 全选 shows whether none, some or all of the shown songs are ticked.
    void showCheckAllState();
    void onRandomPickClicked();
    void onExportCodesClicked();
    // True when the file was written.
    bool exportCodes();
    void onCopyCodesTriggered();
    void onCopyDetailsTriggered();
    // The given fields of the ticked songs, a line each, on the clipboard.
    void copyTickedSongs(std::span<const SongColumn> columns);
    void onExportWorkbookTriggered();
    void onWorkbookExportFinished(const QString &error);
    void onCancelTriggered();
    void onSongFolderClicked();
    void onTableContextMenuRequested(const QPoint &globalPosition);
    void onPlaySelectedTriggered();
    void onAboutClicked();
    void onHeaderClicked(int column);
    void onShownSongsChanged();

    void updateStatus();
    // A word after the counts of what was just done; the next change of ticks clears it.
    void showNote(const QString &note);

    // Reads in the background; the window changes only once the whole file is read.
    void loadSearchFile(const QString &path);
    void onSearchFileLoaded(const QString &path, const QByteArray &bytes, TextEncoding encoding);
    void onSearchFileLoadFailed(const QString &path, const QString &reason);
    void setFileCommandsEnabled(bool enabled);
    void updateCancelCommand();

    Dialogs &m_dialogs;
    EngineSource m_engine;
    QRandomGenerator m_random;

    SourceTextModel *m_sourceModel;
    SongTableModel *m_songModel;
    ShownSongsModel *m_shownModel;
    TickUndo *m_tickUndo;
    SearchFileDocument *m_document;
    WorkbookExportJob *m_workbookJob;
    FileLoadJob *m_loadJob;
    QString m_workbookPath;

    SourceView *m_sourceView = nullptr;
    QLabel *m_searchFilePath = nullptr;
    QLabel *m_songFolder = nullptr;
    QPushButton *m_analyseButton = nullptr;
    SongTableView *m_songTable = nullptr;
    QCheckBox *m_checkAll = nullptr;
    QLineEdit *m_randomCount = nullptr;
    QLabel *m_songCount = nullptr;
    ProgressStrip *m_workbookProgress = nullptr;
    ProgressStrip *m_loadProgress = nullptr;
    QAction *m_cancel = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_playSelected = nullptr;
    FindBar *m_findBar = nullptr;

    // The folder the player prefixes to a song's path, as its label shows it.
    QString m_songFolderPath;
    // What the last command did (a re-analysis, an export, a copy), until the next change.
    QString m_statusNote;

    QPointer<PlayerWindow> m_player;
    // Ticks changed since the last code export was written.
    bool m_ticksChangedSinceExport = false;
    // Every control's place at the default size and how it follows a larger window.
    PlacedLayout *m_layout = nullptr;
    HeightDivider *m_divider = nullptr;
};
