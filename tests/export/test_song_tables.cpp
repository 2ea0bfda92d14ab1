#include "test_song_tables.h"

SongTable makeSongTable(const QList<SongFields> &rows, TextEncoding encoding)
{
    QByteArray bytes;
    std::vector<SongRowSpans> spans;
    for (const SongFields &fields : rows) {
        SongRowSpans row {};
        for (int column = 0; column < songColumnCount; ++column) {
            row[column] = { static_cast<std::uint32_t>(bytes.size()),
                static_cast<std::uint32_t>(fields[column].size()) };
            bytes += fields[column];
            // Bytes between fields, as in a search file, so a reader that overruns a cell shows.
            bytes += "||";
        }
        spans.push_back(row);
    }
    return SongTable(bytes, std::move(spans), encoding);
}
