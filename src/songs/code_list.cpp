#include "songs/code_list.h"

#include "songs/line_reader.h"
#include "ui/core/file_io.h"
#include "ui/core/gbk_text.h"
#include "ui/core/number_text.h"
#include "ui/core/text_encoding.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <array>
#include <bit>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int valueBits = 57; // 10^17 < 2^57

bool isDigit(char byte)
{
    return byte >= '0' && byte <= '9';
}

// Blanks around a code: ASCII ones and the ideographic space in GBK or UTF-8.
QByteArrayView trimmed(QByteArrayView text)
{
    static constexpr std::array<QByteArrayView, 4> blanks { " ", "\t", "\xA1\xA1", "\xE3\x80\x80" };
    for (bool cut = true; cut && !text.isEmpty();) {
        cut = false;
        for (const QByteArrayView blank : blanks) {
            if (text.startsWith(blank)) {
                text = text.sliced(blank.size());
                cut = true;
            }
            if (text.endsWith(blank)) {
                text.chop(blank.size());
                cut = true;
            }
        }
    }
    return text;
}

// Field 1 of a search file's line, when the line has the separator at a character boundary.
std::optional<QByteArrayView> secondField(QByteArrayView line, TextEncoding encoding)
{
    qsizetype separators = 0;
    qsizetype fieldStart = 0;
    for (qsizetype at = 0; at < line.size();) {
        if (line[at] == '|' && at + 1 < line.size() && line[at + 1] == '|') {
            if (++separators == 2)
                return line.sliced(fieldStart, at - fieldStart);
            at += 2;
            fieldStart = at;
            continue;
        }
        at += encoding == TextEncoding::Gbk ? Gbk::characterLength(line, at) : 1;
    }
    if (separators == 1)
        return line.sliced(fieldStart);
    return std::nullopt;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("CodeList", text);
}

// Why a text in a wide encoding other than UTF-16 with its mark cannot be read; empty for the
// encodings that can.
QString unreadableEncoding(QByteArrayView bytes)
{
    const QString saveAs = tr("请在记事本中另存为 ANSI、UTF-8 或 Unicode 编码后再选");
    if (bytes.startsWith("\xFF\xFE\0\0"_ba) || bytes.startsWith("\0\0\xFE\xFF"_ba))
        return tr("文件是 UTF-32 编码，无法读取。") + saveAs;
    const QByteArrayView start = bytes.first(std::min<qsizetype>(bytes.size(), 4096));
    if (!start.contains('\0'))
        return {};
    // Digits and line ends in UTF-16 without its mark: a zero byte beside each.
    qsizetype evenZeros = 0;
    qsizetype oddZeros = 0;
    for (qsizetype at = 0; at < start.size(); ++at)
        (at % 2 == 0 ? evenZeros : oddZeros) += start[at] == '\0' ? 1 : 0;
    if (std::max(evenZeros, oddZeros) * 4 >= start.size() && std::min(evenZeros, oddZeros) == 0)
        return tr("文件像是没有字节顺序标记的 UTF-16 编码，无法读取。") + saveAs;
    return tr("文件含有空字节，不是文本文件，无法读取。");
}

} // namespace

CodeKey codeKey(QByteArrayView text)
{
    // A table's codes have no blanks: the loop over a million rows skips the trimming.
    if (text.isEmpty() || !isDigit(text.front()) || !isDigit(text.back()))
        text = trimmed(text);
    if (text.isEmpty() || text.size() > maxCodeDigits)
        return 0;
    CodeKey value = 0;
    for (const char digit : text) {
        if (!isDigit(digit))
            return 0;
        value = value * 10 + CodeKey(digit - '0');
    }
    return CodeKey(text.size()) << valueBits | value;
}

QByteArray codeText(CodeKey key)
{
    const auto digits = static_cast<qsizetype>(key >> valueBits);
    CodeKey value = key & ((CodeKey(1) << valueBits) - 1);
    QByteArray text(digits, '0');
    for (qsizetype at = digits - 1; at >= 0 && value != 0; --at, value /= 10)
        text[at] = char('0' + value % 10);
    return text;
}

CodeList parseCodeList(QByteArrayView bytes)
{
    // Notepad's "Unicode": read as the same text in UTF-8, so lines and fields split where the
    // text has them, not at the halves of its characters.
    for (const auto &[mark, encoding] : { std::pair { "\xFF\xFE"_ba, QStringConverter::Utf16LE },
             std::pair { "\xFE\xFF"_ba, QStringConverter::Utf16BE } }) {
        if (bytes.startsWith(mark) && !bytes.startsWith("\xFF\xFE\0\0"_ba)) {
            QStringDecoder decode(encoding, QStringConverter::Flag::Stateless);
            return parseCodeList(QString(decode(bytes.sliced(2))).toUtf8());
        }
    }
    if (QString unreadable = unreadableEncoding(bytes); !unreadable.isEmpty()) {
        CodeList list;
        list.error = std::move(unreadable);
        return list;
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    const TextEncoding encoding = detectTextEncoding(bytes);
    CodeList list;
    qsizetype lineNumber = 0;
    LineReader lines(bytes.begin(), bytes.end());
    while (!lines.atEnd()) {
        const LineReader::Line read = lines.next();
        const QByteArrayView line(read.begin, read.end);
        ++lineNumber;
        const std::optional<QByteArrayView> field = secondField(line, encoding);
        const CodeKey key = codeKey(field ? *field : line);
        if (key != 0) {
            list.codes.push_back(key);
            continue;
        }
        if (++list.skippedLineCount <= CodeList::keptSkippedLines)
            list.firstSkippedLines.push_back(lineNumber);
    }
    return list;
}

CodeList readCodeList(const QString &path)
{
    FileReadResult read = readWholeFile(path);
    if (!read.ok()) {
        CodeList list;
        list.error = std::move(read.error);
        return list;
    }
    return parseCodeList(read.bytes);
}

CodeSet::CodeSet(std::span<const CodeKey> codes)
{
    insertAll(codes);
}

CodeSet::CodeSet(std::span<const CodeList> lists)
{
    std::vector<CodeKey> all;
    for (const CodeList &list : lists)
        all.insert(all.end(), list.codes.begin(), list.codes.end());
    insertAll(all);
}

void CodeSet::insertAll(std::span<const CodeKey> codes)
{
    m_slots.assign(std::bit_ceil(codes.size() * 2 + 1), 0);
    m_size = 0;
    for (const CodeKey key : codes) {
        CodeKey &slot = m_slots[slotOf(key)];
        if (slot == 0) {
            slot = key;
            ++m_size;
        }
    }
}

std::size_t CodeSet::slotOf(CodeKey key) const
{
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = std::size_t((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
    while (m_slots[slot] != 0 && m_slots[slot] != key)
        slot = (slot + 1) & mask;
    return slot;
}

std::vector<bool> rowsWithCodesMask(const SongTable &table, const CodeSet &codes)
{
    std::vector<bool> mask(static_cast<std::size_t>(table.rowCount()));
    if (codes.size() == 0)
        return mask;
    for (qsizetype row = 0; row < table.rowCount(); ++row)
        mask[std::size_t(row)] = codes.contains(codeKey(table.field(row, SongColumn::Code)));
    return mask;
}

CodeMatch matchCodes(const SongTable &table, std::span<const CodeKey> codes)
{
    const CodeSet set(codes);
    std::vector<bool> found(set.m_slots.size());
    CodeMatch match;
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        const CodeKey key = codeKey(table.field(row, SongColumn::Code));
        if (key == 0)
            continue;
        const std::size_t slot = set.slotOf(key);
        if (set.m_slots[slot] == key) {
            match.rows.push_back(std::uint32_t(row));
            found[slot] = true;
        }
    }
    for (const CodeKey key : codes) {
        const std::size_t slot = set.slotOf(key);
        if (!found[slot]) {
            match.missing.push_back(key);
            found[slot] = true; // listed once
        }
    }
    return match;
}

QString skippedLinesText(const CodeList &list)
{
    const bool more = list.skippedLineCount > qsizetype(list.firstSkippedLines.size());
    return QCoreApplication::translate("CodeList", "第 %1 行%2")
        .arg(NumberText::list(list.firstSkippedLines),
            more ? QCoreApplication::translate("CodeList", "等") : QString());
}
