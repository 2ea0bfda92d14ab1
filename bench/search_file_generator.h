#pragma once

#include <QByteArray>
#include <QtGlobal>

struct SearchFileOptions
{
    qsizetype lineCount = 0;
    quint64 seed = 1;
    // Lines with too few fields (and as many empty lines) per million, as hand-edited files have.
    int malformedLinesPerMillion = 50;
    // Chinese songs sung by two singers ("陳慧琳&劉德華", "…、…"), per thousand. Drawn from random
    // numbers of their own, so every other field is as without them.
    int duetsPerThousand = 30;
};

// A search file as a KTV song system writes it: GBK text, CR LF lines, "||" between fields,
// traditional and simplified Chinese names and singers, codes in ascending order, paths such as
// 國語\10000001.mpg and a few fields after the singer. Traditional characters whose second byte
// is '|' (東, 億, 瑋 ...) end a field now and then; a few songs are duets. The same options always
// give the same bytes.
QByteArray generateSearchFile(const SearchFileOptions &options);
