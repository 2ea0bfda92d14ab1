#include "songs/source_text_model.h"

#include "songs/line_reader.h"

#include <cstring>
#include <utility>

SourceTextModel::SourceTextModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

SourceTextModel::Text SourceTextModel::indexed(QByteArray bytes, TextEncoding encoding)
{
    Text text { std::move(bytes), encoding, {}, 0, 0 };
    // Neither LF nor CR occurs inside a GBK or UTF-8 character, so a byte search finds every line.
    const char *const data = text.bytes.constData();
    const char *const end = data + text.bytes.size();
    text.marks.reserve(static_cast<std::size_t>(estimatedLineCount(data, end) / markStride + 1));
    LineReader lines(data, end);
    qsizetype longest = -1;
    for (int row = 0; !lines.atEnd(); ++row) {
        const LineReader::Line line = lines.next();
        if (line.end - line.begin > longest) {
            longest = line.end - line.begin;
            text.longestRow = row;
        }
        if (row % markStride == 0)
            text.marks.push_back(static_cast<std::uint32_t>(line.begin - data));
        text.lineCount = row + 1;
    }
    return text;
}

void SourceTextModel::show(QByteArray bytes, TextEncoding encoding)
{
    beginResetModel();
    m_foundRow = -1;
    // The old text goes before the new one is indexed, not after.
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
    m_foundRow = -1;
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
    m_foundRow = -1;
    m_showingFirstScreen = false;
    m_shown = std::exchange(m_set, {});
    endResetModel();
}

namespace {

// Where the line from `at` ends: at LF, CR LF or a lone CR. The search goes in windows, so that
// in a file of CR-only lines it does not look for an LF to the end of the file.
const char *lineEnd(const char *at, const char *end)
{
    constexpr qsizetype window = 64 * 1024;
    while (at < end) {
        const char *const limit = end - at > window ? at + window : end;
        const void *lineFeed = std::memchr(at, '\n', static_cast<std::size_t>(limit - at));
        const char *const stop = lineFeed ? static_cast<const char *>(lineFeed) : limit;
        const void *carriageReturn = std::memchr(at, '\r', static_cast<std::size_t>(stop - at));
        if (carriageReturn)
            return static_cast<const char *>(carriageReturn);
        if (stop < limit)
            return stop;
        at = limit;
    }
    return end;
}

} // namespace

QByteArrayView SourceTextModel::line(int row) const
{
    const int mark = row / markStride;
    int at = mark * markStride;
    qsizetype start = m_shown.marks[static_cast<std::size_t>(mark)];
    if (m_foundRow >= at && m_foundRow <= row) {
        at = m_foundRow;
        start = m_foundStart;
    }
    const char *const data = m_shown.bytes.constData();
    const char *const end = data + m_shown.bytes.size();
    const char *begin = data + start;
    for (; at < row; ++at) {
        const char *const stop = lineEnd(begin, end);
        begin = stop == end ? end
                            : stop + (stop[0] == '\r' && stop + 1 < end && stop[1] == '\n' ? 2 : 1);
    }
    m_foundRow = row;
    m_foundStart = begin - data;
    return QByteArrayView(begin, lineEnd(begin, end));
}

int SourceTextModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown.lineCount;
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
