#include "songs/skipped_lines.h"

#include "songs/line_reader.h"
#include "ui/core/gbk_text.h"
#include "ui/core/number_text.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SkippedLines", text);
}

} // namespace

QString lineNumbersText(std::span<const std::uint32_t> lineNumbers, std::size_t listed)
{
    QStringList numbers;
    for (std::size_t index = 0; index < std::min(listed, lineNumbers.size()); ++index)
        numbers << QString::number(lineNumbers[index]);
    return (lineNumbers.size() > listed ? tr("第 %1 等行") : tr("第 %1 行"))
        .arg(numbers.join(tr("、")));
}

QString skippedLinesReport(std::span<const std::uint32_t> lineNumbers)
{
    return tr("有 %1 行字段不足九个，不是完整的歌曲记录，已跳过（%2）。")
        .arg(NumberText::grouped(qint64(lineNumbers.size())), lineNumbersText(lineNumbers, 5));
}

SkippedLinesModel::SkippedLinesModel(const QByteArray &text, TextEncoding encoding,
    std::vector<std::uint32_t> lineNumbers, QObject *parent)
    : QAbstractListModel(parent)
    , m_text(text)
    , m_encoding(encoding)
    , m_lineNumbers(std::move(lineNumbers))
{
    m_spans.reserve(m_lineNumbers.size());
    LineReader lines(m_text.constData(), m_text.constData() + m_text.size());
    std::uint32_t number = 0;
    for (const std::uint32_t wanted : m_lineNumbers) {
        LineReader::Line line { nullptr, nullptr };
        while (number < wanted && !lines.atEnd()) {
            line = lines.next();
            ++number;
        }
        // A number past the text's end lists with no text.
        if (number != wanted)
            line = { nullptr, nullptr };
        m_spans.emplace_back(
            line.begin ? line.begin - m_text.constData() : 0, line.end - line.begin);
    }
}

int SkippedLinesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lineNumbers.size());
}

QString SkippedLinesModel::lineText(std::size_t row) const
{
    const auto [start, length] = m_spans[row];
    // A long line shows cut: the list is for finding it, not for reading a megabyte of it.
    return tr("第 %1 行：%2")
        .arg(m_lineNumbers[row])
        .arg(decodeShownText(QByteArrayView(m_text.constData() + start, length), m_encoding));
}

QVariant SkippedLinesModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole)
        return {};
    return lineText(std::size_t(index.row()));
}

QString SkippedLinesModel::allText() const
{
    QStringList all;
    for (std::size_t row = 0; row < m_lineNumbers.size(); ++row)
        all << lineText(row);
    return all.join(u"\r\n"_qs);
}
