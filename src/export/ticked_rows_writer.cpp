#include "export/ticked_rows_writer.h"

#include <cstring>
#include <vector>

bool writeTickedRows(
    const TickedSongs &songs, std::span<const SongColumn> columns, QIODevice &device)
{
    if (!songs.table)
        return true;
    // A million codes measured 0.015-0.019 s of processor time written straight through this
    // buffer, against 0.019-0.025 s collected into a fresh 10 MB one and written.
    constexpr qsizetype bufferSize = 64 * 1024;
    std::vector<char> buffer(bufferSize);
    qsizetype used = 0;
    bool written = true;
    const auto put = [&](const char *data, qsizetype size) {
        if (used + size > bufferSize) {
            written = written && device.write(buffer.data(), used) == used;
            used = 0;
            // A field longer than the buffer goes out on its own.
            if (size > bufferSize) {
                written = written && device.write(data, size) == size;
                return;
            }
        }
        std::memcpy(buffer.data() + used, data, std::size_t(size));
        used += size;
    };
    songs.ticks->forEachTicked([&](qsizetype row) {
        if (!written)
            return;
        for (std::size_t at = 0; at < columns.size(); ++at) {
            const QByteArrayView field = songs.table->field(row, columns[at]);
            put(field.data(), field.size());
            if (at + 1 < columns.size())
                put("\t", 1);
        }
        put("\r\n", 2);
    });
    return written && device.write(buffer.data(), used) == used;
}
