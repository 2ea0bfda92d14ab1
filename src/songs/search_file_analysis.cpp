#include "songs/search_file_analysis.h"

#include "songs/line_reader.h"
#include "ui/core/gbk_text.h"

#include <QCoreApplication>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cstring>
#include <thread>

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

// Fills the first nine fields of a line (without its line break); false for fewer. Scanning stops
// at the end of field 8, so long tails of extra fields cost nothing. In UTF-8 no byte of a
// multi-byte character is '|', so only GBK needs the pairing of lead bytes.
template <TextEncoding encoding>
bool splitLine(const char *begin, const char *end, LineFields &fields)
{
    int field = 0;
    const char *fieldStart = begin;
    const char *boundary = begin;
    // memchr per bar: a word-at-a-time scanner measured no faster (1M lines, 0.080-0.082 s of
    // processor time against 0.077-0.081 s, three alternating runs of nine).
    while (const auto *bar = static_cast<const char *>(
               std::memchr(boundary, '|', static_cast<std::size_t>(end - boundary)))) {
        if ((encoding == TextEncoding::Gbk && !Gbk::startsCharacter(boundary, bar))
            || bar + 1 == end || bar[1] != '|') {
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

QByteArrayView fieldView(FieldBounds bounds)
{
    return QByteArrayView(bounds.begin, bounds.end - bounds.begin);
}

// The songs of the whole lines in [begin, end), a run of lines of the text at `data`; line
// numbers count from the run's start.
struct AnalysedPart
{
    SongTable::RowChunk rows;
    std::vector<SongFindForm> findForms;
    qsizetype lineCount = 0;
    std::vector<std::uint32_t> skippedLines;
};

// How many lines go between two looks at the stop flag.
constexpr qsizetype linesBetweenStopChecks = 4096;

template <TextEncoding encoding, bool makeFindForms>
AnalysedPart analysePart(
    const char *data, const char *begin, const char *end, const std::atomic<bool> *stop)
{
    AnalysedPart part;
    // A song takes at least its eight separators and a line break.
    const qsizetype estimate
        = std::min<qsizetype>(estimatedLineCount(begin, end), (end - begin) / 17 + 1);
    part.rows.reserve(estimate);
    if (makeFindForms)
        part.findForms.reserve(std::size_t(estimate));

    LineFields fields;
    SongRowSpans spans;
    LineReader lines(begin, end);
    while (!lines.atEnd()) {
        if (++part.lineCount % linesBetweenStopChecks == 0 && stop && stop->load())
            return part;
        const LineReader::Line line = lines.next();
        if (line.end == line.begin)
            continue;
        if (!splitLine<encoding>(line.begin, line.end, fields)) {
            part.skippedLines.push_back(std::uint32_t(part.lineCount));
            continue;
        }
        for (int column = 0; column < songColumnCount; ++column) {
            const FieldBounds bounds = fields[static_cast<std::size_t>(fieldOfColumn[column])];
            spans[column] = { static_cast<std::uint32_t>(bounds.begin - data),
                static_cast<std::uint32_t>(bounds.end - bounds.begin) };
        }
        part.rows.append(spans,
            { static_cast<std::uint32_t>(line.begin - data),
                static_cast<std::uint32_t>(line.end - line.begin) });
        if (makeFindForms)
            part.findForms.push_back(SongFindForm::of(fieldView(fields[3]), fieldView(fields[8])));
    }
    return part;
}

// The first line start at or after `at`: past the next LF, or, in a text without one, past the
// next CR. Every LF ends a line, so no line is cut.
const char *nextLineStart(const char *at, const char *end)
{
    for (const char lineEnd : { '\n', '\r' }) {
        if (const auto *found
            = static_cast<const char *>(std::memchr(at, lineEnd, std::size_t(end - at))))
            return found + 1;
    }
    return end;
}

} // namespace

namespace {

std::optional<SearchFileAnalysis> analyse(const QByteArray &text, TextEncoding encoding,
    int partCount, FindForms findForms, const std::atomic<bool> *stop)
{
    SearchFileAnalysis analysis;
    if (text.size() > maxSearchFileSize) {
        analysis.error
            = QCoreApplication::translate("SearchFileAnalysis", "文件大于 4 GB，无法分析。");
        return analysis;
    }

    const char *const data = text.constData();
    const char *const textEnd = data + text.size();
    partCount = std::max(partCount, 1);
    std::vector<const char *> bounds { data };
    for (int part = 1; part < partCount; ++part) {
        const char *middle = data + text.size() * part / partCount;
        bounds.push_back(nextLineStart(std::max(middle, bounds.back()), textEnd));
    }
    bounds.push_back(textEnd);

    using PartAnalysis
        = AnalysedPart (*)(const char *, const char *, const char *, const std::atomic<bool> *);
    const PartAnalysis analysePartOf = encoding == TextEncoding::Utf8
        ? analysePart<TextEncoding::Utf8, false>
        : findForms == FindForms::Made ? analysePart<TextEncoding::Gbk, true>
                                       : analysePart<TextEncoding::Gbk, false>;
    std::vector<AnalysedPart> parts(static_cast<std::size_t>(partCount));
    {
        // The other parts in the pool; waiting for one that has not started runs it here.
        std::vector<QFuture<AnalysedPart>> others;
        for (std::size_t part = 1; part < parts.size(); ++part)
            others.push_back(
                QtConcurrent::run(analysePartOf, data, bounds[part], bounds[part + 1], stop));
        parts[0] = analysePartOf(data, bounds[0], bounds[1], stop);
        for (std::size_t part = 1; part < parts.size(); ++part)
            parts[part] = others[part - 1].takeResult();
    }
    if (stop && stop->load())
        return std::nullopt;
    SongTable table(text, {}, encoding);
    std::size_t skippedCount = 0;
    for (const AnalysedPart &part : parts)
        skippedCount += part.skippedLines.size();
    analysis.skippedLines.reserve(skippedCount);
    qsizetype linesBefore = 0;
    for (AnalysedPart &part : parts) {
        if (findForms == FindForms::Made && encoding == TextEncoding::Gbk)
            analysis.findForms.push_back(std::move(part.findForms));
        for (const std::uint32_t line : part.skippedLines)
            analysis.skippedLines.push_back(std::uint32_t(linesBefore + line));
        linesBefore += part.lineCount;
        table.appendChunk(std::move(part.rows));
    }
    analysis.table = std::move(table);
    return analysis;
}

} // namespace

int analysisPartCount(qsizetype textSize)
{
    // Each part a thread needs enough lines to pay for starting it.
    constexpr qsizetype minPartSize = 1 << 20;
    const auto cores = static_cast<qsizetype>(std::max(1u, std::thread::hardware_concurrency()));
    return int(std::clamp(textSize / minPartSize, qsizetype(1), std::min(cores, qsizetype(8))));
}

SearchFileAnalysis analyseSearchFile(const QByteArray &text, TextEncoding encoding)
{
    return *analyse(text, encoding, analysisPartCount(text.size()), FindForms::Made, nullptr);
}

SearchFileAnalysis analyseSearchFile(
    const QByteArray &text, TextEncoding encoding, int partCount, FindForms findForms)
{
    return *analyse(text, encoding, partCount, findForms, nullptr);
}

std::optional<SearchFileAnalysis> analyseSearchFile(
    const QByteArray &text, TextEncoding encoding, const std::atomic<bool> &stop)
{
    return analyse(text, encoding, analysisPartCount(text.size()), FindForms::Made, &stop);
}

std::vector<SongFindForm> songFindForms(const SongTable &gbkTable)
{
    std::vector<SongFindForm> forms;
    forms.reserve(std::size_t(gbkTable.rowCount()));
    for (qsizetype row = 0; row < gbkTable.rowCount(); ++row)
        forms.push_back(SongFindForm::of(
            gbkTable.field(row, SongColumn::Name), gbkTable.field(row, SongColumn::Singer)));
    return forms;
}
