#include "songs/source_text_model.h"

#include "songs/line_reader.h"
#include "ui/memory_advice.h"

SourceTextModel::SourceTextModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

void SourceTextModel::setBytes(QByteArray bytes, TextEncoding encoding)
{
    beginResetModel();
    m_bytes = std::move(bytes);
    m_encoding = encoding;
    m_lineStarts.clear();
    m_longestRow = 0;
    // Neither LF nor CR occurs inside a GBK or UTF-8 character, so a byte search finds every line.
    const char *const data = m_bytes.constData();
    m_lineStarts.shrink_to_fit();
    m_lineStarts.reserve(static_cast<std::size_t>(estimatedLineCount(data, data + m_bytes.size())));
    adviseHugePages(m_lineStarts.data(), m_lineStarts.capacity() * sizeof(std::uint32_t));
    LineReader lines(data, data + m_bytes.size());
    qsizetype longest = -1;
    while (!lines.atEnd()) {
        const LineReader::Line line = lines.next();
        if (line.end - line.begin > longest) {
            longest = line.end - line.begin;
            m_longestRow = static_cast<int>(m_lineStarts.size());
        }
        m_lineStarts.push_back(static_cast<std::uint32_t>(line.begin - data));
    }
    endResetModel();
}

QByteArrayView SourceTextModel::line(int row) const
{
    const auto index = static_cast<std::size_t>(row);
    const qsizetype start = m_lineStarts[index];
    qsizetype end = index + 1 < m_lineStarts.size() ? m_lineStarts[index + 1] : m_bytes.size();
    // Each line but the last ends in LF, CR LF or CR.
    if (end > start && m_bytes[end - 1] == '\n')
        --end;
    if (end > start && m_bytes[end - 1] == '\r')
        --end;
    return QByteArrayView(m_bytes.constData() + start, end - start);
}

int SourceTextModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lineStarts.size());
}

QVariant SourceTextModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return text(index.row());
    if (role == wholeLineRole)
        return decodeText(line(index.row()), m_encoding);
    return {};
}
