#include "songs/song_table.h"

#include "ui/gbk_text.h"

#include <algorithm>

SongTable SongTable::placeholder()
{
    const QByteArray code = Gbk::encode(u"无内容：");
    const QByteArray name = Gbk::encode(u"请浏览搜歌文件后点分析！");
    SongRowSpans spans {};
    spans[static_cast<int>(SongColumn::Code)] = { 0, static_cast<std::uint32_t>(code.size()) };
    spans[static_cast<int>(SongColumn::Name)]
        = { static_cast<std::uint32_t>(code.size()), static_cast<std::uint32_t>(name.size()) };
    return SongTable(code + name, { spans }, false);
}

SongTable::SongTable(QByteArray bytes, std::vector<SongRowSpans> rows, bool cellsEndWithLineBreak)
    : m_bytes(std::move(bytes))
    , m_rows(std::move(rows))
    , m_checked(m_rows.size(), 0)
    , m_cellsEndWithLineBreak(cellsEndWithLineBreak)
{
}

QByteArrayView SongTable::field(qsizetype row, SongColumn column) const
{
    Q_ASSERT(row >= 0 && row < rowCount());
    const ByteSpan span = m_rows[static_cast<std::size_t>(row)][static_cast<int>(column)];
    return QByteArrayView(m_bytes.constData() + span.offset, span.length);
}

QByteArray SongTable::cell(qsizetype row, SongColumn column) const
{
    const QByteArrayView text = field(row, column);
    QByteArray stored;
    stored.reserve(text.size() + 2);
    stored.append(text);
    if (m_cellsEndWithLineBreak)
        stored.append("\r\n");
    return stored;
}

void SongTable::setChecked(qsizetype row, bool checked)
{
    Q_ASSERT(row >= 0 && row < rowCount());
    m_checked[static_cast<std::size_t>(row)] = checked ? 1 : 0;
}

void SongTable::setAllChecked(bool checked)
{
    std::fill(m_checked.begin(), m_checked.end(), checked ? 1 : 0);
}

qsizetype SongTable::checkedCount() const
{
    return std::count(m_checked.begin(), m_checked.end(), std::uint8_t(1));
}
