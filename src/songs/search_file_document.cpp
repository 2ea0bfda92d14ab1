#include "songs/search_file_document.h"

#include "songs/gbk_folding.h"
#include "songs/pinyin_readings.h"
#include "songs/song_orders.h"

SearchFileDocument::SearchFileDocument(QObject *parent)
    : QObject(parent)
{
    // The analysis reads every name's pinyin letters and folding from tables made once a
    // process; made now beside the window, the first file loaded does not wait for them.
    m_tablesMade = QtConcurrent::run([] {
        GbkFolding::prepare();
        PinyinReadings::prepare();
    });
}

void SearchFileDocument::setText(const QString &path, QByteArray bytes, TextEncoding encoding)
{
    cancelAnalysis();
    m_path = path;
    m_bytes = std::move(bytes);
    m_encoding = encoding;
}

void SearchFileDocument::analyseInAdvance()
{
    if (!m_bytes.isEmpty() && !m_ready && !m_analysis.isRunning())
        startAnalysis();
}

void SearchFileDocument::cancelAnalysis()
{
    m_analysis.cancel();
    m_ready.reset();
    m_readyTable.reset();
    m_readyOrders.reset();
    m_wanted = false;
}

void SearchFileDocument::analyse()
{
    if (m_wanted)
        return;
    m_wanted = true;
    if (m_ready)
        deliver(std::exchange(m_ready, nullptr));
    else if (!m_analysis.isRunning())
        startAnalysis();
}

void SearchFileDocument::startAnalysis()
{
    m_analysis.start(
        [text = m_bytes, encoding = m_encoding](
            QPromise<std::shared_ptr<SearchFileAnalysis>> &promise, const std::atomic<bool> &stop) {
            if (std::optional<SearchFileAnalysis> analysis
                = analyseSearchFile(text, encoding, stop))
                promise.addResult(std::make_shared<SearchFileAnalysis>(std::move(*analysis)));
        },
        [this](std::shared_ptr<SearchFileAnalysis> analysis) {
            if (analysis->error.isEmpty()) {
                m_readyTable = std::make_shared<const SongTable>(std::move(analysis->table));
                // Begun while the user still looks at the text or the table, so the first click
                // on a header finds its ranks made (1M songs: the sort by 歌名 took 1.0-1.2 s
                // from the click in the real window).
                m_readyOrders = std::make_shared<const SongOrders>(m_readyTable);
            }
            if (m_wanted)
                deliver(std::move(analysis));
            else
                m_ready = std::move(analysis);
        });
}

void SearchFileDocument::deliver(std::shared_ptr<SearchFileAnalysis> analysis)
{
    m_wanted = false;
    if (analysis->error.isEmpty()) {
        m_table = std::exchange(m_readyTable, nullptr);
        m_orders = std::exchange(m_readyOrders, nullptr);
    }
    emit analysed(analysis);
}
