#include "songs/pinyin_readings.h"

#include "songs/gbk_folding.h"
#include "songs/unihan_data.h"
#include "ui/core/gbk_text.h"

#include <QString>

#include <algorithm>
#include <memory>
#include <vector>

namespace PinyinReadings {
namespace {

constexpr std::size_t firstPair = 0x8000;
constexpr std::size_t pairCount = 0x8000;
constexpr std::uint16_t noReading = 0xFFFF;

struct Table
{
    // The readings of pair p at ids[starts[p - firstPair] .. starts[p - firstPair + 1]).
    std::vector<std::uint32_t> starts;
    std::vector<std::uint16_t> ids;
    std::vector<std::uint16_t> customary;
    std::vector<std::uint32_t> letters;
};

// The index of a code point in UnihanData::characters, or -1.
std::ptrdiff_t characterIndex(char32_t code)
{
    const std::uint32_t *begin = UnihanData::characters;
    const std::uint32_t *end = begin + UnihanData::characterCount;
    const std::uint32_t *found = std::lower_bound(begin, end, code);
    return found != end && *found == code ? found - begin : -1;
}

std::span<const std::uint16_t> dictionaryReadings(std::ptrdiff_t index)
{
    if (index < 0)
        return {};
    const std::uint32_t start = UnihanData::readingStarts[index];
    return { UnihanData::readings + start, UnihanData::readingStarts[index + 1] - start };
}

std::span<const std::uint16_t> looseReadings(std::ptrdiff_t index)
{
    if (index < 0)
        return {};
    const std::uint32_t start = UnihanData::looseReadingStarts[index];
    return { UnihanData::looseReadings + start, UnihanData::looseReadingStarts[index + 1] - start };
}

std::uint16_t customaryOf(std::ptrdiff_t index)
{
    return index < 0 ? noReading : UnihanData::customaryReadings[index];
}

// The single code point a GBK pair stands for, or 0.
char32_t codePointOf(std::uint16_t pair)
{
    const char bytes[2] = { static_cast<char>(pair >> 8), static_cast<char>(pair & 0xFF) };
    const QString character = Gbk::decode(QByteArrayView(bytes, 2));
    return character.size() == 1 && character[0] != QChar::ReplacementCharacter
        ? character[0].unicode()
        : 0;
}

const Table &table()
{
    static const std::unique_ptr<const Table> built = [] {
        auto made = std::make_unique<Table>();
        made->starts.reserve(pairCount + 1);
        made->customary.assign(pairCount, noReading);
        made->letters.assign(pairCount, 0);
        for (std::size_t offset = 0; offset < pairCount; ++offset) {
            made->starts.push_back(static_cast<std::uint32_t>(made->ids.size()));
            const auto pair = static_cast<std::uint16_t>(firstPair + offset);
            if (pair >> 8 == 0x80 || (pair & 0xFF) < 0x40 || (pair & 0xFF) == 0x7F
                || (pair & 0xFF) == 0xFF)
                continue;
            const char32_t code = codePointOf(pair);
            if (code == 0)
                continue;
            const std::ptrdiff_t own = characterIndex(code);
            char folded[2];
            const char bytes[2] = { static_cast<char>(pair >> 8), static_cast<char>(pair & 0xFF) };
            GbkFolding::foldLine(QByteArrayView(bytes, 2), folded);
            const auto foldedPair = static_cast<std::uint16_t>(
                static_cast<unsigned char>(folded[0]) << 8 | static_cast<unsigned char>(folded[1]));
            const std::ptrdiff_t simplified
                = foldedPair == pair ? -1 : characterIndex(codePointOf(foldedPair));
            std::span<const std::uint16_t> readings = dictionaryReadings(own);
            if (readings.empty())
                readings = dictionaryReadings(simplified);
            std::uint16_t customary = customaryOf(own);
            if (customary == noReading)
                customary = customaryOf(simplified);
            made->ids.insert(made->ids.end(), readings.begin(), readings.end());
            if (readings.empty()) {
                // In neither modern dictionary: the customary reading and the old dictionary's.
                if (customary != noReading)
                    made->ids.push_back(customary);
                std::span<const std::uint16_t> loose = looseReadings(own);
                if (loose.empty())
                    loose = looseReadings(simplified);
                for (const std::uint16_t id : loose) {
                    if (id != customary)
                        made->ids.push_back(id);
                }
            }
            if (customary == noReading && !readings.empty())
                customary = readings.front();
            made->customary[offset] = customary;
            for (std::uint32_t at = made->starts.back(); at < made->ids.size(); ++at)
                made->letters[offset] |= 1u << (UnihanData::syllables[made->ids[at]][0] - 'a');
        }
        made->starts.push_back(static_cast<std::uint32_t>(made->ids.size()));
        return made;
    }();
    return *built;
}

} // namespace

std::string_view syllable(std::uint16_t id)
{
    return UnihanData::syllables[id];
}

std::size_t syllableCount()
{
    return UnihanData::syllableCount;
}

std::span<const std::uint16_t> readings(std::uint16_t pair)
{
    if (pair < firstPair)
        return {};
    const Table &readings = table();
    const std::size_t offset = pair - firstPair;
    return { readings.ids.data() + readings.starts[offset],
        readings.starts[offset + 1] - readings.starts[offset] };
}

int customaryReading(std::uint16_t pair)
{
    if (pair < firstPair)
        return -1;
    const std::uint16_t id = table().customary[pair - firstPair];
    return id == noReading ? -1 : id;
}

std::uint32_t firstLetters(std::uint16_t pair)
{
    return pair < firstPair ? 0 : table().letters[pair - firstPair];
}

const std::uint32_t *firstLettersFrom8000()
{
    return table().letters.data();
}

void prepare()
{
    table();
}

} // namespace PinyinReadings
