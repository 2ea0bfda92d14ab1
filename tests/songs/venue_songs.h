#pragma once

#include "songs/song_table.h"

#include <QList>
#include <QString>

// A search file's line (nine fields and CR LF) with what the venue filters read.
struct VenueSong
{
    QString code;
    QString name;
    QString singer;
    QString category = u"流行"_qs;
    QString language = u"國語"_qs;
};

QByteArray searchFileLine(const VenueSong &song, TextEncoding encoding = TextEncoding::Gbk);
// The table the analysis makes of these songs' lines.
SongTable venueTable(const QList<VenueSong> &songs, TextEncoding encoding = TextEncoding::Gbk);
