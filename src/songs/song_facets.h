#pragma once

#include "songs/packed_numbers.h"
#include "songs/song_table.h"
#include "songs/tick_marks.h"

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The distinct languages and categories of a table, for choosing songs by them. Values that fold
// alike (粵語 and 粤语) are one value, spelled as the table writes it most often; the values come
// most frequent first. Each row keeps one small number for its pair of values, so both filters
// together cost a byte a song in a table of up to 256 pairs, and a filter test is one look-up.
class SongFacets
{
public:
    struct Value
    {
        QByteArray spelling; // bytes in the table's encoding, as most rows write it
        qsizetype count = 0; // rows with a value that folds alike
    };
    // A choice is an index into languages() or categories(), or this for 全部.
    static constexpr int all = -1;

    // Which rows a pair of choices keeps.
    class Filter
    {
    public:
        bool keepsAll() const { return m_keepsAll; }
        bool accepts(std::uint32_t row) const
        {
            return m_keepsAll || m_keptPairs[m_rowPairs[row]] != 0;
        }

    private:
        friend class SongFacets;
        bool m_keepsAll = true;
        std::vector<std::uint8_t> m_keptPairs;
        PackedNumbers::View m_rowPairs;
    };

    SongFacets() = default;
    // Nothing when `cancelled` says so meanwhile.
    static std::optional<SongFacets> of(
        const SongTable &table, const std::function<bool()> &cancelled = {});

    const std::vector<Value> &languages() const { return m_languages; }
    const std::vector<Value> &categories() const { return m_categories; }
    // Valid while these facets live; a choice out of range counts as 全部.
    Filter filter(int language, int category) const;
    // The index of the row's language and of its category.
    int languageOf(std::uint32_t row) const { return int(m_pairLanguage[pairOf(row)]); }
    int categoryOf(std::uint32_t row) const { return int(m_pairCategory[pairOf(row)]); }

    // What decides that two values are one: the GBK text folded (UTF-8 through GBK; text that GBK
    // cannot hold stays as it is, marked so that it equals no GBK text).
    static QByteArray foldedValue(QByteArrayView value, TextEncoding encoding);

    // How many of the ticked rows have each language, by the index of languages().
    std::vector<qsizetype> languageCounts(const TickMarks &ticks) const;

    // Bytes kept per row of the table.
    double bytesPerRow() const { return m_rowPairs.bitsEach() / 8.0; }

private:
    std::uint32_t pairOf(std::uint32_t row) const { return m_rowPairs[row]; }

    std::vector<Value> m_languages;
    std::vector<Value> m_categories;
    // Each distinct pair of raw values: the index of its language and of its category.
    std::vector<std::uint32_t> m_pairLanguage;
    std::vector<std::uint32_t> m_pairCategory;
    // Each row's pair, in the bits the count of pairs needs (a byte for up to 256).
    PackedNumbers m_rowPairs;
};

// The ticked songs by language, for checking a pick before it is written: "粵語 100　國語 208",
// languages in the order of the facets (the table's most common first), those with none left out.
QString tickedLanguageSplit(
    const SongFacets &facets, const TickMarks &ticks, TextEncoding encoding);
