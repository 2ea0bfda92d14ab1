#include "songs/search_file_analysis.h"

#include "ui/core/gbk_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

// Checks the analysis of arbitrary bytes against the plainest reading of the format: lines at LF,
// CR LF or CR, fields at "||" found by walking GBK characters one by one. The text is
// not copied, so AddressSanitizer sees any read past its end. In UTF-8 every '|' is a character.

namespace {

std::vector<QByteArrayView> plainFields(QByteArrayView line, TextEncoding encoding)
{
    std::vector<QByteArrayView> fields;
    qsizetype start = 0;
    qsizetype at = 0;
    while (at < line.size()) {
        if (line[at] == '|' && at + 1 < line.size() && line[at + 1] == '|') {
            fields.push_back(line.sliced(start, at - start));
            at += 2;
            start = at;
        } else {
            at += encoding == TextEncoding::Gbk ? Gbk::characterLength(line, at) : 1;
        }
    }
    fields.push_back(line.sliced(start));
    return fields;
}

[[noreturn]] void fail(const char *what, qsizetype line)
{
    std::fprintf(stderr, "analysis differs from the plain reading: %s (line %lld)\n", what,
        static_cast<long long>(line));
    std::abort();
}

void checkAnalysis(const QByteArray &text, TextEncoding encoding, int partCount)
{
    const SearchFileAnalysis analysis = analyseSearchFile(text, encoding, partCount);
    if (!analysis.error.isEmpty())
        fail("error on a small text", 0);

    constexpr int fieldOfColumn[songColumnCount] = { 1, 3, 8, 6, 7, 2 };
    qsizetype row = 0;
    std::vector<std::uint32_t> skipped;
    qsizetype lineNumber = 0;
    for (qsizetype start = 0; start < text.size();) {
        ++lineNumber;
        qsizetype end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        const bool crLf = end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
        const QByteArrayView line(text.constData() + start, end - start);
        start = std::min(text.size(), end + (crLf ? 2 : 1));
        if (line.isEmpty())
            continue;
        const std::vector<QByteArrayView> fields = plainFields(line, encoding);
        if (fields.size() < 9) {
            skipped.push_back(std::uint32_t(lineNumber));
            continue;
        }
        if (row >= analysis.table.rowCount())
            fail("a song is missing", lineNumber);
        for (int column = 0; column < songColumnCount; ++column) {
            const QByteArrayView field = analysis.table.field(row, SongColumn(column));
            if (field != fields[std::size_t(fieldOfColumn[column])])
                fail("a cell differs", lineNumber);
            if (field.data() < text.constData() || field.data() + field.size() > text.constEnd())
                fail("a cell lies outside the text", lineNumber);
        }
        const ByteSpan whole = analysis.table.line(row);
        if (text.constData() + whole.offset != line.data() || whole.length != line.size())
            fail("a song's line differs", lineNumber);
        ++row;
    }
    if (row != analysis.table.rowCount())
        fail("more songs than lines with nine fields", lineNumber);
    if (skipped != analysis.skippedLines)
        fail("skipped lines differ", lineNumber);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // Both readings, whatever the bytes: the choice between them is made before the analysis.
    // Small texts are analysed in one run; split into runs of lines they must read the same.
    for (const int partCount : { 1, 2, 5 }) {
        checkAnalysis(text, TextEncoding::Gbk, partCount);
        checkAnalysis(text, TextEncoding::Utf8, partCount);
    }
    return 0;
}
