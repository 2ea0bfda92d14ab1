#include "songs/search_file_analysis.h"

#include "songs/line_reader.h"
#include "ui/gbk_text.h"

#include <QCoreApplication>

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr int usedFieldCount = 9;
// The field each column shows, in column order: code, name, singer, category, language, path.
constexpr std::array<int, songColumnCount> fieldOfColumn { 1, 3, 8, 6, 7, 2 };

struct FieldBounds
{
    const char *begin = nullptr;
    const char *end = nullptr;
};
using LineFields = std::array<FieldBounds, usedFieldCount>;

// True when the '|' at `bar` is the second byte of a double-byte character. `boundary` is a known
// character start at or before it. A byte that cannot lead a character always ends one, so only
// the run of lead-range bytes right before the bar needs pairing up.
bool isTrailByte(const char *boundary, const char *bar)
{
    const char *runStart = bar;
    while (runStart > boundary && Gbk::isLeadByte(runStart[-1]))
        --runStart;
    return (bar - runStart) % 2 == 1;
}

// Eight bytes with the first one in the lowest bits, whatever the machine's byte order.
std::uint64_t loadWord(const char *at)
{
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap64(word);
    return word;
}

// The top bit of each byte of `word` that is '|'; exact, no false hits.
std::uint64_t barBits(std::uint64_t word)
{
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    const std::uint64_t x = word ^ 0x7C7C7C7C7C7C7C7Cull;
    return ~(((x & low7) + low7) | x | low7);
}

// Walks the bars of a line, eight bytes at a time: separators sit every few bytes, so a library
// search per bar would spend its time on call overhead.
class BarScanner
{
public:
    BarScanner(const char *begin, const char *end)
        : m_at(begin)
        , m_end(end)
    {
    }

    // The next '|' at or after `from`, or nullptr.
    const char *next(const char *from)
    {
        if (from > m_at) {
            m_at = from;
            m_bits = 0;
            m_wordStart = nullptr;
        }
        while (true) {
            if (m_wordStart) {
                const auto consumed = m_at - m_wordStart;
                m_bits = consumed < 8 ? m_bits & (~std::uint64_t(0) << (8 * consumed)) : 0;
                if (m_bits) {
                    const char *bar = m_wordStart + std::countr_zero(m_bits) / 8;
                    m_at = bar + 1;
                    return bar;
                }
                m_at = m_wordStart + 8;
                m_wordStart = nullptr;
            }
            if (m_end - m_at >= 8) {
                m_wordStart = m_at;
                m_bits = barBits(loadWord(m_at));
                continue;
            }
            const char *bar = static_cast<const char *>(
                std::memchr(m_at, '|', static_cast<std::size_t>(m_end - m_at)));
            m_at = bar ? bar + 1 : m_end;
            return bar;
        }
    }

private:
    const char *m_at;
    const char *m_end;
    const char *m_wordStart = nullptr;
    std::uint64_t m_bits = 0;
};

// Fills the first nine fields of a line (without its line break); false for fewer. Scanning stops
// at the end of field 8, so long tails of extra fields cost nothing. In UTF-8 no byte of a
// multi-byte character is '|', so only GBK needs the pairing of lead bytes.
template <TextEncoding encoding>
bool splitLine(const char *begin, const char *end, LineFields &fields)
{
    int field = 0;
    const char *fieldStart = begin;
    const char *boundary = begin;
    BarScanner bars(begin, end);
    while (const char *bar = bars.next(boundary)) {
        if ((encoding == TextEncoding::Gbk && isTrailByte(boundary, bar)) || bar + 1 == end
            || bar[1] != '|') {
            boundary = bar + 1;
            continue;
        }
        fields[static_cast<std::size_t>(field)] = { fieldStart, bar };
        if (++field == usedFieldCount)
            return true;
        fieldStart = boundary = bar + 2;
    }
    if (field != usedFieldCount - 1)
        return false;
    fields[usedFieldCount - 1] = { fieldStart, end };
    return true;
}

// Counting every line would cost a pass over the whole text; the first megabyte tells enough.
// A short estimate only means the rows grow once or twice.
qsizetype estimatedLineCount(const char *begin, const char *end)
{
    constexpr qsizetype sampleSize = 1 << 20;
    const qsizetype size = end - begin;
    const qsizetype sampled = std::min(size, sampleSize);
    const qsizetype lineFeeds = std::count(begin, begin + sampled, '\n');
    const qsizetype loneReturns = std::count(begin, begin + sampled, '\r') - lineFeeds;
    const qsizetype sampleLines = std::max(lineFeeds, loneReturns) + 1;
    const qsizetype estimate
        = sampleLines * (size / std::max<qsizetype>(sampled, 1)) * 9 / 8 + sampleLines;
    // A song takes at least its eight separators and a line break.
    return std::min(estimate, size / 17 + 1);
}

} // namespace

SearchFileAnalysis analyseSearchFile(const QByteArray &text, TextEncoding encoding)
{
    SearchFileAnalysis analysis;
    if (text.size() > maxSearchFileSize) {
        analysis.error
            = QCoreApplication::translate("SearchFileAnalysis", "文件大于 4 GB，无法分析。");
        return analysis;
    }

    const char *const data = text.constData();
    const char *const textEnd = data + text.size();
    SongTable table(text, {}, encoding);
    const auto split = encoding == TextEncoding::Utf8 ? splitLine<TextEncoding::Utf8>
                                                      : splitLine<TextEncoding::Gbk>;
    table.reserveRows(estimatedLineCount(data, textEnd));

    LineFields fields;
    SongRowSpans spans;
    qsizetype lineNumber = 0;
    LineReader lines(data, textEnd);
    while (!lines.atEnd()) {
        ++lineNumber;
        const LineReader::Line line = lines.next();
        if (line.end == line.begin)
            continue;
        if (!split(line.begin, line.end, fields)) {
            if (analysis.skippedLineCount++ < SearchFileAnalysis::maxListedSkippedLines)
                analysis.firstSkippedLines.push_back(lineNumber);
            continue;
        }
        for (int column = 0; column < songColumnCount; ++column) {
            const FieldBounds bounds = fields[static_cast<std::size_t>(fieldOfColumn[column])];
            spans[column] = { static_cast<std::uint32_t>(bounds.begin - data),
                static_cast<std::uint32_t>(bounds.end - bounds.begin) };
        }
        table.appendRow(spans);
    }

    analysis.table = std::move(table);
    return analysis;
}
