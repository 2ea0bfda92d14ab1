#pragma once

#include "songs/search_file_analysis.h"
#include "ui/core/latest_job.h"

#include <QObject>
#include <QString>

#include <memory>

class FileLoadJob;
class SongOrders;

// The search file the user loaded: its path, its bytes and their encoding, and its analysis. It
// reads the file in the background, and says what changed: the first lines of a file being read,
// the whole text, a read that failed, a new table. The analysis starts in the background as soon
// as the text is in, so the user's Analyse usually only takes the finished result; nothing of it
// shows before that. The analysed table never changes afterwards and is shared, not copied, by
// whatever works on it.
class SearchFileDocument : public QObject
{
    Q_OBJECT

public:
    explicit SearchFileDocument(QObject *parent = nullptr);

    // Reads `path`, dropping a read still running; textLoaded() or loadFailed() follows. The
    // analysis of the text before stops at once.
    void load(const QString &path);
    // Drops the running read: the text before stays, its first lines shown again.
    void cancelLoad();
    bool isLoading() const;

    const QString &path() const { return m_path; }
    const QByteArray &bytes() const { return m_bytes; }
    TextEncoding encoding() const { return m_encoding; }
    bool isEmpty() const { return m_bytes.isEmpty(); }

    // Asks for the analysis: tableReplaced() or analysisFailed() follows, at once when the one
    // begun in advance is done. Asking again analyses afresh.
    void analyse();
    bool isAnalysing() const { return m_wanted; }
    // The table of the last analysis delivered; nothing before one.
    const std::shared_ptr<const SongTable> &table() const { return m_table; }
    // What sorting that table's columns needs, made in the background.
    const std::shared_ptr<const SongOrders> &songOrders() const { return m_orders; }

signals:
    // 0 to 100, once a read takes long enough to show it.
    void loadProgress(int percent);
    // The whole lines at the start of the file being read, and their withdrawal when the read
    // fails or is dropped.
    void firstScreenRead(const QByteArray &bytes, TextEncoding encoding);
    void firstScreenWithdrawn();
    // path(), bytes() and encoding() are the new file's.
    void textLoaded();
    void loadFailed(const QString &path, const QString &reason);
    // The songs are table(); `analysis` holds the rest (its table moved out): the whole line of
    // each song and the lines skipped.
    void tableReplaced(const std::shared_ptr<SearchFileAnalysis> &analysis);
    void analysisFailed(const QString &error);

private:
    void onLoaded(const QString &path, const QByteArray &bytes, TextEncoding encoding);
    void cancelAnalysis();
    void startAnalysis();
    void deliver(std::shared_ptr<SearchFileAnalysis> analysis);

    FileLoadJob *m_loadJob;
    QString m_path;
    QByteArray m_bytes;
    TextEncoding m_encoding = TextEncoding::Gbk;
    std::shared_ptr<const SongTable> m_table;
    std::shared_ptr<const SongOrders> m_orders;

    QFuture<void> m_tablesMade;
    LatestJob<std::shared_ptr<SearchFileAnalysis>> m_analysis { this };
    // The analysis of the present text, finished and not yet asked for, its table and orders.
    std::shared_ptr<SearchFileAnalysis> m_ready;
    std::shared_ptr<const SongTable> m_readyTable;
    std::shared_ptr<const SongOrders> m_readyOrders;
    // Analyse was asked for and its result has not come yet.
    bool m_wanted = false;
};
