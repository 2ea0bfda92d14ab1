#include "songs/song_facets.h"

#include "songs/gbk_folding.h"
#include "ui/core/gbk_text.h"
#include "ui/core/number_text.h"

#include <QCoreApplication>

#include <QHash>

#include <algorithm>
#include <map>
#include <unordered_map>

namespace {

constexpr qsizetype rowsBetweenCancelChecks = 65536;

struct ViewHash
{
    std::size_t operator()(QByteArrayView view) const { return qHash(view); }
};

// The distinct raw values of one column, each with its row count.
struct RawValues
{
    std::unordered_map<QByteArrayView, std::uint32_t, ViewHash> ids;
    std::vector<QByteArrayView> values;
    std::vector<qsizetype> counts;

    std::uint32_t idOf(QByteArrayView value)
    {
        const auto [at, added] = ids.try_emplace(value, std::uint32_t(values.size()));
        if (added) {
            values.push_back(value);
            counts.push_back(0);
        }
        ++counts[at->second];
        return at->second;
    }
};

// Folds the raw values into values, most rows first, and gives each raw value's index.
std::vector<std::uint32_t> foldValues(
    const RawValues &raw, TextEncoding encoding, std::vector<SongFacets::Value> &values)
{
    struct Folded
    {
        qsizetype count = 0;
        std::uint32_t mostUsedRaw = 0;
        std::vector<std::uint32_t> raws;
    };
    std::map<QByteArray, Folded> byKey;
    for (std::uint32_t id = 0; id < raw.values.size(); ++id) {
        Folded &folded = byKey[SongFacets::foldedValue(raw.values[id], encoding)];
        if (folded.raws.empty() || raw.counts[id] > raw.counts[folded.mostUsedRaw])
            folded.mostUsedRaw = id;
        folded.count += raw.counts[id];
        folded.raws.push_back(id);
    }
    std::vector<const Folded *> order;
    for (const auto &[key, folded] : byKey)
        order.push_back(&folded);
    std::stable_sort(order.begin(), order.end(),
        [](const Folded *a, const Folded *b) { return a->count > b->count; });
    std::vector<std::uint32_t> indexOfRaw(raw.values.size());
    values.clear();
    for (const Folded *folded : order) {
        for (const std::uint32_t id : folded->raws)
            indexOfRaw[id] = std::uint32_t(values.size());
        values.push_back({ raw.values[folded->mostUsedRaw].toByteArray(), folded->count });
    }
    return indexOfRaw;
}

} // namespace

QByteArray SongFacets::foldedValue(QByteArrayView value, TextEncoding encoding)
{
    QByteArray gbk = value.toByteArray();
    if (encoding == TextEncoding::Utf8) {
        const QString text = decodeText(value, encoding);
        gbk = Gbk::encode(text);
        if (Gbk::decode(gbk) != text)
            return "\xFF" + value.toByteArray();
    }
    QByteArray folded(gbk.size(), Qt::Uninitialized);
    GbkFolding::foldLine(gbk, folded.data());
    return folded;
}

std::optional<SongFacets> SongFacets::of(
    const SongTable &table, const std::function<bool()> &cancelled)
{
    SongFacets facets;
    RawValues languages;
    RawValues categories;
    std::unordered_map<std::uint64_t, std::uint32_t> pairIds;
    std::vector<std::uint64_t> pairs;
    std::vector<std::uint32_t> rowPairs(static_cast<std::size_t>(table.rowCount()));
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        if (row % rowsBetweenCancelChecks == 0 && cancelled && cancelled())
            return std::nullopt;
        const std::uint64_t pair
            = std::uint64_t(languages.idOf(table.field(row, SongColumn::Language))) << 32
            | categories.idOf(table.field(row, SongColumn::Category));
        const auto [at, added] = pairIds.try_emplace(pair, std::uint32_t(pairs.size()));
        if (added)
            pairs.push_back(pair);
        rowPairs[std::size_t(row)] = at->second;
    }
    const std::vector<std::uint32_t> languageOfRaw
        = foldValues(languages, table.encoding(), facets.m_languages);
    const std::vector<std::uint32_t> categoryOfRaw
        = foldValues(categories, table.encoding(), facets.m_categories);
    for (const std::uint64_t pair : pairs) {
        facets.m_pairLanguage.push_back(languageOfRaw[pair >> 32]);
        facets.m_pairCategory.push_back(categoryOfRaw[pair & 0xFFFFFFFFu]);
    }
    facets.m_rowPairs = PackedNumbers(rowPairs, std::uint32_t(pairs.size()));
    return facets;
}

SongFacets::Filter SongFacets::filter(int language, int category) const
{
    const auto chosen = [](int choice, const std::vector<Value> &values) {
        return choice >= 0 && choice < int(values.size());
    };
    const bool byLanguage = chosen(language, m_languages);
    const bool byCategory = chosen(category, m_categories);
    Filter filter;
    if (!byLanguage && !byCategory)
        return filter;
    filter.m_keepsAll = false;
    filter.m_keptPairs.resize(m_pairLanguage.size());
    for (std::size_t pair = 0; pair < m_pairLanguage.size(); ++pair) {
        filter.m_keptPairs[pair] = (!byLanguage || m_pairLanguage[pair] == std::uint32_t(language))
            && (!byCategory || m_pairCategory[pair] == std::uint32_t(category));
    }
    filter.m_rowPairs = m_rowPairs.view();
    return filter;
}

std::vector<qsizetype> SongFacets::languageCounts(const TickMarks &ticks) const
{
    std::vector<qsizetype> pairCounts(m_pairLanguage.size());
    ticks.forEachTicked([&](qsizetype row) {
        if (std::size_t(row) < m_rowPairs.size())
            ++pairCounts[m_rowPairs[std::size_t(row)]];
    });
    std::vector<qsizetype> counts(m_languages.size());
    for (std::size_t pair = 0; pair < pairCounts.size(); ++pair)
        counts[m_pairLanguage[pair]] += pairCounts[pair];
    return counts;
}

QString tickedLanguageSplit(const SongFacets &facets, const TickMarks &ticks, TextEncoding encoding)
{
    const std::vector<qsizetype> counts = facets.languageCounts(ticks);
    QStringList parts;
    for (std::size_t language = 0; language < counts.size(); ++language) {
        if (counts[language] == 0)
            continue;
        const QString spelling = decodeText(facets.languages()[language].spelling, encoding);
        parts << (spelling.isEmpty() ? QCoreApplication::translate("SongFacets", "（空）")
                                     : spelling)
                + u' ' + NumberText::grouped(counts[language]);
    }
    return parts.join(u'\u3000');
}
