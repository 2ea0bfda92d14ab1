#pragma once

#include "songs/singer_index.h"
#include "ui/core/latest_job.h"

#include <QAbstractListModel>

#include <memory>
#include <optional>
#include <vector>

// The singers the find text could name, for a list under the find field: each with its songs
// among those the other filters keep, best first. It indexes the singers of each new table and
// looks for every new text in the background, the newest request superseding the one before; a
// new list of singers is a model reset.
class SingerSuggestions : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { SingerRole = Qt::UserRole, SongCountRole };

    explicit SingerSuggestions(QObject *parent = nullptr);

    // Indexes the singers of `table` (none: no suggestions).
    void setTable(std::shared_ptr<const SongTable> table);
    // Singers indexed elsewhere, for the table now shown (none: no suggestions).
    void setSingers(std::shared_ptr<const SingerIndex> index);
    // The singers of the current table, once indexed.
    const std::shared_ptr<const SingerIndex> &singers() const { return m_index; }
    void setQuery(const QString &text);
    // The rows whose songs the counts count (empty: every row), as the other filters decide.
    void setCountedRows(SingerIndex::RowFilter counted);
    bool isBusy() const { return m_indexJob.isRunning() || m_suggestJob.isRunning(); }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

signals:
    // The singers were indexed for a new table.
    void singersIndexed();

private:
    void suggest();
    void show(std::vector<SingerIndex::Suggestion> suggestions);

    std::shared_ptr<const SingerIndex> m_index;
    LatestJob<std::shared_ptr<const SingerIndex>> m_indexJob { this };
    QString m_query;
    SingerIndex::RowFilter m_counted;
    std::vector<SingerIndex::Suggestion> m_suggestions;
    LatestJob<std::vector<SingerIndex::Suggestion>> m_suggestJob { this };
};
