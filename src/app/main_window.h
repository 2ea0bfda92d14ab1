#pragma once

#include <QByteArray>
#include <QPointer>
#include <QRandomGenerator>
#include <QWidget>

class Dialogs;
class GapCaption;
class PlaybackEngine;
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
// classes and the questions go through the dialogs seam. The preview plays through the engine
// it is given, which must outlive it.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    MainWindow(Dialogs &dialogs, PlaybackEngine &engine, QWidget *parent = nullptr);
    ~MainWindow() override;

    // What the hidden commands gathered: the codes of the last collection or export, and the
    // details of every detail collection of this run.
    const QByteArray &codeBuffer() const { return m_codeBuffer; }
    const QByteArray &detailBuffer() const { return m_detailBuffer; }

protected:
    // A search file dropped on the window loads as if chosen with Browse.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildSourceGroup();
    void buildAnalysisGroup();
    void fitRandomCountRow(GapCaption *caption, QLabel *note);
    void buildMenuAndHiddenCommands();

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

    void loadSearchFile(const QString &path);
    void setFileCommandsEnabled(bool enabled);
    void saveFile(const QString &path, QByteArrayView bytes);

    Dialogs &m_dialogs;
    PlaybackEngine &m_engine;
    QRandomGenerator m_random;

    SourceTextModel *m_sourceModel;
    SongTableModel *m_songModel;
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

    QByteArray m_codeBuffer;
    QByteArray m_detailBuffer;
    QPointer<PlayerWindow> m_player;
};
