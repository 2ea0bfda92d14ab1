#pragma once

#include "songs/latest_job_runner.h"
#include "songs/song_search.h"
#include "songs/song_table.h"

#include <QObject>

#include <atomic>
#include <optional>
#include <span>
#include <vector>

// Every row of a column's cells (slices of `text`) in ascending order: empty cells first, then
// all-digit texts as numbers, then other texts in Chinese pinyin order (ICU's collation for
// Chinese) of their simplified form, the original breaking ties, so 愛情 sorts beside 爱情; equal
// cells keep file order. Each cell's collation key is made once, not a collator
// compare per comparison. Nothing when `stop` was set meanwhile.
std::optional<std::vector<std::uint32_t>> sortedRows(const QByteArray &text,
    std::vector<ByteSpan> cells, const std::atomic<bool> &stop,
    TextEncoding encoding = TextEncoding::Gbk);

// `rows` (any order) in the order of `sortedAll` (every row of the table, as sortedRows gives
// them), or its reverse: one pass over every row, whatever is shown.
std::vector<std::uint32_t> inSortedOrder(
    std::vector<std::uint32_t> rows, std::span<const std::uint32_t> sortedAll, bool descending);

// Sorting a column off the user-interface thread; a newer sort supersedes the one before.
class SongSorter : public QObject
{
    Q_OBJECT

public:
    explicit SongSorter(QObject *parent = nullptr);
    ~SongSorter() override;

    // Starts sorting every row of `table` by `column`; the number names the request.
    quint64 sort(const SongTable &table, SongColumn column);
    void waitForDone();

signals:
    void sorted(quint64 request, const RowList &rows);

private:
    LatestJobRunner m_jobs;
    quint64 m_lastRequest = 0;
};
