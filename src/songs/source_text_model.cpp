#include "songs/source_text_model.h"

#include "ui/gbk_text.h"

#include <cstring>

SourceTextModel::SourceTextModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

void SourceTextModel::setBytes(QByteArray bytes)
{
    beginResetModel();
    m_bytes = std::move(bytes);
    m_lineStarts.clear();
    m_longestRow = 0;
    if (!m_bytes.isEmpty()) {
        // LF never occurs inside a GBK character, so a byte search finds every line end.
        const char *const data = m_bytes.constData();
        const qsizetype size = m_bytes.size();
        qsizetype start = 0;
        qsizetype longest = -1;
        while (start < size) {
            const void *newline
                = std::memchr(data + start, '\n', static_cast<size_t>(size - start));
            const qsizetype next = newline ? static_cast<const char *>(newline) - data + 1 : size;
            if (next - start > longest) {
                longest = next - start;
                m_longestRow = static_cast<int>(m_lineStarts.size());
            }
            m_lineStarts.push_back(start);
            start = next;
        }
    }
    endResetModel();
}

QByteArrayView SourceTextModel::line(int row) const
{
    const auto index = static_cast<std::size_t>(row);
    const qsizetype start = m_lineStarts[index];
    qsizetype end = index + 1 < m_lineStarts.size() ? m_lineStarts[index + 1] : m_bytes.size();
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
        return Gbk::decode(line(index.row()));
    return {};
}
