#include "songs/recovered_ticks.h"

#include <QBuffer>
#include <QIODevice>
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

// The fingerprint of bytes given in pieces of any size: the same as of all of them at once.
class FingerprintStream
{
public:
    void add(QByteArrayView bytes)
    {
        // An empty view may have no data at all, which memcpy must not be given.
        if (bytes.isEmpty())
            return;
        m_size += bytes.size();
        const char *at = bytes.data();
        const char *const end = at + bytes.size();
        if (m_pending > 0) {
            const qsizetype taken = std::min<qsizetype>(blockSize - m_pending, end - at);
            std::memcpy(m_block + m_pending, at, std::size_t(taken));
            m_pending += taken;
            at += taken;
            if (m_pending < blockSize)
                return;
            mix(m_block);
            m_pending = 0;
        }
        for (; end - at >= blockSize; at += blockSize)
            mix(at);
        m_pending = end - at;
        std::memcpy(m_block, at, std::size_t(m_pending));
    }

    quint64 result() const
    {
        quint64 tail = 0;
        for (qsizetype at = 0; at < m_pending; ++at)
            tail ^= quint64(quint8(m_block[at])) << (8 * at % 64);
        quint64 hash = quint64(m_size) * prime1 ^ tail * prime2;
        for (const quint64 lane : m_lanes) {
            hash = (hash ^ lane) * prime2;
            hash ^= hash >> 29;
        }
        return hash ^ (hash >> 32);
    }

private:
    static constexpr qsizetype blockSize = 32;

    void mix(const char *block)
    {
        for (int lane = 0; lane < 4; ++lane)
            m_lanes[lane]
                = std::rotl(m_lanes[lane] ^ (load64(block + 8 * lane) * prime2), 31) * prime1;
    }

    quint64 m_lanes[4] = { prime1, prime2, prime1 ^ prime2, ~prime1 };
    char m_block[blockSize] = {};
    qsizetype m_pending = 0;
    qint64 m_size = 0;
};

// Writes through a small buffer, never holding the whole file (a million codes are 9 MB), and
// ends it with the checksum of all it wrote.
class Writer
{
public:
    explicit Writer(QIODevice &device)
        : m_device(device)
    {
        m_buffer.reserve(bufferSize);
    }
    void bytes(QByteArrayView bytes)
    {
        if (m_buffer.size() + std::size_t(bytes.size()) > bufferSize)
            flush();
        if (bytes.size() >= bufferSize)
            write(bytes);
        else
            m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    }
    template <typename Number> void number(Number value)
    {
        const Number little = qToLittleEndian(value);
        bytes(QByteArrayView(reinterpret_cast<const char *>(&little), sizeof little));
    }
    void text(QByteArrayView text)
    {
        number(quint64(text.size()));
        bytes(text);
    }
    // False when a write failed.
    bool finish()
    {
        flush();
        const quint64 checksum = qToLittleEndian(m_fingerprint.result());
        m_ok = m_ok
            && m_device.write(reinterpret_cast<const char *>(&checksum), sizeof checksum)
                == sizeof checksum;
        return m_ok;
    }

private:
    static constexpr qsizetype bufferSize = 64 * 1024;

    void flush()
    {
        write(QByteArrayView(m_buffer.data(), qsizetype(m_buffer.size())));
        m_buffer.clear();
    }
    void write(QByteArrayView bytes)
    {
        m_fingerprint.add(bytes);
        m_ok = m_ok && m_device.write(bytes.data(), bytes.size()) == bytes.size();
    }

    QIODevice &m_device;
    std::vector<char> m_buffer;
    FingerprintStream m_fingerprint;
    bool m_ok = true;
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
    FingerprintStream fingerprint;
    fingerprint.add(bytes);
    return fingerprint.result();
}

SearchFileIdentity identifySearchFile(const QString &path, QByteArrayView bytes)
{
    return { path, bytes.size(), contentFingerprint(bytes) };
}

namespace {

// The recovery file of `count` codes, `codesSize` bytes with their line breaks, which
// `writeCodes` writes; false when a write failed.
template <typename WriteCodes>
bool encode(QIODevice &device, const SearchFileIdentity &file, qsizetype count, qsizetype codesSize,
    const WriteCodes &writeCodes)
{
    Writer out(device);
    out.bytes(magic);
    out.number(version);
    out.text(file.path.toUtf8());
    out.number(qint64(file.size));
    out.number(file.fingerprint);
    out.number(qint64(count));
    out.number(quint64(codesSize));
    writeCodes(out);
    return out.finish();
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
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    encode(buffer, file, count, codes.size(), [this](Writer &out) { out.bytes(codes); });
    return bytes;
}

bool RecoveredTicks::write(QIODevice &device, const SearchFileIdentity &file,
    const SongTable &table, const TickMarks &ticks)
{
    const CodesSize codes = tickedCodes(table, ticks);
    return encode(device, file, codes.count, codes.size, [&](Writer &out) {
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
