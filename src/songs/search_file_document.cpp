#include "songs/search_file_document.h"

#include "songs/gbk_folding.h"
#include "songs/pinyin_readings.h"
#include "songs/song_orders.h"
#include "ui/core/file_load_job.h"

SearchFileDocument::SearchFileDocument(QObject *parent)
    : QObject(parent)
    , m_loadJob(new FileLoadJob(maxSearchFileSize, this))
{
    connect(m_loadJob, &FileLoadJob::progressChanged, this, &SearchFileDocument::loadProgress);
    // The first lines show while the rest is read: for 1M songs in the real window the text
    // shows 0.02-0.05 s after the dialog's Enter, against 0.24-0.34 s once the file was read.
    connect(m_loadJob, &FileLoadJob::firstScreenRead, this, &SearchFileDocument::firstScreenRead);
    connect(m_loadJob, &FileLoadJob::firstScreenWithdrawn, this,
        &SearchFileDocument::firstScreenWithdrawn);
    connect(m_loadJob, &FileLoadJob::loaded, this, &SearchFileDocument::onLoaded);
    connect(m_loadJob, &FileLoadJob::failed, this, &SearchFileDocument::loadFailed);
    // The analysis reads every name's pinyin letters and folding from tables made once a
    // process; made now beside the window, the first file loaded does not wait for them.
    m_tablesMade = QtConcurrent::run([] {
        GbkFolding::prepare();
        PinyinReadings::prepare();
    });
}

void SearchFileDocument::load(const QString &path)
{
    cancelAnalysis();
    m_loadJob->start(path);
}

void SearchFileDocument::cancelLoad()
{
    m_loadJob->cancel();
}

bool SearchFileDocument::isLoading() const
{
    return m_loadJob->isRunning();
}

void SearchFileDocument::onLoaded(
    const QString &path, const QByteArray &bytes, TextEncoding encoding)
{
    m_path = path;
    m_bytes = bytes;
    m_encoding = encoding;
    emit textLoaded();
    // At once: held back until the text had painted, it gained nothing (40.5 against 40.7 ms
    // from the text's arrival to its whole paint, 1M songs, medians of 5).
    if (!m_bytes.isEmpty())
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
    if (!analysis->error.isEmpty()) {
        emit analysisFailed(analysis->error);
        return;
    }
    m_table = std::exchange(m_readyTable, nullptr);
    m_orders = std::exchange(m_readyOrders, nullptr);
    emit tableReplaced(analysis);
}
