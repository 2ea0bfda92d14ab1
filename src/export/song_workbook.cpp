#include "export/song_workbook.h"

#include "songs/song_table.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>

namespace {

constexpr qsizetype progressInterval = 4096;

QString cancelledReason()
{
    return QCoreApplication::translate("WorkbookExport", "导出已取消");
}

bool isPlainAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte != 0 && byte < 0x80;
    });
}

// An upper bound of the sheets' XML, to ask for ZIP64 only when a part may pass 4 GB: markup per
// cell, and text that may grow threefold in UTF-8 and again when escaped.
bool mayNeedLargeParts(const SongTable &table)
{
    constexpr qint64 markupPerCell = 64;
    constexpr qint64 textGrowth = 6;
    constexpr qint64 partLimit = qint64(3) << 30;
    qint64 size = 0;
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        size += markupPerCell * songColumnCount;
        for (int column = 0; column < songColumnCount; ++column)
            size += textGrowth * table.field(row, static_cast<SongColumn>(column)).size();
        if (size > partLimit)
            return true;
    }
    return false;
}

} // namespace

QString writeSongWorkbook(const SongTable &table, const QString &path,
    const WorkbookProgress &progress, qsizetype rowsPerSheet)
{
    const qsizetype rowCount = table.rowCount();
    WorkbookWriter writer(path, { rowsPerSheet, mayNeedLargeParts(table) });
    if (!writer.error().isEmpty())
        return writer.error();

    std::array<QByteArray, songColumnCount> decoded;
    std::array<QByteArrayView, songColumnCount> cells;
    for (qsizetype row = 0; row < rowCount; ++row) {
        for (int column = 0; column < songColumnCount; ++column) {
            const QByteArrayView field = table.field(row, static_cast<SongColumn>(column));
            if (isPlainAscii(field)) {
                cells[column] = field;
            } else {
                decoded[column] = table.text(row, static_cast<SongColumn>(column)).toUtf8();
                cells[column] = decoded[column];
            }
        }
        if (!writer.appendRow(cells))
            return writer.error();
        const qsizetype written = row + 1;
        if (progress && (written % progressInterval == 0 || written == rowCount)
            && !progress(written, rowCount))
            return cancelledReason();
    }
    if (rowCount == 0 && progress && !progress(0, 0))
        return cancelledReason();
    return writer.finish();
}
