#include "songs/song_filters.h"

#include "songs/gbk_folding.h"
#include "songs/pinyin_readings.h"
#include "ui/core/gbk_text.h"
#include "ui/core/memory_advice.h"
#include "ui/core/number_text.h"

#include <QFileInfo>

#include <algorithm>
#include <numeric>
#include <tuple>

SongFilters::SongFilters(SongTableModel *songs, QObject *parent)
    : QObject(parent)
    , m_songs(songs)
{
    connect(m_songs, &SongTableModel::tableReplaced, this, &SongFilters::onTableReplaced);
}

void SongFilters::onTableReplaced()
{
    // Results for the table before are no rows of this one.
    m_finderJob.cancel();
    m_searchJob.cancel();
    m_facetsJob.cancel();
    m_duplicatesJob.cancel();
    m_singerIndexJob.cancel();
    m_finder.reset();
    m_query.clear();
    m_matchedQuery = {};
    m_matched.reset();
    m_waitingQuery.reset();
    m_language = m_category = SongFacets::all;
    m_facets.reset();
    m_facetFilter = {};
    m_duplicatesOnly = false;
    m_duplicates.reset();
    m_duplicateRows.clear();
    m_singer.clear();
    m_singerRows.reset();
    m_singerAbsent = false;
    m_singerIndex.reset();
    emit choicesChanged();
    markVenueRows();
    if (const std::shared_ptr<const SongTable> table = m_songs->table()) {
        m_facetsJob.start(
            [table](QPromise<std::shared_ptr<const SongFacets>> &promise,
                const std::atomic<bool> &stop) {
                if (std::optional<SongFacets> facets
                    = SongFacets::of(*table, [&stop] { return stop.load(); }))
                    promise.addResult(std::make_shared<const SongFacets>(std::move(*facets)));
            },
            [this](std::shared_ptr<const SongFacets> facets) { onFacetsMade(std::move(facets)); });
        m_singerIndexJob.start(
            [table](QPromise<std::shared_ptr<const SingerIndex>> &promise,
                const std::atomic<bool> &stop) {
                if (std::optional<SingerIndex> index = SingerIndex::of(*table, stop))
                    promise.addResult(std::make_shared<const SingerIndex>(std::move(*index)));
            },
            [this](std::shared_ptr<const SingerIndex> index) {
                m_singerIndex = std::move(index);
                releaseMemoryIfSettled();
                emit singersIndexed();
                if (!m_singer.isEmpty()) {
                    applySinger();
                    emit changed();
                }
            });
    }
    emit changed();
}

void SongFilters::prepareFinding(SongFindForms findForms)
{
    std::shared_ptr<const SongTable> table = m_songs->table();
    if (!table)
        return;
    m_finderJob.start(
        [table = std::move(table), findForms = std::move(findForms)](
            QPromise<std::shared_ptr<const SongFinder>> &promise,
            const std::atomic<bool> &) mutable {
            // Built here rather than at the first keystroke.
            GbkFolding::prepare();
            PinyinReadings::prepare();
            if (table->encoding() == TextEncoding::Utf8) {
                // The finder reads GBK: a UTF-8 table is re-encoded and its forms made from that.
                table = SongFinder::inGbk(*table);
                findForms.clear();
            }
            promise.addResult(
                std::make_shared<const SongFinder>(std::move(table), std::move(findForms)));
        },
        [this](std::shared_ptr<const SongFinder> finder) {
            m_finder = std::move(finder);
            releaseMemoryIfSettled();
            if (m_waitingQuery)
                startSearch(*std::exchange(m_waitingQuery, std::nullopt));
        });
}

void SongFilters::setQuery(const QString &text)
{
    if (!m_songs->hasSongs() || text == m_query)
        return;
    m_query = text;
    FindQuery query = FindQuery::parse(text);
    m_waitingQuery.reset();
    if (query.isEmpty()) {
        // Every song, at once; a search still running is for another text.
        m_searchJob.cancel();
        m_matchedQuery = {};
        m_matched.reset();
    } else if (!m_finder) {
        m_waitingQuery = std::move(query);
    } else {
        startSearch(std::move(query));
    }
    emit changed();
}

void SongFilters::startSearch(FindQuery query)
{
    RowList candidates = query.narrows(m_matchedQuery) ? m_matched : nullptr;
    m_searchJob.start(
        [finder = m_finder, query, candidates](
            QPromise<RowList> &promise, const std::atomic<bool> &stop) {
            if (std::optional<std::vector<std::uint32_t>> rows
                = finder->find(query, candidates.get(), stop))
                promise.addResult(
                    std::make_shared<const std::vector<std::uint32_t>>(std::move(*rows)));
        },
        [this, query](RowList rows) {
            m_matchedQuery = query;
            m_matched = std::move(rows);
            emit changed();
        });
}

void SongFilters::releaseMemoryIfSettled()
{
    // The work that follows each analysis leaves its passing buffers in the threads' heaps
    // (1M songs: 4.3 MiB off the peak). Given back beside the window: it takes about 6 ms.
    if (!m_facetsJob.isRunning() && !m_singerIndexJob.isRunning() && !m_finderJob.isRunning()) {
        m_releaseJob.start(
            [](QPromise<bool> &promise, const std::atomic<bool> &) {
                releaseFreedMemory();
                promise.addResult(true);
            },
            [](bool) {});
    }
}

void SongFilters::onFacetsMade(std::shared_ptr<const SongFacets> facets)
{
    m_facets = std::move(facets);
    releaseMemoryIfSettled();
    applyFacetChoice();
    emit choicesChanged();
}

void SongFilters::setLanguage(int choice)
{
    setFacetChoice(m_language, choice);
}

void SongFilters::setCategory(int choice)
{
    setFacetChoice(m_category, choice);
}

void SongFilters::setFacetChoice(int &field, int choice)
{
    if (choice == field)
        return;
    field = choice;
    applyFacetChoice();
    emit changed();
}

void SongFilters::applyFacetChoice()
{
    // The filter reads the facets' rows, which m_facets keeps alive.
    m_facetFilter = m_facets ? m_facets->filter(m_language, m_category) : SongFacets::Filter();
}

void SongFilters::readVenueFiles(const QStringList &paths, bool remembered)
{
    m_venueFilesJob.start(
        [paths](QPromise<std::vector<CodeList>> &promise, const std::atomic<bool> &) {
            std::vector<CodeList> lists;
            for (const QString &path : paths)
                lists.push_back(readCodeList(path));
            promise.addResult(std::move(lists));
        },
        [this, paths, remembered](
            const std::vector<CodeList> &lists) { onVenueFilesRead(paths, remembered, lists); });
}

void SongFilters::forgetVenueFiles()
{
    m_venueFilesJob.cancel();
    onVenueFilesRead({}, false, {});
}

void SongFilters::onVenueFilesRead(
    const QStringList &paths, bool remembered, const std::vector<CodeList> &lists)
{
    VenueFilesRead read { paths, {}, {}, 0, remembered };
    for (std::size_t index = 0; index < lists.size(); ++index) {
        const CodeList &list = lists[index];
        const QString name = QFileInfo(paths[qsizetype(index)]).fileName();
        if (!list.ok()) {
            read.problems << tr("无法读取“%1”：%2").arg(name, list.error);
            continue;
        }
        read.kept << paths[qsizetype(index)];
        if (list.skippedLineCount > 0)
            read.problems << tr("“%1”跳过 %2 行不是编码（%3）")
                                 .arg(name)
                                 .arg(NumberText::grouped(list.skippedLineCount))
                                 .arg(skippedLinesText(list));
    }
    if (read.keptEarlierFiles()) {
        emit venueFilesRead(read);
        return;
    }
    m_venueFiles = read.kept;
    m_venueCodes = read.kept.isEmpty() ? nullptr : std::make_shared<const CodeSet>(lists);
    read.codeCount = m_venueCodes ? m_venueCodes->size() : 0;
    if (!m_venueCodes)
        m_newSongsOnly = false;
    markVenueRows();
    emit changed();
    emit venueFilesRead(read);
}

void SongFilters::markVenueRows()
{
    m_venueRowsJob.cancel();
    m_venueRows.reset();
    m_songs->setVenueRows(nullptr);
    const std::shared_ptr<const SongTable> table = m_songs->table();
    if (!m_venueCodes || !table)
        return;
    m_venueRowsJob.start(
        [table, codes = m_venueCodes](QPromise<std::shared_ptr<const std::vector<bool>>> &promise,
            const std::atomic<bool> &) {
            promise.addResult(
                std::make_shared<const std::vector<bool>>(rowsWithCodesMask(*table, *codes)));
        },
        [this](std::shared_ptr<const std::vector<bool>> rows) {
            m_venueRows = std::move(rows);
            m_songs->setVenueRows(m_venueRows);
            emit changed();
        });
}

void SongFilters::setNewSongsOnly(bool on)
{
    if (on == m_newSongsOnly || (on && !m_venueCodes))
        return;
    m_newSongsOnly = on;
    emit changed();
}

void SongFilters::setDuplicatesOnly(bool on)
{
    if (on == m_duplicatesOnly)
        return;
    m_duplicatesOnly = on;
    // Found once a table, the first time they are asked for.
    if (on && !m_duplicates && !m_duplicatesJob.isRunning())
        findDuplicates();
    emit changed();
}

void SongFilters::findDuplicates()
{
    const std::shared_ptr<const SongTable> table = m_songs->table();
    if (!table)
        return;
    m_duplicatesJob.start(
        [table](QPromise<std::shared_ptr<const DuplicateSongs>> &promise,
            const std::atomic<bool> &stop) {
            if (std::optional<DuplicateSongs> duplicates
                = findDuplicateSongs(*table, [&stop] { return stop.load(); }))
                promise.addResult(std::make_shared<const DuplicateSongs>(std::move(*duplicates)));
        },
        [this, rowCount = table->rowCount()](std::shared_ptr<const DuplicateSongs> duplicates) {
            m_duplicates = std::move(duplicates);
            m_duplicateRows.assign(std::size_t(rowCount), false);
            for (const std::uint32_t row : m_duplicates->rows)
                m_duplicateRows[row] = true;
            emit changed();
        });
}

std::optional<qsizetype> SongFilters::duplicateGroupCount() const
{
    return m_duplicates ? std::optional(m_duplicates->groupCount()) : std::nullopt;
}

void SongFilters::setOnlyTicked(bool on)
{
    if (on == m_onlyTicked)
        return;
    m_onlyTicked = on;
    emit changed();
}

void SongFilters::setSinger(const QByteArray &foldedKey)
{
    if (foldedKey == m_singer)
        return;
    m_singer = foldedKey;
    applySinger();
    emit changed();
}

void SongFilters::applySinger()
{
    m_singerRows.reset();
    m_singerAbsent = false;
    if (m_singer.isEmpty() || !m_singerIndex)
        return;
    if (const std::optional<std::uint32_t> singer = m_singerIndex->singerOfKey(m_singer))
        m_singerRows = m_singerIndex->filter(*singer);
    else
        m_singerAbsent = true;
}

SingerIndex::RowFilter SongFilters::rowsBesideQueryAndSinger() const
{
    // Everything the check reads is copied or shared: the values may change meanwhile.
    std::shared_ptr<const std::vector<bool>> venueRows
        = m_newSongsOnly ? m_venueRows : std::shared_ptr<const std::vector<bool>>();
    std::shared_ptr<const DuplicateSongs> duplicates
        = m_duplicatesOnly ? m_duplicates : std::shared_ptr<const DuplicateSongs>();
    std::shared_ptr<const std::vector<bool>> duplicateRows
        = duplicates ? std::make_shared<const std::vector<bool>>(m_duplicateRows) : nullptr;
    std::shared_ptr<const TickMarks> ticks
        = m_onlyTicked ? std::make_shared<const TickMarks>(m_songs->ticks()) : nullptr;
    if (m_facetFilter.keepsAll() && !venueRows && !duplicateRows && !ticks)
        return {};
    return [facets = m_facets, facetFilter = m_facetFilter, venueRows, duplicateRows, ticks](
               std::uint32_t row) {
        return facetFilter.accepts(row) && !(venueRows && (*venueRows)[row])
            && !(duplicateRows && !(*duplicateRows)[row]) && !(ticks && !ticks->test(row));
    };
}

bool SongFilters::isActive(Kind kind) const
{
    switch (kind) {
    case Kind::Query:
        return !FindQuery::parse(m_query).isEmpty();
    case Kind::Language:
        return m_language != SongFacets::all;
    case Kind::Category:
        return m_category != SongFacets::all;
    case Kind::NewSongsOnly:
        return m_newSongsOnly;
    case Kind::DuplicatesOnly:
        return m_duplicatesOnly;
    case Kind::OnlyTicked:
        return m_onlyTicked;
    case Kind::Singer:
        return !m_singer.isEmpty();
    }
    return false;
}

QString SongFilters::displayValue(Kind kind) const
{
    if (!isActive(kind))
        return {};
    const auto spelling = [this](const std::vector<SongFacets::Value> &values, int choice) {
        if (choice < 0 || choice >= int(values.size()))
            return QString();
        const QString text = decodeText(values[std::size_t(choice)].spelling,
            m_songs->table() ? m_songs->table()->encoding() : TextEncoding::Gbk);
        return text.isEmpty() ? tr("（空）") : text;
    };
    switch (kind) {
    case Kind::Query:
        return m_query;
    case Kind::Language:
        return m_facets ? spelling(m_facets->languages(), m_language) : QString();
    case Kind::Category:
        return m_facets ? spelling(m_facets->categories(), m_category) : QString();
    case Kind::NewSongsOnly:
        return tr("只看新歌");
    case Kind::DuplicatesOnly:
        return tr("只看重复");
    case Kind::OnlyTicked:
        return tr("只看已选");
    case Kind::Singer:
        if (m_singerIndex) {
            if (const std::optional<std::uint32_t> singer = m_singerIndex->singerOfKey(m_singer))
                return m_singerIndex->singers()[*singer].name;
        }
        // Until the index is in, or a singer the table lacks: the key, folded GBK.
        return Gbk::decode(m_singer);
    }
    return {};
}

void SongFilters::clear(Kind kind)
{
    switch (kind) {
    case Kind::Query:
        setQuery(QString());
        break;
    case Kind::Language:
        setLanguage(SongFacets::all);
        break;
    case Kind::Category:
        setCategory(SongFacets::all);
        break;
    case Kind::NewSongsOnly:
        setNewSongsOnly(false);
        break;
    case Kind::DuplicatesOnly:
        setDuplicatesOnly(false);
        break;
    case Kind::OnlyTicked:
        setOnlyTicked(false);
        break;
    case Kind::Singer:
        setSinger({});
        break;
    }
}

int SongFilters::activeFilterCount() const
{
    int count = 0;
    for (const Kind kind :
        { Kind::Language, Kind::Category, Kind::NewSongsOnly, Kind::DuplicatesOnly, Kind::Singer })
        count += isActive(kind) ? 1 : 0;
    return count;
}

void SongFilters::clearFilters()
{
    if (activeFilterCount() == 0)
        return;
    m_language = m_category = SongFacets::all;
    applyFacetChoice();
    m_newSongsOnly = false;
    m_duplicatesOnly = false;
    m_singer.clear();
    applySinger();
    emit changed();
}

bool SongFilters::isBusy() const
{
    return m_finderJob.isRunning() || hasPendingRows();
}

bool SongFilters::hasPendingRows() const
{
    return m_searchJob.isRunning() || m_waitingQuery.has_value()
        || (m_newSongsOnly && m_venueRowsJob.isRunning())
        || (m_duplicatesOnly && m_duplicatesJob.isRunning())
        || (!m_singer.isEmpty() && m_singerIndexJob.isRunning());
}

bool SongFilters::passes(std::uint32_t row, const SongFacets::Filter &facetFilter) const
{
    return !(m_newSongsOnly && venueHas(row)) && passesBesideNewSongsOnly(row, facetFilter);
}

bool SongFilters::passesBesideNewSongsOnly(
    std::uint32_t row, const SongFacets::Filter &facetFilter) const
{
    return facetFilter.accepts(row) && !(m_duplicatesOnly && m_duplicates && !m_duplicateRows[row])
        && !m_singerAbsent && !(m_singerRows && !m_singerRows->accepts(row))
        && !(m_onlyTicked && !m_songs->isTicked(row));
}

bool SongFilters::filtersRows() const
{
    return !m_facetFilter.keepsAll() || (m_newSongsOnly && m_venueRows)
        || (m_duplicatesOnly && m_duplicates) || m_singerRows || m_singerAbsent || m_onlyTicked;
}

std::optional<std::vector<std::uint32_t>> SongFilters::passingRows() const
{
    const bool filtering = filtersRows();
    if (!m_matched && !filtering)
        return std::nullopt;
    std::vector<std::uint32_t> rows;
    if (m_duplicatesOnly && m_duplicates) {
        rows = m_duplicates->rows;
        if (m_matched) {
            // The query's rows are in file order.
            std::erase_if(rows, [this](std::uint32_t row) {
                return !std::binary_search(m_matched->begin(), m_matched->end(), row);
            });
        }
    } else if (m_matched) {
        rows = *m_matched;
    } else {
        rows.resize(std::size_t(m_songs->rowCount()));
        std::iota(rows.begin(), rows.end(), 0u);
    }
    if (filtering)
        std::erase_if(rows, [this](std::uint32_t row) { return !passes(row, m_facetFilter); });
    return rows;
}

template <typename Visit> void SongFilters::forEachQueriedRow(Visit visit) const
{
    if (m_matched) {
        std::for_each(m_matched->begin(), m_matched->end(), visit);
    } else {
        for (std::uint32_t row = 0; row < std::uint32_t(m_songs->rowCount()); ++row)
            visit(row);
    }
}

std::vector<qsizetype> SongFilters::countsBy(Kind kind) const
{
    if (!m_facets)
        return {};
    const bool byLanguage = kind == Kind::Language;
    // Every filter but this one's choice.
    const SongFacets::Filter others = byLanguage ? m_facets->filter(SongFacets::all, m_category)
                                                 : m_facets->filter(m_language, SongFacets::all);
    std::vector<qsizetype> counts(
        byLanguage ? m_facets->languages().size() : m_facets->categories().size());
    const auto count = [&](std::uint32_t row) {
        if (passes(row, others))
            ++counts[std::size_t(
                byLanguage ? m_facets->languageOf(row) : m_facets->categoryOf(row))];
    };
    forEachQueriedRow(count);
    return counts;
}

std::vector<qsizetype> SongFilters::languageCounts() const
{
    return countsBy(Kind::Language);
}

std::vector<qsizetype> SongFilters::categoryCounts() const
{
    return countsBy(Kind::Category);
}

qsizetype SongFilters::hiddenVenueSongCount() const
{
    if (!m_newSongsOnly || !m_venueRows)
        return 0;
    qsizetype hidden = 0;
    const auto count = [&](std::uint32_t row) {
        hidden += venueHas(row) && passesBesideNewSongsOnly(row, m_facetFilter);
    };
    forEachQueriedRow(count);
    return hidden;
}

QString SongFilters::tickedLanguageSplit() const
{
    if (!m_facets || !m_songs->table())
        return {};
    return ::tickedLanguageSplit(*m_facets, m_songs->ticks(), m_songs->table()->encoding());
}
