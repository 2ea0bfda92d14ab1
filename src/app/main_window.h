#pragma once

#include "app/window_growth.h"
#include "songs/analysis_in_advance.h"
#include "songs/song_search.h"
#include "ui/text_encoding.h"

#include <QByteArray>
#include <QPointer>
#include <QRandomGenerator>
#include <QWidget>

#include <functional>

class Dialogs;
class FileLoadJob;
class FindBar;
class GapCaption;
class PlaybackEngine;
class ShownSongsModel;
class SongSorter;
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

    // What the hidden commands gathered: the codes of the last collection or export and the
    // details of the last detail collection.
    const QByteArray &codeBuffer() const { return m_codeBuffer; }
    const QByteArray &detailBuffer() const { return m_detailBuffer; }

protected:
    // A search file dropped on the window loads as if chosen with Browse.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // The source view and the song table share the room a larger window gives.
    void resizeEvent(QResizeEvent *event) override;
    // Ticks changed since the last code export: asks whether to export them first.
    void closeEvent(QCloseEvent *event) override;

private:
    void buildSourceGroup();
    void buildAnalysisGroup();
    void fitRandomCountRow(GapCaption *caption, QLabel *note);
    void buildMenuAndHiddenCommands();
    void buildFindBar();
    void setUpGrowth();

    void onBrowseClicked();
    void onAnalyseClicked();
    void onCheckAllClicked(bool checked);
    void onRandomPickClicked();
    void onExportCodesClicked();
    // True when the file was written.
    bool exportCodes();
    void onCollectCodesTriggered();
    void onCollectDetailsTriggered();
    void onExportWorkbookTriggered();
    void onWorkbookExportFinished(const QString &error);
    void onCancelTriggered();
    void onSongFolderClicked();
    void onTableContextMenuRequested(const QPoint &globalPosition);
    void onPlaySelectedTriggered();
    void onAboutClicked();
    void onQueryEdited(const QString &text);
    void onSearchFound(const QString &text, const RowList &rows);
    void onHeaderClicked(int column);
    void onSorted(quint64 request, const RowList &rows);
    void showSortOrder(int column, Qt::SortOrder order);
    void onUndoTicksTriggered();
    void onRedoTicksTriggered();

    // Shows the songs of the last search (all when there is none), only the ticked ones when
    // asked; the current song stays current when it is still shown.
    void showSongs();
    void updateStatus();
    // A word after the counts of what was just done; the next change of ticks clears it.
    void showNote(const QString &note);
    qsizetype shownSongCount() const;

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
    SongSearch *m_search;
    SongSorter *m_sorter;
    WorkbookExportJob *m_workbookJob;
    FileLoadJob *m_loadJob;
    // The loaded file's analysis, begun as soon as it is loaded and taken by Analyse.
    AnalysisInAdvance m_analysisInAdvance;
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

    // What the labels show: the folder the player prefixes to a song's path; whether the table
    // holds analysed songs (not the placeholder).
    QString m_songFolderPath;
    bool m_analysed = false;
    // The query whose result is shown and its rows in file order (none: every song).
    FindQuery m_shownQuery;
    RowList m_matched;
    // The column the view is sorted by (-1: file order), and every row in its ascending order
    // once the sort is done.
    int m_sortColumn = -1;
    bool m_sortDescending = false;
    quint64 m_sortRequest = 0;
    RowList m_sortedRows;
    // What the last command did (a re-analysis, an export, a copy), until the next change.
    QString m_statusNote;

    QByteArray m_codeBuffer;
    QByteArray m_detailBuffer;
    QPointer<PlayerWindow> m_player;
    // Ticks changed since the last code export was written.
    bool m_ticksChangedSinceExport = false;
    WindowGrowth m_growth;
};
