#include "songs/song_search.h"

#include "songs/gbk_folding.h"

#include <tuple>

SongSearch::SongSearch(QObject *parent)
    : QObject(parent)
    , m_finder(std::make_shared<std::unique_ptr<SongFinder>>())
{
}

SongSearch::~SongSearch()
{
    m_jobs.stopAll();
    m_jobs.waitForDone();
}

void SongSearch::setTable(const SongTable &table, std::vector<ByteSpan> lines)
{
    ++m_table;
    m_jobs.start(
        [finder = m_finder, text = table.bytes(), lines = std::move(lines),
            encoding = table.encoding()](const std::atomic<bool> &) mutable {
            finder->reset();
            if (encoding == TextEncoding::Utf8)
                std::tie(text, lines) = SongFinder::inGbk(text, lines);
            *finder = std::make_unique<SongFinder>(std::move(text), std::move(lines));
            // Built here rather than at the first keystroke.
            GbkFolding::prepare();
        },
        false);
}

void SongSearch::find(const QString &text, RowList candidates)
{
    m_jobs.start([this, finder = m_finder, text, candidates, table = m_table](
                     const std::atomic<bool> &stop) {
        if (!*finder)
            return;
        std::optional<std::vector<std::uint32_t>> rows
            = (*finder)->find(FindQuery::parse(text), candidates.get(), stop);
        if (!rows)
            return;
        RowList result = std::make_shared<const std::vector<std::uint32_t>>(std::move(*rows));
        // Rows of a table replaced meanwhile are no rows of the new one.
        QMetaObject::invokeMethod(
            this,
            [this, text, result, table] {
                if (table == m_table)
                    emit found(text, result);
            },
            Qt::QueuedConnection);
    });
}

void SongSearch::waitForDone()
{
    m_jobs.waitForDone();
}
