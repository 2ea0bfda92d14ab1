#pragma once

#include "songs/latest_job_runner.h"
#include "songs/song_finder.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

using RowList = std::shared_ptr<const std::vector<std::uint32_t>>;
Q_DECLARE_METATYPE(RowList)

// Finding as the user types, off the user-interface thread: each search supersedes the one
// before it.
class SongSearch : public QObject
{
    Q_OBJECT

public:
    explicit SongSearch(QObject *parent = nullptr);
    ~SongSearch() override;

    // Starts over with the songs of `table` (whose text it shares), `lines` holding the whole
    // line of each, as the analysis found them.
    void setTable(const SongTable &table, std::vector<ByteSpan> lines);
    // Searches all songs, or only `candidates` (file order) when the query narrows theirs.
    void find(const QString &text, RowList candidates);
    // Returns once every search started so far has finished (tests and benchmarks).
    void waitForDone();

signals:
    // The rows matching `text`, in file order; only for the newest search.
    void found(const QString &text, RowList rows);

private:
    LatestJobRunner m_jobs;
    // Counts the tables set; read and written on the user-interface thread only.
    quint64 m_table = 0;
    // Only the job thread touches it, one job at a time.
    std::shared_ptr<std::unique_ptr<SongFinder>> m_finder;
};
