#include "venue_songs.h"

#include "songs/search_file_analysis.h"
#include "ui/core/gbk_text.h"

#include <QStringList>

QByteArray searchFileLine(const VenueSong &song, TextEncoding encoding)
{
    const QString line = QStringList { u"0"_qs, song.code, u"a\\"_qs + song.code + u".mpg"_qs,
        song.name, u"X"_qs, u"5"_qs, song.category, song.language, song.singer }
                             .join(u"||"_qs);
    return (encoding == TextEncoding::Gbk ? Gbk::encode(line) : line.toUtf8()) + "\r\n";
}

SongTable venueTable(const QList<VenueSong> &songs, TextEncoding encoding)
{
    QByteArray text;
    for (const VenueSong &song : songs)
        text += searchFileLine(song, encoding);
    return analyseSearchFile(text, encoding).table;
}
