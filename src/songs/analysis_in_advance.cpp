#include "songs/analysis_in_advance.h"

void AnalysisInAdvance::start(const QByteArray &text, TextEncoding encoding)
{
    cancel();
    m_text = text;
    m_encoding = encoding;
    m_result = std::make_shared<Result>();
    m_runner.start([text, encoding, result = m_result](const std::atomic<bool> &stop) {
        SearchFileAnalysis analysis = analyseSearchFile(text, encoding);
        if (stop.load())
            return;
        const std::lock_guard lock(result->mutex);
        result->analysis = std::move(analysis);
    });
}

void AnalysisInAdvance::cancel()
{
    m_runner.stopAll();
    m_text = {};
    m_result.reset();
}

std::optional<SearchFileAnalysis> AnalysisInAdvance::take(
    const QByteArray &text, TextEncoding encoding)
{
    if (!m_result || encoding != m_encoding || text.constData() != m_text.constData()
        || text.size() != m_text.size())
        return std::nullopt;
    m_runner.waitForDone();
    std::optional<SearchFileAnalysis> taken;
    {
        const std::lock_guard lock(m_result->mutex);
        taken = std::move(m_result->analysis);
    }
    cancel();
    return taken;
}
