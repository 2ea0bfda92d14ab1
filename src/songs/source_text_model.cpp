#include "songs/source_text_model.h"

#include "songs/line_reader.h"
#include "ui/memory_advice.h"

#include <utility>

SourceTextModel::SourceTextModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

SourceTextModel::Text SourceTextModel::indexed(QByteArray bytes, TextEncoding encoding)
{
    Text text { std::move(bytes), encoding, {}, 0 };
    // Neither LF nor CR occurs inside a GBK or UTF-8 character, so a byte search finds every line.
    const char *const data = text.bytes.constData();
    const char *const end = data + text.bytes.size();
    text.lineStarts.reserve(static_cast<std::size_t>(estimatedLineCount(data, end)));
    adviseHugePages(text.lineStarts.data(), text.lineStarts.capacity() * sizeof(std::uint32_t));
    LineReader lines(data, end);
    qsizetype longest = -1;
    while (!lines.atEnd()) {
        const LineReader::Line line = lines.next();
        if (line.end - line.begin > longest) {
            longest = line.end - line.begin;
            text.longestRow = static_cast<int>(text.lineStarts.size());
        }
        text.lineStarts.push_back(static_cast<std::uint32_t>(line.begin - data));
    }
    return text;
}

void SourceTextModel::show(QByteArray bytes, TextEncoding encoding)
{
    beginResetModel();
    // The old index goes before the new one is made, not after.
    m_shown = {};
    m_shown = indexed(std::move(bytes), encoding);
    endResetModel();
}

void SourceTextModel::setBytes(QByteArray bytes, TextEncoding encoding)
{
    m_showingFirstScreen = false;
    m_set = {};
    show(std::move(bytes), encoding);
}

void SourceTextModel::showFirstScreen(QByteArray bytes, TextEncoding encoding)
{
    beginResetModel();
    if (!m_showingFirstScreen)
        m_set = std::exchange(m_shown, {});
    m_showingFirstScreen = true;
    m_shown = {};
    m_shown = indexed(std::move(bytes), encoding);
    endResetModel();
}

void SourceTextModel::withdrawFirstScreen()
{
    if (!m_showingFirstScreen)
        return;
    beginResetModel();
    m_showingFirstScreen = false;
    m_shown = std::exchange(m_set, {});
    endResetModel();
}

QByteArrayView SourceTextModel::line(int row) const
{
    const auto index = static_cast<std::size_t>(row);
    const std::vector<std::uint32_t> &starts = m_shown.lineStarts;
    const QByteArray &bytes = m_shown.bytes;
    const qsizetype start = starts[index];
    qsizetype end = index + 1 < starts.size() ? starts[index + 1] : bytes.size();
    // Each line but the last ends in LF, CR LF or CR.
    if (end > start && bytes[end - 1] == '\n')
        --end;
    if (end > start && bytes[end - 1] == '\r')
        --end;
    return QByteArrayView(bytes.constData() + start, end - start);
}

int SourceTextModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shown.lineStarts.size());
}

QVariant SourceTextModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return text(index.row());
    if (role == wholeLineRole)
        return decodeText(line(index.row()), m_shown.encoding);
    return {};
}
