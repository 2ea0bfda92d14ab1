#pragma once

#include "app/window_growth.h"
#include "songs/song_search.h"

#include <QByteArray>
#include <QPointer>
#include <QRandomGenerator>
#include <QWidget>

class Dialogs;
class FindBar;
class ShownSongsModel;
class SongSorter;
class PlayerWindow;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class SongTableModel;
class SongTableView;
class SourceTextModel;
class SourceView;
class WorkbookExportJob;

// The main window: the source view, the song table, the selection controls and the exports.
// It builds the layout and wires each control to a short handler; the work is done by the core
// classes and the questions go through the dialogs seam.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(Dialogs &dialogs, QWidget *parent = nullptr);
    ~MainWindow() override;

    // What the hidden commands gathered: the codes of the last collection or export, and the
    // details of every detail collection of this run.
    const QByteArray &codeBuffer() const { return m_codeBuffer; }
    const QByteArray &detailBuffer() const { return m_detailBuffer; }

protected:
    // A search file dropped on the window loads as if chosen with Browse.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // The source view and the song table share the room a larger window gives.
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildSourceGroup();
    void buildAnalysisGroup();
    void buildMenuAndHiddenCommands();
    void buildFindBar();
    void setUpGrowth();

    void onBrowseClicked();
    void onAnalyseClicked();
    void onCheckAllClicked(bool checked);
    void onRandomPickClicked();
    void onExportCodesClicked();
    void onCollectCodesTriggered();
    void onCollectDetailsTriggered();
    void onExportWorkbookTriggered();
    void onWorkbookExportFinished(const QString &error);
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

    void loadSearchFile(const QString &path);
    void setFileCommandsEnabled(bool enabled);
    // False when it could not be written (the user was told).
    bool saveFile(const QString &path, QByteArrayView bytes);

    Dialogs &m_dialogs;
    QRandomGenerator m_random;

    SourceTextModel *m_sourceModel;
    SongTableModel *m_songModel;
    ShownSongsModel *m_shownModel;
    SongSearch *m_search;
    SongSorter *m_sorter;
    WorkbookExportJob *m_workbookJob;
    QString m_workbookPath;

    SourceView *m_sourceView = nullptr;
    QLabel *m_searchFilePath = nullptr;
    QLabel *m_songFolder = nullptr;
    QPushButton *m_analyseButton = nullptr;
    SongTableView *m_songTable = nullptr;
    QCheckBox *m_checkAll = nullptr;
    QLineEdit *m_randomCount = nullptr;
    QLabel *m_songCount = nullptr;
    QProgressBar *m_progress = nullptr;
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
    WindowGrowth m_growth;
};
