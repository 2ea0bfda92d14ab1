#pragma once

#include "ui/widgets/message_bar.h"

#include <QObject>

#include <memory>

class Dialogs;
class MainWindowControls;
class SearchFileDocument;
class ShownSongsModel;
class SongFilters;
class SongPreview;
class SongTableModel;
class SourceTextModel;
class QWidget;
struct SearchFileAnalysis;

// 浏览, a dropped file and 分析: the document reads and analyses the search file; the source
// view, the path, the buttons, the models and the preview's folder follow it. A read can be
// cancelled, leaving the window as it was.
class SearchFileCommands : public QObject
{
    Q_OBJECT

public:
    SearchFileCommands(Dialogs &dialogs, QWidget *window, const MainWindowControls &controls,
        SongTableModel *songs, SongFilters *filters, ShownSongsModel *shown, SongPreview *preview);

    SearchFileDocument *document() const { return m_document; }

    void browse();
    // Reads in the background; the first screen of text shows while the rest is read.
    void load(const QString &path);
    void analyse();
    bool isLoading() const;
    void cancelLoad();

signals:
    void noted(const QString &note, const MessageActions &actions = {});
    // A read started or ended.
    void loadingChanged();

private:
    // Loaded, failed or cancelled: the window as it is without a read.
    void onLoadEnded();
    void onLoadFailed(const QString &path, const QString &reason);
    void onLoaded();
    void onTableReplaced(const std::shared_ptr<SearchFileAnalysis> &analysis);
    // A warning that names the lines that are no songs, after `before`, and lists them all on
    // request.
    void noteSkippedLines(const QString &before, std::vector<std::uint32_t> lineNumbers);

    Dialogs &m_dialogs;
    QWidget *m_window;
    const MainWindowControls &m_controls;
    SearchFileDocument *m_document;
    SourceTextModel *m_sourceModel;
    SongTableModel *m_songs;
    SongFilters *m_filters;
    ShownSongsModel *m_shown;
    SongPreview *m_preview;
};
