#include "songs/recovered_ticks.h"

#include <QtEndian>

#include <bit>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace {

constexpr QByteArrayView magic = "LANSHAN TICKS\n";
constexpr quint32 version = 1;
constexpr quint64 prime1 = 0x9E3779B97F4A7C15ull;
constexpr quint64 prime2 = 0xC2B2AE3D27D4EB4Full;

quint64 load64(const char *at)
{
    quint64 word;
    std::memcpy(&word, at, sizeof word);
    return qFromLittleEndian(word);
}

class Writer
{
public:
    explicit Writer(qsizetype size) { m_out.reserve(size); }
    void bytes(QByteArrayView bytes) { m_out.append(bytes); }
    template <typename Number> void number(Number value)
    {
        const Number little = qToLittleEndian(value);
        m_out.append(reinterpret_cast<const char *>(&little), sizeof little);
    }
    void text(QByteArrayView text)
    {
        number(quint64(text.size()));
        bytes(text);
    }
    QByteArray &out() { return m_out; }

private:
    QByteArray m_out;
};

// Every read checks that the bytes are there: a torn file ends early, a damaged one may claim
// any length.
class Reader
{
public:
    explicit Reader(QByteArrayView bytes)
        : m_rest(bytes)
    {
    }
    std::optional<QByteArrayView> bytes(qint64 count)
    {
        if (count < 0 || count > m_rest.size())
            return std::nullopt;
        const QByteArrayView taken = m_rest.first(count);
        m_rest = m_rest.sliced(count);
        return taken;
    }
    template <typename Number> std::optional<Number> number()
    {
        const std::optional<QByteArrayView> taken = bytes(sizeof(Number));
        if (!taken)
            return std::nullopt;
        Number value;
        std::memcpy(&value, taken->data(), sizeof value);
        return qFromLittleEndian(value);
    }
    std::optional<QByteArrayView> text()
    {
        const std::optional<quint64> size = number<quint64>();
        if (!size || *size > quint64(m_rest.size()))
            return std::nullopt;
        return bytes(qint64(*size));
    }
    bool atEnd() const { return m_rest.isEmpty(); }

private:
    QByteArrayView m_rest;
};

std::string_view view(QByteArrayView bytes)
{
    return { bytes.data(), std::size_t(bytes.size()) };
}

} // namespace

quint64 contentFingerprint(QByteArrayView bytes)
{
    quint64 lanes[4] = { prime1, prime2, prime1 ^ prime2, ~prime1 };
    const char *at = bytes.data();
    const char *const blocksEnd = at + bytes.size() / 32 * 32;
    for (; at != blocksEnd; at += 32) {
        for (int lane = 0; lane < 4; ++lane)
            lanes[lane] = std::rotl(lanes[lane] ^ (load64(at + 8 * lane) * prime2), 31) * prime1;
    }
    quint64 tail = 0;
    const char *const end = bytes.data() + bytes.size();
    for (int shift = 0; at != end; ++at, shift += 8)
        tail ^= quint64(quint8(*at)) << (shift % 64);
    quint64 hash = quint64(bytes.size()) * prime1 ^ tail * prime2;
    for (const quint64 lane : lanes) {
        hash = (hash ^ lane) * prime2;
        hash ^= hash >> 29;
    }
    return hash ^ (hash >> 32);
}

SearchFileIdentity identifySearchFile(const QString &path, QByteArrayView bytes)
{
    return { path, bytes.size(), contentFingerprint(bytes) };
}

namespace {

// The recovery file of `count` codes, `codesSize` bytes with their line breaks, which
// `writeCodes` appends. Sized before it is written: grown as it goes, the 1M-song copy took twice
// its 9 MB (the array doubling), and the codes gathered on their own first as much again.
template <typename WriteCodes>
QByteArray encode(const SearchFileIdentity &file, qsizetype count, qsizetype codesSize,
    const WriteCodes &writeCodes)
{
    const QByteArray path = file.path.toUtf8();
    Writer out(magic.size() + qsizetype(sizeof(quint32)) + 6 * qsizetype(sizeof(quint64))
        + path.size() + codesSize);
    out.bytes(magic);
    out.number(version);
    out.text(path);
    out.number(qint64(file.size));
    out.number(file.fingerprint);
    out.number(qint64(count));
    out.number(quint64(codesSize));
    writeCodes(out);
    out.number(contentFingerprint(out.out()));
    return std::move(out.out());
}

} // namespace

RecoveredTicks RecoveredTicks::of(
    SearchFileIdentity file, const SongTable &table, const TickMarks &ticks)
{
    RecoveredTicks recovered { std::move(file), {}, 0 };
    recovered.codes.reserve(tickedCodes(table, ticks).size);
    ticks.forEachTicked([&](qsizetype row) {
        if (row >= table.rowCount())
            return;
        recovered.codes += table.field(row, SongColumn::Code);
        recovered.codes += '\n';
        ++recovered.count;
    });
    return recovered;
}

RecoveredTicks::CodesSize RecoveredTicks::tickedCodes(
    const SongTable &table, const TickMarks &ticks)
{
    CodesSize codes;
    ticks.forEachTicked([&](qsizetype row) {
        if (row >= table.rowCount())
            return;
        ++codes.count;
        codes.size += table.field(row, SongColumn::Code).size() + 1;
    });
    return codes;
}

QByteArray RecoveredTicks::encoded() const
{
    return encode(file, count, codes.size(), [this](Writer &out) { out.bytes(codes); });
}

QByteArray RecoveredTicks::encoded(
    const SearchFileIdentity &file, const SongTable &table, const TickMarks &ticks)
{
    const CodesSize codes = tickedCodes(table, ticks);
    return encode(file, codes.count, codes.size, [&](Writer &out) {
        ticks.forEachTicked([&](qsizetype row) {
            if (row >= table.rowCount())
                return;
            out.bytes(table.field(row, SongColumn::Code));
            out.bytes("\n");
        });
    });
}

std::optional<RecoveredTicks> RecoveredTicks::decode(QByteArrayView bytes)
{
    constexpr qsizetype checksumSize = sizeof(quint64);
    if (bytes.size() < magic.size() + checksumSize || !bytes.startsWith(magic))
        return std::nullopt;
    const QByteArrayView body = bytes.chopped(checksumSize);
    if (Reader(bytes.last(checksumSize)).number<quint64>() != contentFingerprint(body))
        return std::nullopt;
    Reader in(body.sliced(magic.size()));
    if (in.number<quint32>() != version)
        return std::nullopt;
    const std::optional<QByteArrayView> path = in.text();
    const std::optional<qint64> size = in.number<qint64>();
    const std::optional<quint64> fingerprint = in.number<quint64>();
    const std::optional<qint64> count = in.number<qint64>();
    const std::optional<QByteArrayView> codes = in.text();
    if (!path || !size || !fingerprint || !count || !codes || !in.atEnd()
        || *count != codes->count('\n') || (!codes->isEmpty() && !codes->endsWith('\n')))
        return std::nullopt;
    return RecoveredTicks { { QString::fromUtf8(*path), *size, *fingerprint }, codes->toByteArray(),
        *count };
}

RestoredTicks restoreTicks(const SongTable &table, const RecoveredTicks &recovered)
{
    // Each code, with whether the table has it.
    std::unordered_map<std::string_view, bool> codes;
    codes.reserve(std::size_t(recovered.count));
    for (QByteArrayView rest = recovered.codes; !rest.isEmpty();) {
        const qsizetype end = rest.indexOf('\n');
        codes.emplace(view(rest.first(end)), false);
        rest = rest.sliced(end + 1);
    }
    RestoredTicks restored;
    for (qsizetype row = 0; row < table.rowCount() && !codes.empty(); ++row) {
        const auto found = codes.find(view(table.field(row, SongColumn::Code)));
        if (found == codes.end())
            continue;
        found->second = true;
        restored.rows.push_back(std::uint32_t(row));
    }
    restored.missingCodes
        = std::count_if(codes.begin(), codes.end(), [](const auto &code) { return !code.second; });
    return restored;
}
