#include "songs/singer_suggestions.h"

SingerSuggestions::SingerSuggestions(QObject *parent)
    : QAbstractListModel(parent)
{
}

void SingerSuggestions::setSingers(std::shared_ptr<const SingerIndex> index)
{
    m_indexJob.cancel();
    m_suggestJob.cancel();
    m_index = std::move(index);
    show({});
    if (m_index)
        suggest();
}

void SingerSuggestions::setTable(std::shared_ptr<const SongTable> table)
{
    setSingers(nullptr);
    m_counted = {};
    if (!table)
        return;
    m_indexJob.start(
        [table = std::move(table)](
            QPromise<std::shared_ptr<const SingerIndex>> &promise, const std::atomic<bool> &stop) {
            if (std::optional<SingerIndex> index = SingerIndex::of(*table, stop))
                promise.addResult(std::make_shared<const SingerIndex>(std::move(*index)));
        },
        [this](std::shared_ptr<const SingerIndex> index) {
            m_index = std::move(index);
            emit singersIndexed();
            suggest();
        });
}

void SingerSuggestions::setQuery(const QString &text)
{
    m_query = text;
    suggest();
}

void SingerSuggestions::setCountedRows(SingerIndex::RowFilter counted)
{
    m_counted = std::move(counted);
    suggest();
}

void SingerSuggestions::suggest()
{
    const FindQuery query = FindQuery::parse(m_query);
    if (!m_index || query.isEmpty()) {
        // Nothing to look for: the list empties at once, not after a search for an older text.
        m_suggestJob.cancel();
        show({});
        return;
    }
    m_suggestJob.start(
        [index = m_index, query, counted = m_counted](
            QPromise<std::vector<SingerIndex::Suggestion>> &promise,
            const std::atomic<bool> &stop) {
            if (auto suggestions = index->suggest(query, counted, stop))
                promise.addResult(std::move(*suggestions));
        },
        [this](std::vector<SingerIndex::Suggestion> suggestions) { show(std::move(suggestions)); });
}

void SingerSuggestions::show(std::vector<SingerIndex::Suggestion> suggestions)
{
    if (suggestions.empty() && m_suggestions.empty())
        return;
    beginResetModel();
    m_suggestions = std::move(suggestions);
    endResetModel();
}

int SingerSuggestions::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_suggestions.size());
}

QVariant SingerSuggestions::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SingerIndex::Suggestion &suggestion = m_suggestions[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return tr("%1　%2 首").arg(suggestion.name).arg(suggestion.songCount);
    case Qt::AccessibleTextRole:
        return tr("歌手 %1，%2 首").arg(suggestion.name).arg(suggestion.songCount);
    case SingerRole:
        return suggestion.name;
    case SongCountRole:
        return QVariant::fromValue(suggestion.songCount);
    default:
        return {};
    }
}
