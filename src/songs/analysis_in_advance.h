#pragma once

#include "songs/latest_job_runner.h"
#include "songs/search_file_analysis.h"

#include <QByteArray>

#include <memory>
#include <mutex>
#include <optional>

// Analyses a loaded text on a thread of its own as soon as it is loaded, so that the user's
// Analyse only takes the finished result. Nothing of it is shown until it is taken.
class AnalysisInAdvance
{
public:
    // Drops any earlier analysis, finished or not, and starts on `text`.
    void start(const QByteArray &text, TextEncoding encoding);
    // Drops any analysis, as when another file is being loaded.
    void cancel();
    // The analysis of exactly this text (the same bytes, not a copy), waiting for its end; nothing
    // when none was started for it or it was taken already.
    std::optional<SearchFileAnalysis> take(const QByteArray &text, TextEncoding encoding);

private:
    struct Result
    {
        std::mutex mutex;
        std::optional<SearchFileAnalysis> analysis;
    };

    QByteArray m_text;
    TextEncoding m_encoding = TextEncoding::Gbk;
    std::shared_ptr<Result> m_result;
    LatestJobRunner m_runner;
};
