#include "songs/singer_index.h"

#include "songs/gbk_folding.h"
#include "ui/core/gbk_text.h"
#include "ui/core/memory_advice.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr std::uint32_t rowsBetweenStopChecks = 65536;
constexpr std::uint32_t singersBetweenStopChecks = 4096;

struct ViewHash
{
    std::size_t operator()(QByteArrayView view) const { return qHash(view); }
};

bool isBlank(QByteArrayView character)
{
    return character == " " || character == "\t" || character == "\xA1\xA1";
}

bool isSeparator(QByteArrayView character)
{
    static const QByteArrayView separators[]
        = { "&", "/", ",", "+", "\xA3\xA6", "\xA3\xAF", "\xA1\xA2", "\xA3\xAC", "\xA3\xAB" };
    return std::find(std::begin(separators), std::end(separators), character)
        != std::end(separators);
}

// The length of "feat." or "ft." (any case) at `at`, or 0.
qsizetype featuringWordAt(QByteArrayView field, qsizetype at)
{
    for (const QByteArrayView word : { QByteArrayView("feat."), QByteArrayView("ft.") }) {
        if (field.size() - at >= word.size()
            && field.sliced(at, word.size()).compare(word, Qt::CaseInsensitive) == 0)
            return word.size();
    }
    return 0;
}

// The text without the blanks around it.
QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype first = -1;
    qsizetype end = 0;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = Gbk::characterLength(text, at);
        if (!isBlank(text.sliced(at, length))) {
            if (first < 0)
                first = at;
            end = at + length;
        }
        at += length;
    }
    return first < 0 ? QByteArrayView() : text.sliced(first, end - first);
}

QByteArray keyOf(QByteArrayView gbkName)
{
    QByteArray key(gbkName.size(), Qt::Uninitialized);
    GbkFolding::foldLine(gbkName, key.data());
    return key;
}

// Marks text GBK cannot hold, kept as UTF-8: it equals no GBK name and reads as no pinyin.
constexpr char notGbk = '\xFF';

QString nameOf(const QByteArray &spelling)
{
    return spelling.startsWith(notGbk) ? QString::fromUtf8(spelling.sliced(1))
                                       : Gbk::decode(spelling);
}

// The singers of one field in the table's encoding: GBK names, or the whole field marked when
// GBK cannot hold it.
std::vector<QByteArray> namesOfField(QByteArrayView field, TextEncoding encoding)
{
    QByteArray gbk = field.toByteArray();
    std::vector<QByteArray> names;
    if (encoding == TextEncoding::Utf8) {
        const QString text = decodeText(field, TextEncoding::Utf8);
        gbk = Gbk::encode(text);
        if (Gbk::decode(gbk) != text) {
            const QString name = text.trimmed();
            if (!name.isEmpty())
                names.push_back(notGbk + name.toUtf8());
            return names;
        }
    }
    for (const QByteArrayView name : singerNames(gbk))
        names.push_back(name.toByteArray());
    return names;
}

} // namespace

QStringList singersOfField(QByteArrayView field, TextEncoding encoding)
{
    QStringList names;
    std::vector<QByteArray> keys;
    for (const QByteArray &name : namesOfField(field, encoding)) {
        const QByteArray key = name.startsWith(notGbk) ? name : keyOf(name);
        if (std::find(keys.begin(), keys.end(), key) != keys.end())
            continue;
        keys.push_back(key);
        names.append(nameOf(name));
    }
    return names;
}

std::vector<QByteArrayView> singerNames(QByteArrayView gbkField)
{
    std::vector<QByteArrayView> names;
    qsizetype start = 0;
    const auto endName = [&](qsizetype end) {
        const QByteArrayView name = trimmed(gbkField.sliced(start, end - start));
        if (!name.isEmpty())
            names.push_back(name);
    };
    bool afterBlank = false;
    for (qsizetype at = 0; at < gbkField.size();) {
        const qsizetype length = Gbk::characterLength(gbkField, at);
        const QByteArrayView character = gbkField.sliced(at, length);
        qsizetype separator = isSeparator(character) ? length : 0;
        if (afterBlank && separator == 0)
            separator = featuringWordAt(gbkField, at);
        afterBlank = isBlank(character);
        if (separator == 0) {
            at += length;
            continue;
        }
        endName(at);
        at += separator;
        start = at;
    }
    endName(gbkField.size());
    return names;
}

std::optional<SingerIndex> SingerIndex::of(const SongTable &table, const std::atomic<bool> &stop)
{
    SingerIndex index;
    const auto rowCount = static_cast<std::uint32_t>(table.rowCount());
    std::unordered_map<QByteArrayView, std::uint32_t, ViewHash> fieldIds;
    std::vector<QByteArrayView> fields;
    std::vector<std::uint32_t> rowField(rowCount);
    for (std::uint32_t row = 0; row < rowCount; ++row) {
        if (row % rowsBetweenStopChecks == 0 && stop.load(std::memory_order_relaxed))
            return std::nullopt;
        const QByteArrayView field = table.field(row, SongColumn::Singer);
        const auto [at, added] = fieldIds.try_emplace(field, std::uint32_t(fields.size()));
        if (added) {
            fields.push_back(field);
            index.m_fieldRowCounts.push_back(0);
        }
        ++index.m_fieldRowCounts[at->second];
        rowField[row] = at->second;
    }
    index.m_rowField = PackedNumbers(rowField, std::uint32_t(fields.size()));
    releaseBuffer(rowField);

    // How often each singer is spelled each way, by its songs. Most singers have one spelling,
    // kept beside them: a hash for each singer took 1.7 KB (1M songs: 13 MiB at the peak).
    struct Spellings
    {
        QByteArray first;
        qsizetype firstCount = 0;
        QHash<QByteArray, qsizetype> others;
    };
    std::vector<Spellings> spellings;
    std::vector<std::uint32_t> fieldSingers;
    for (std::uint32_t field = 0; field < fields.size(); ++field) {
        if (field % singersBetweenStopChecks == 0 && stop.load(std::memory_order_relaxed))
            return std::nullopt;
        index.m_fieldSingerStarts.push_back(std::uint32_t(index.m_fieldSingers.size()));
        fieldSingers.clear();
        for (const QByteArray &name : namesOfField(fields[field], table.encoding())) {
            const QByteArray key = name.startsWith(notGbk) ? name : keyOf(name);
            auto at = index.m_singerOfKey.constFind(key);
            const bool added = at == index.m_singerOfKey.cend();
            if (added)
                at = index.m_singerOfKey.insert(key, std::uint32_t(index.m_singers.size()));
            const std::uint32_t singer = *at;
            if (added) {
                index.m_singers.push_back({ key, {}, 0 });
                spellings.push_back({ name, 0, {} });
            }
            // A field naming a singer twice counts once.
            if (std::find(fieldSingers.begin(), fieldSingers.end(), singer) != fieldSingers.end())
                continue;
            fieldSingers.push_back(singer);
            index.m_fieldSingers.push_back(singer);
            index.m_singers[singer].songCount += index.m_fieldRowCounts[field];
            Spellings &spelled = spellings[singer];
            if (name == spelled.first)
                spelled.firstCount += index.m_fieldRowCounts[field];
            else
                spelled.others[name] += index.m_fieldRowCounts[field];
        }
    }
    index.m_fieldSingerStarts.push_back(std::uint32_t(index.m_fieldSingers.size()));

    for (std::size_t singer = 0; singer < index.m_singers.size(); ++singer) {
        const Spellings &spelled = spellings[singer];
        const QByteArray *best = &spelled.first;
        qsizetype bestCount = spelled.firstCount;
        for (auto at = spelled.others.cbegin(); at != spelled.others.cend(); ++at) {
            // Ties go to the smaller bytes, so the name does not depend on the hash's order.
            if (at.value() > bestCount || (at.value() == bestCount && at.key() < *best)) {
                best = &at.key();
                bestCount = at.value();
            }
        }
        index.m_singers[singer].name = nameOf(*best);
    }

    // Each singer's fields, from the fields' singers.
    std::vector<std::uint32_t> fieldCounts(index.m_singers.size() + 1, 0);
    for (const std::uint32_t singer : index.m_fieldSingers)
        ++fieldCounts[singer + 1];
    for (std::size_t singer = 1; singer < fieldCounts.size(); ++singer)
        fieldCounts[singer] += fieldCounts[singer - 1];
    index.m_singerFieldStarts = fieldCounts;
    index.m_singerFields.resize(index.m_fieldSingers.size());
    for (std::uint32_t field = 0; field < fields.size(); ++field) {
        for (std::uint32_t at = index.m_fieldSingerStarts[field];
             at < index.m_fieldSingerStarts[field + 1]; ++at)
            index.m_singerFields[fieldCounts[index.m_fieldSingers[at]]++] = field;
    }
    return index;
}

QByteArray SingerIndex::keyOfName(QStringView name)
{
    const QByteArray gbk = Gbk::encode(name);
    return Gbk::decode(gbk) == name ? keyOf(trimmed(gbk)) : notGbk + name.trimmed().toUtf8();
}

std::optional<std::uint32_t> SingerIndex::singerNamed(QStringView name) const
{
    return singerOfKey(keyOfName(name));
}

std::optional<std::uint32_t> SingerIndex::singerOfKey(const QByteArray &key) const
{
    const auto found = m_singerOfKey.constFind(key);
    return found == m_singerOfKey.cend() ? std::nullopt : std::optional(*found);
}

std::vector<std::uint32_t> SingerIndex::singersOfRow(std::uint32_t row) const
{
    const std::uint32_t field = m_rowField[row];
    return { m_fieldSingers.begin() + m_fieldSingerStarts[field],
        m_fieldSingers.begin() + m_fieldSingerStarts[field + 1] };
}

SingerIndex::Filter SingerIndex::filter(std::uint32_t singer) const
{
    Filter filter;
    filter.m_keptFields.assign(m_fieldRowCounts.size(), 0);
    for (std::uint32_t at = m_singerFieldStarts[singer]; at < m_singerFieldStarts[singer + 1]; ++at)
        filter.m_keptFields[m_singerFields[at]] = 1;
    filter.m_rowField = m_rowField.view();
    return filter;
}

std::vector<std::uint32_t> SingerIndex::rowsOf(std::uint32_t singer) const
{
    const Filter kept = filter(singer);
    std::vector<std::uint32_t> rows;
    rows.reserve(std::size_t(m_singers[singer].songCount));
    for (std::uint32_t row = 0; row < m_rowField.size(); ++row) {
        if (kept.accepts(row))
            rows.push_back(row);
    }
    return rows;
}

std::optional<std::vector<SingerIndex::Suggestion>> SingerIndex::suggest(const FindQuery &query,
    const RowFilter &counted, const std::atomic<bool> &stop, std::size_t limit) const
{
    const FieldMatcher matcher(query);
    std::vector<Suggestion> found;
    for (std::uint32_t singer = 0; singer < m_singers.size(); ++singer) {
        if (singer % singersBetweenStopChecks == 0 && stop.load(std::memory_order_relaxed))
            return std::nullopt;
        const QByteArray &key = m_singers[singer].key;
        if (key.startsWith(notGbk))
            continue;
        if (const FieldMatch match = matcher.match(key); match != FieldMatch::None)
            found.push_back({ singer, m_singers[singer].name, m_singers[singer].songCount, match });
    }
    if (counted && !found.empty()) {
        // Only the rows of the singers found are asked about.
        std::vector<std::uint32_t> fieldCounts(m_fieldRowCounts.size(), 0);
        std::vector<std::uint8_t> wanted(m_fieldRowCounts.size(), 0);
        for (const Suggestion &suggestion : found) {
            for (std::uint32_t at = m_singerFieldStarts[suggestion.singer];
                 at < m_singerFieldStarts[suggestion.singer + 1]; ++at)
                wanted[m_singerFields[at]] = 1;
        }
        for (std::uint32_t row = 0; row < m_rowField.size(); ++row) {
            if (row % rowsBetweenStopChecks == 0 && stop.load(std::memory_order_relaxed))
                return std::nullopt;
            const std::uint32_t field = m_rowField[row];
            if (wanted[field] && counted(row))
                ++fieldCounts[field];
        }
        for (Suggestion &suggestion : found) {
            suggestion.songCount = 0;
            for (std::uint32_t at = m_singerFieldStarts[suggestion.singer];
                 at < m_singerFieldStarts[suggestion.singer + 1]; ++at)
                suggestion.songCount += fieldCounts[m_singerFields[at]];
        }
        std::erase_if(
            found, [](const Suggestion &suggestion) { return suggestion.songCount == 0; });
    }
    const auto better = [](const Suggestion &a, const Suggestion &b) {
        if (a.match != b.match)
            return a.match > b.match;
        if (a.songCount != b.songCount)
            return a.songCount > b.songCount;
        return a.name < b.name;
    };
    const std::size_t kept = std::min(limit, found.size());
    std::partial_sort(found.begin(), found.begin() + std::ptrdiff_t(kept), found.end(), better);
    found.resize(kept);
    return found;
}
