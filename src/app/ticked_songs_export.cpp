#include "app/ticked_songs_export.h"

#include "export/ticked_rows_writer.h"
#include "songs/song_filters.h"
#include "songs/song_table_model.h"
#include "ui/core/file_io.h"
#include "ui/core/number_text.h"
#include "ui/widgets/dialogs.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>

namespace {

const QString textFileFilter = QStringLiteral("文本文档(*.txt)|*.txt");

} // namespace

TickedSongsExport::TickedSongsExport(
    Dialogs &dialogs, QWidget *window, SongTableModel *songs, const SongFilters *filters)
    : QObject(window)
    , m_dialogs(dialogs)
    , m_window(window)
    , m_songs(songs)
    , m_filters(filters)
{
    connect(
        m_songs, &SongTableModel::ticksChanged, this, [this] { m_ticksChangedSinceExport = true; });
}

bool TickedSongsExport::exportCodes()
{
    const std::optional<QString> path
        = m_dialogs.askSaveFile(m_window, textFileFilter, tr("新增歌曲编码.txt"));
    if (!path)
        return false;
    const TickedSongs songs = m_songs->tickedSongs();
    const QString error = writeFileAtomically(
        *path, [&songs](QIODevice &file) { return writeTickedRows(songs, codeColumn, file); });
    if (!error.isEmpty()) {
        m_dialogs.showMessage(
            m_window, tr("无法保存文件“%1”：\n%2").arg(QDir::toNativeSeparators(*path), error));
        return false;
    }
    m_ticksChangedSinceExport = false;
    emit ticksSettled();
    const QString folder = QFileInfo(*path).absolutePath();
    emit noted(tr("已导出 %1 个编码%2到 %3")
                   .arg(NumberText::grouped(songs.count()), tickedSplit(),
                       QDir::toNativeSeparators(*path)),
        { { tr("打开所在文件夹"), [this, folder] { m_dialogs.showFolder(m_window, folder); } } });
    return true;
}

bool TickedSongsExport::hasUnexportedTicks() const
{
    return m_ticksChangedSinceExport && m_songs->tickedSongCount() > 0;
}

bool TickedSongsExport::mayClose()
{
    // Nothing ticked is nothing to lose.
    if (!hasUnexportedTicks())
        return true;
    switch (m_dialogs.askYesNoCancel(m_window,
        tr("已选 %1 首歌曲%2，勾选改动后还没有导出编码。\n关闭前导出所选编码吗？")
            .arg(NumberText::grouped(m_songs->tickedSongCount()), tickedSplit()),
        tr("导出"), tr("不导出"), tr("取消"))) {
    case Dialogs::Answer::Yes:
        return exportCodes();
    case Dialogs::Answer::No:
        emit ticksSettled();
        return true;
    case Dialogs::Answer::Cancel:
        break;
    }
    return false;
}

void TickedSongsExport::copyCodes()
{
    copyTickedSongs(codeColumn);
    emit noted(tr("已复制 %1 个编码").arg(NumberText::grouped(m_songs->tickedSongCount())));
}

void TickedSongsExport::copyDetails()
{
    copyTickedSongs(allColumns);
    emit noted(tr("已复制 %1 首歌曲的明细").arg(NumberText::grouped(m_songs->tickedSongCount())));
}

QString TickedSongsExport::tickedSplit() const
{
    const QString split = m_filters->tickedLanguageSplit();
    return split.isEmpty() ? QString() : tr("（%1）").arg(split);
}

void TickedSongsExport::copyTickedSongs(std::span<const SongColumn> columns)
{
    QBuffer lines;
    lines.open(QIODevice::WriteOnly);
    const TickedSongs songs = m_songs->tickedSongs();
    writeTickedRows(songs, columns, lines);
    const TextEncoding encoding = songs.table ? songs.table->encoding() : TextEncoding::Gbk;
    QGuiApplication::clipboard()->setText(decodeText(lines.data(), encoding));
}
