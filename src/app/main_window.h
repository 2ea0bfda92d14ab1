#pragma once

#include "ui/text_encoding.h"

#include <QByteArray>
#include <QPointer>
#include <QRandomGenerator>
#include <QWidget>

class Dialogs;
class FileLoadJob;
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
// classes and the questions go through the dialogs seam.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(Dialogs &dialogs, QWidget *parent = nullptr);
    ~MainWindow() override;

    // What the hidden commands gathered: the codes of the last collection or export and the
    // details of the last detail collection.
    const QByteArray &codeBuffer() const { return m_codeBuffer; }
    const QByteArray &detailBuffer() const { return m_detailBuffer; }

protected:
    // A search file dropped on the window loads as if chosen with Browse.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildSourceGroup();
    void buildAnalysisGroup();
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
    void onCancelTriggered();
    void onSongFolderClicked();
    void onTableContextMenuRequested(const QPoint &globalPosition);
    void onPlaySelectedTriggered();
    void onAboutClicked();

    // Reads in the background; the window changes only once the whole file is read.
    void loadSearchFile(const QString &path);
    void onSearchFileLoaded(const QString &path, const QByteArray &bytes, TextEncoding encoding);
    void onSearchFileLoadFailed(const QString &path, const QString &reason);
    void setFileCommandsEnabled(bool enabled);
    void updateCancelCommand();
    void saveFile(const QString &path, QByteArrayView bytes);

    Dialogs &m_dialogs;
    QRandomGenerator m_random;

    SourceTextModel *m_sourceModel;
    SongTableModel *m_songModel;
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

    QByteArray m_codeBuffer;
    QByteArray m_detailBuffer;
    QPointer<PlayerWindow> m_player;
};
