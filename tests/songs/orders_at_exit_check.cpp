// Ranking still running when the application ends is waited for: a process that ended while its
// orders were being made read the folding tables after they were freed, and crashed now and
// then. Its own program, because the end of the application is what it checks.
#include "songs/search_file_analysis.h"
#include "songs/song_orders.h"

#include "ui/core/gbk_text.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    std::weak_ptr<const SongTable> table;
    {
        QCoreApplication app(argc, argv);
        // Enough distinct names that ranking them takes a good part of a second.
        QByteArray text;
        for (int song = 0; song < 200000; ++song) {
            text += "1||" + QByteArray::number(10000000 + song) + "||a.mpg||"
                + Gbk::encode(u"情歌"_qs + QString::number(song)) + "||x||4||流行||国语||"
                + QByteArray::number(song % 977) + "\r\n";
        }
        const auto made = std::make_shared<const SongTable>(analyseSearchFile(text).table);
        table = made;
        // Started, and let go at once, as a window closed while the ranks are made.
        SongOrders orders(made);
    }
    if (!table.expired()) {
        std::fputs("the orders' work still held the table after the application ended\n", stderr);
        return 1;
    }
    std::puts("the orders' work ended with the application");
    return 0;
}
