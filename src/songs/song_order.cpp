#include "songs/song_order.h"

#include "ui/gbk_text.h"

#include <unicode/ucol.h>

#include <QMetaObject>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

struct CollatorCloser
{
    void operator()(UCollator *collator) const { ucol_close(collator); }
};

// A cell's place in the order as bytes compared with memcmp.
void appendKey(QByteArrayView cell, UCollator *collator, std::vector<std::uint8_t> &keys)
{
    if (cell.isEmpty()) {
        keys.push_back(0);
        return;
    }
    if (std::all_of(cell.begin(), cell.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        // Leading zeros dropped, then the digit count: numbers compare by length, then digits.
        while (cell.size() > 1 && cell.front() == '0')
            cell = cell.sliced(1);
        keys.push_back(1);
        keys.push_back(static_cast<std::uint8_t>(std::min<qsizetype>(cell.size(), 255)));
        keys.insert(keys.end(), cell.begin(), cell.end());
        return;
    }
    keys.push_back(2);
    const QString text = Gbk::decode(cell);
    const auto *characters = reinterpret_cast<const UChar *>(text.utf16());
    const std::size_t start = keys.size();
    keys.resize(start + 64);
    int32_t length = ucol_getSortKey(collator, characters, int32_t(text.size()), &keys[start], 64);
    if (length > 64) {
        keys.resize(start + std::size_t(length));
        ucol_getSortKey(collator, characters, int32_t(text.size()), &keys[start], length);
    }
    // The key's closing zero is left out.
    keys.resize(start + std::size_t(std::max(length - 1, 0)));
}

} // namespace

std::optional<std::vector<std::uint32_t>> sortedRows(
    const QByteArray &text, std::span<const ByteSpan> cells, const std::atomic<bool> &stop)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UCollator, CollatorCloser> collator(ucol_open("zh", &status));
    if (U_FAILURE(status))
        return std::nullopt;

    // All keys in one buffer; the first eight bytes of each beside its row make most
    // comparisons one integer compare.
    std::vector<std::uint8_t> keys;
    keys.reserve(cells.size() * 16);
    std::vector<std::uint32_t> keyStarts;
    keyStarts.reserve(cells.size() + 1);
    struct Entry
    {
        std::uint64_t prefix;
        std::uint32_t row;
    };
    std::vector<Entry> entries(cells.size());
    for (std::size_t row = 0; row < cells.size(); ++row) {
        if (row % 16384 == 0 && stop.load(std::memory_order_relaxed))
            return std::nullopt;
        keyStarts.push_back(static_cast<std::uint32_t>(keys.size()));
        appendKey(QByteArrayView(text.constData() + cells[row].offset, cells[row].length),
            collator.get(), keys);
        std::uint64_t prefix = 0;
        const std::size_t length = keys.size() - keyStarts.back();
        for (std::size_t byte = 0; byte < 8; ++byte)
            prefix = prefix << 8 | (byte < length ? keys[keyStarts.back() + byte] : 0);
        entries[row] = { prefix, static_cast<std::uint32_t>(row) };
    }
    keyStarts.push_back(static_cast<std::uint32_t>(keys.size()));
    if (stop.load())
        return std::nullopt;

    const auto keyOf = [&](std::uint32_t row) {
        return std::span(keys.data() + keyStarts[row], keyStarts[row + 1] - keyStarts[row]);
    };
    std::sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const auto keyA = keyOf(a.row);
        const auto keyB = keyOf(b.row);
        const auto order = std::lexicographical_compare_three_way(
            keyA.begin(), keyA.end(), keyB.begin(), keyB.end());
        if (order != 0)
            return order < 0;
        return a.row < b.row;
    });
    std::vector<std::uint32_t> rows(entries.size());
    for (std::size_t index = 0; index < entries.size(); ++index)
        rows[index] = entries[index].row;
    return rows;
}

SongSorter::SongSorter(QObject *parent)
    : QObject(parent)
{
}

SongSorter::~SongSorter()
{
    m_jobs.stopAll();
    m_jobs.waitForDone();
}

quint64 SongSorter::sort(const SongTable &table, SongColumn column)
{
    std::vector<ByteSpan> cells(static_cast<std::size_t>(table.rowCount()));
    const char *const text = table.bytes().constData();
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        const QByteArrayView cell = table.field(row, column);
        cells[std::size_t(row)] = { static_cast<std::uint32_t>(cell.data() - text),
            static_cast<std::uint32_t>(cell.size()) };
    }
    const quint64 request = ++m_lastRequest;
    m_jobs.start([this, request, text = table.bytes(), cells = std::move(cells)](
                     const std::atomic<bool> &stop) {
        std::optional<std::vector<std::uint32_t>> rows = sortedRows(text, cells, stop);
        if (!rows)
            return;
        RowList result = std::make_shared<const std::vector<std::uint32_t>>(std::move(*rows));
        QMetaObject::invokeMethod(
            this, [this, request, result] { emit sorted(request, result); }, Qt::QueuedConnection);
    });
    return request;
}

void SongSorter::waitForDone()
{
    m_jobs.waitForDone();
}
