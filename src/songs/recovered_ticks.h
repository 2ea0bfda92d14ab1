#pragma once

#include "songs/song_table.h"
#include "songs/tick_marks.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class QIODevice;

// A search file as ticks are kept for it: the same path and size with other content is another
// file.
struct SearchFileIdentity
{
    QString path;
    qint64 size = 0;
    quint64 fingerprint = 0;
    bool operator==(const SearchFileIdentity &) const = default;
};

// 64 bits that differ for different bytes but for a chance of one in 2^64; stable between runs
// and machines. Four independent lanes of multiply and rotate keep 90 MB to a few milliseconds.
quint64 contentFingerprint(QByteArrayView bytes);
SearchFileIdentity identifySearchFile(const QString &path, QByteArrayView bytes);

// Ticks not exported yet, kept so that a crash or a power cut loses none: the code of each
// ticked song, in file order.
struct RecoveredTicks
{
    SearchFileIdentity file;
    QByteArray codes; // each code followed by '\n'
    qsizetype count = 0; // codes, one a ticked song

    static RecoveredTicks of(
        SearchFileIdentity file, const SongTable &table, const TickMarks &ticks);

    // A file of its own version with a checksum over all of it, so a torn or damaged copy reads
    // as nothing rather than as other ticks.
    QByteArray encoded() const;
    // The same as of(file, table, ticks).encoded(), written to `device` through a small buffer
    // instead of held whole; false when a write failed.
    static bool write(QIODevice &device, const SearchFileIdentity &file, const SongTable &table,
        const TickMarks &ticks);
    // Nothing when the bytes are not a whole, undamaged recovery of this version.
    static std::optional<RecoveredTicks> decode(QByteArrayView bytes);

private:
    struct CodesSize
    {
        qsizetype count = 0;
        qsizetype size = 0; // line breaks included
    };
    static CodesSize tickedCodes(const SongTable &table, const TickMarks &ticks);
};

// The rows whose code was ticked (every row of such a code, ascending) and how many of the codes
// no row has any more.
struct RestoredTicks
{
    std::vector<std::uint32_t> rows;
    qsizetype missingCodes = 0;
};
RestoredTicks restoreTicks(const SongTable &table, const RecoveredTicks &recovered);
