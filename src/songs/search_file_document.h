#pragma once

#include "songs/search_file_analysis.h"
#include "ui/core/latest_job.h"

#include <QObject>
#include <QString>

#include <memory>

class SongOrders;

// The search file the user loaded: its path, its bytes and their encoding, and its analysis. The
// analysis can start in the background before the user asks for it, so the user's Analyse
// usually only takes the finished result; nothing of it shows before that. The analysed table never
// changes afterwards and is shared, not copied, by whatever works on it.
class SearchFileDocument : public QObject
{
    Q_OBJECT

public:
    explicit SearchFileDocument(QObject *parent = nullptr);

    // Replaces what was loaded; an analysis still running for the text before is cancelled.
    void setText(const QString &path, QByteArray bytes, TextEncoding encoding);
    // Starts analysing the text before Analyse asks for it.
    void analyseInAdvance();
    // Cancels the analysis at once, as when another file is about to be loaded.
    void cancelAnalysis();

    const QString &path() const { return m_path; }
    const QByteArray &bytes() const { return m_bytes; }
    TextEncoding encoding() const { return m_encoding; }
    bool isEmpty() const { return m_bytes.isEmpty(); }

    // Asks for the analysis: analysed() follows, at once when the one begun in advance is done.
    // Asking again analyses afresh.
    void analyse();
    bool isAnalysing() const { return m_wanted; }
    // The table of the last analysis delivered; nothing before one.
    const std::shared_ptr<const SongTable> &table() const { return m_table; }
    // What sorting that table's columns needs, made in the background.
    const std::shared_ptr<const SongOrders> &songOrders() const { return m_orders; }

signals:
    // The songs are table(); `analysis` holds the rest (its table moved out): the whole line of
    // each song, the lines skipped, or the error that stopped it.
    void analysed(const std::shared_ptr<SearchFileAnalysis> &analysis);

private:
    void startAnalysis();
    void deliver(std::shared_ptr<SearchFileAnalysis> analysis);

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
