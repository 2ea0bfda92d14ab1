#pragma once

#include "songs/code_list.h"
#include "songs/duplicate_songs.h"
#include "songs/singer_index.h"
#include "songs/song_facets.h"
#include "songs/song_finder.h"
#include "songs/song_table_model.h"
#include "ui/core/latest_job.h"

#include <QObject>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

// What the venue read of the files of the songs it has: which files gave codes, and a word on
// each file that could not be read or held lines that are no codes.
struct VenueFilesRead
{
    QStringList paths; // as asked for
    QStringList kept; // those that were read
    QStringList problems;
    qsizetype codeCount = 0;
    bool remembered = false; // read again at start rather than chosen now
    // Chosen files that all failed leave the files chosen before in force.
    bool keptEarlierFiles() const { return !remembered && kept.isEmpty() && !paths.isEmpty(); }
};

// Which songs pass: the value of every filter, the work each needs in the background, and the
// rows that pass all of them (combined by AND). The query, 语种 and 类别, the songs the venue has
// with 只看新歌, 只看重复, 只看已选 and the singer: each is a value set here and read here, never
// from a widget. One changed() follows each change of a value or of the rows it passes; a value
// whose work is still running keeps isBusy() true until that work is in.
class SongFilters : public QObject
{
    Q_OBJECT

public:
    using RowList = SongTableModel::RowList;
    enum class Kind { Query, Language, Category, NewSongsOnly, DuplicatesOnly, OnlyTicked, Singer };

    // Follows the song model's table: a new one sets 语种, 类别, 只看重复, the singer and the query
    // back and keeps the songs the venue has, 只看新歌 and 只看已选.
    explicit SongFilters(SongTableModel *songs, QObject *parent = nullptr);

    // After the song model took a new table: makes ready to find in its songs' whole lines, with
    // what pinyin finding needs of each as the analysis made it (made here when empty).
    void prepareFinding(SongFindForms findForms = {});

    void setQuery(const QString &text);
    const QString &query() const { return m_query; }

    // Choices are indexes into facets()'s languages and categories, or SongFacets::all.
    void setLanguage(int choice);
    void setCategory(int choice);
    int language() const { return m_language; }
    int category() const { return m_category; }
    // The languages and categories of the table; null until they are made.
    const SongFacets *facets() const { return m_facets.get(); }

    // Reads the files of the songs the venue has; venueFilesRead() follows.
    void readVenueFiles(const QStringList &paths, bool remembered = false);
    void forgetVenueFiles();
    const QStringList &venueFiles() const { return m_venueFiles; }
    bool hasVenueSongs() const { return m_venueCodes != nullptr; }
    // Whether the venue has the song in this row; false until the rows are marked.
    bool venueHas(std::uint32_t row) const { return m_venueRows && (*m_venueRows)[row]; }
    bool venueRowsMarked() const { return m_venueRows != nullptr; }

    void setNewSongsOnly(bool on);
    bool newSongsOnly() const { return m_newSongsOnly; }
    void setDuplicatesOnly(bool on);
    bool duplicatesOnly() const { return m_duplicatesOnly; }
    // The groups of duplicates once they were found, else nothing.
    std::optional<qsizetype> duplicateGroupCount() const;
    void setOnlyTicked(bool on);
    bool onlyTicked() const { return m_onlyTicked; }
    // Songs one of whose singers (a duet names several) folds (SingerIndex::keyOfName) to this
    // key; empty for every singer.
    void setSinger(const QByteArray &foldedKey);
    void setSingerNamed(const QString &name) { setSinger(SingerIndex::keyOfName(name)); }
    const QByteArray &singer() const { return m_singer; }
    // The singers of the table and their songs; null until they are indexed.
    const std::shared_ptr<const SingerIndex> &singerIndex() const { return m_singerIndex; }
    // Whether a row passes every filter but the query and the singer, as they are now: a copy
    // that stays valid while the values change, for counting in the background.
    SingerIndex::RowFilter rowsBesideQueryAndSinger() const;

    bool isActive(Kind kind) const;
    // The value as a chip shows it: the query, the choice's spelling, the singer, or the
    // command's name for an on/off filter. Empty when the filter is not active.
    QString displayValue(Kind kind) const;
    // Sets this filter back to showing every song.
    void clear(Kind kind);
    // 语种, 类别, 只看新歌, 只看重复 and the singer: how many of them hide songs now.
    int activeFilterCount() const;
    // Sets those back at once; the query and 只看已选 stay.
    void clearFilters();

    // A value's work is still running: the rows that pass are not those of the values yet.
    bool hasPendingRows() const;
    // That, or the finder of a new table is still being made.
    bool isBusy() const;
    // Every row that passes, in file order or, under 只看重复, each group together; nothing
    // when every row passes in file order (no vector of rows at all).
    std::optional<std::vector<std::uint32_t>> passingRows() const;
    // How many rows would show for each language (index as facets()'s) and each category, with
    // every other filter and the query in force: what choosing it would show.
    std::vector<qsizetype> languageCounts() const;
    std::vector<qsizetype> categoryCounts() const;
    // How many of the venue's songs 只看新歌 hides now: those that every other filter and the
    // query let through. 0 while it is off.
    qsizetype hiddenVenueSongCount() const;
    // The ticked songs by language ("粵語 100　國語 208"); empty until the languages are made.
    QString tickedLanguageSplit() const;

signals:
    void changed();
    // The languages and categories to choose from were made for a new table.
    void choicesChanged();
    void venueFilesRead(const VenueFilesRead &read);
    // The singers of a new table were indexed.
    void singersIndexed();

private:
    void onTableReplaced();
    void startSearch(FindQuery query);
    void releaseMemoryIfSettled();
    void onFacetsMade(std::shared_ptr<const SongFacets> facets);
    void setFacetChoice(int &field, int choice);
    void applyFacetChoice();
    void onVenueFilesRead(
        const QStringList &paths, bool remembered, const std::vector<CodeList> &lists);
    void markVenueRows();
    void findDuplicates();
    void applySinger();
    // Whether the row passes `facetFilter` and every other filter but the query, whose rows are
    // taken apart.
    bool passes(std::uint32_t row, const SongFacets::Filter &facetFilter) const;
    bool passesBesideNewSongsOnly(std::uint32_t row, const SongFacets::Filter &facetFilter) const;
    bool filtersRows() const;
    std::vector<qsizetype> countsBy(Kind kind) const;
    // Each row the query found, or every row without a query, in file order.
    template <typename Visit> void forEachQueriedRow(Visit visit) const;

    SongTableModel *m_songs;

    QString m_query;
    std::shared_ptr<const SongFinder> m_finder;
    LatestJob<std::shared_ptr<const SongFinder>> m_finderJob { this };
    // The query whose rows are in force, its rows in file order (none: every song), and a newer
    // one waiting for the finder.
    FindQuery m_matchedQuery;
    RowList m_matched;
    std::optional<FindQuery> m_waitingQuery;
    LatestJob<RowList> m_searchJob { this };

    int m_language = SongFacets::all;
    int m_category = SongFacets::all;
    std::shared_ptr<const SongFacets> m_facets;
    LatestJob<std::shared_ptr<const SongFacets>> m_facetsJob { this };
    SongFacets::Filter m_facetFilter;

    QStringList m_venueFiles;
    std::shared_ptr<const CodeSet> m_venueCodes;
    std::shared_ptr<const std::vector<bool>> m_venueRows;
    LatestJob<std::vector<CodeList>> m_venueFilesJob { this };
    LatestJob<std::shared_ptr<const std::vector<bool>>> m_venueRowsJob { this };
    bool m_newSongsOnly = false;

    bool m_duplicatesOnly = false;
    std::shared_ptr<const DuplicateSongs> m_duplicates;
    std::vector<bool> m_duplicateRows;
    LatestJob<std::shared_ptr<const DuplicateSongs>> m_duplicatesJob { this };

    bool m_onlyTicked = false;

    QByteArray m_singer;
    std::shared_ptr<const SingerIndex> m_singerIndex;
    LatestJob<std::shared_ptr<const SingerIndex>> m_singerIndexJob { this };
    LatestJob<bool> m_releaseJob { this };
    // The singer's rows once the index is in; a singer the table lacks has none.
    std::optional<SingerIndex::Filter> m_singerRows;
    bool m_singerAbsent = false;
};
