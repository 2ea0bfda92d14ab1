#include "songs/gbk_folding.h"

#include "songs/unihan_data.h"
#include "ui/core/gbk_text.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace GbkFolding {
namespace {

struct Table
{
    std::array<std::uint16_t, 0x10000> pairs {};
    std::array<char, 0x80> ascii {};
    // The pairs that fold to each pair: those of folded pair p at
    // unfoldedPairs[unfoldedStart[p] .. unfoldedStart[p + 1]).
    std::vector<std::uint32_t> unfoldedStart;
    std::vector<std::uint16_t> unfoldedPairs;
};

bool isGbkTrail(unsigned char byte)
{
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

// Every GBK character goes through the transliterator in one string, one per line: one call
// instead of twenty thousand.
void addSimplifiedForms(Table &table)
{
    std::vector<std::uint16_t> characters;
    QString all;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (!isGbkTrail(static_cast<unsigned char>(trail)))
                continue;
            const char bytes[2] = { static_cast<char>(lead), static_cast<char>(trail) };
            const QString character = Gbk::decode(QByteArrayView(bytes, 2));
            if (character.size() != 1 || character[0] == QChar::ReplacementCharacter)
                continue;
            characters.push_back(static_cast<std::uint16_t>(lead << 8 | trail));
            all += character;
            all += u'\n';
        }
    }
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::Transliterator> simplify(icu::Transliterator::createInstance(
        icu::UnicodeString::fromUTF8("Traditional-Simplified"), UTRANS_FORWARD, status));
    if (U_FAILURE(status) || !simplify)
        return;
    icu::UnicodeString text(reinterpret_cast<const char16_t *>(all.utf16()), int32_t(all.size()));
    simplify->transliterate(text);
    const QString simplified
        = QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
    const QStringList forms = simplified.split(u'\n');
    if (forms.size() != qsizetype(characters.size()) + 1)
        return;
    const auto pairOf = [](const QString &form) -> std::optional<std::uint16_t> {
        const QByteArray folded = Gbk::encode(form);
        if (folded.size() != 2 || !Gbk::isLeadByte(folded[0])
            || !isGbkTrail(static_cast<unsigned char>(folded[1])))
            return std::nullopt;
        return static_cast<std::uint16_t>(
            static_cast<unsigned char>(folded[0]) << 8 | static_cast<unsigned char>(folded[1]));
    };
    for (std::size_t index = 0; index < characters.size(); ++index) {
        if (const auto folded = pairOf(forms[qsizetype(index)]))
            table.pairs[characters[index]] = *folded;
    }
    // Unihan's simplified variants fill what the transliterator leaves unchanged (嫺 → 娴).
    const std::uint32_t *variantsEnd = UnihanData::variantsFrom + UnihanData::variantCount;
    for (std::size_t index = 0; index < characters.size(); ++index) {
        const std::uint16_t character = characters[index];
        if (table.pairs[character] != character)
            continue;
        const char32_t code = all[qsizetype(index) * 2].unicode();
        const std::uint32_t *found = std::lower_bound(UnihanData::variantsFrom, variantsEnd, code);
        if (found == variantsEnd || *found != code)
            continue;
        const char32_t target = UnihanData::variantsTo[found - UnihanData::variantsFrom];
        if (target > 0xFFFF)
            continue;
        if (const auto folded = pairOf(QString(QChar(char16_t(target)))))
            table.pairs[character] = table.pairs[*folded];
    }
}

const Table &table()
{
    static const std::unique_ptr<const Table> built = [] {
        auto made = std::make_unique<Table>();
        for (std::size_t pair = 0; pair < made->pairs.size(); ++pair)
            made->pairs[pair] = static_cast<std::uint16_t>(pair);
        for (std::size_t byte = 0; byte < made->ascii.size(); ++byte)
            made->ascii[byte] = static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
        addSimplifiedForms(*made);
        made->unfoldedStart.assign(made->pairs.size() + 1, 0);
        for (const std::uint16_t folded : made->pairs)
            ++made->unfoldedStart[std::size_t(folded) + 1];
        for (std::size_t pair = 1; pair < made->unfoldedStart.size(); ++pair)
            made->unfoldedStart[pair] += made->unfoldedStart[pair - 1];
        made->unfoldedPairs.resize(made->pairs.size());
        std::vector<std::uint32_t> next(made->unfoldedStart.begin(), made->unfoldedStart.end() - 1);
        for (std::size_t pair = 0; pair < made->pairs.size(); ++pair)
            made->unfoldedPairs[next[made->pairs[pair]]++] = static_cast<std::uint16_t>(pair);
        return made;
    }();
    return *built;
}

} // namespace

void foldLine(QByteArrayView line, char *out)
{
    const Table &folding = table();
    const auto *in = reinterpret_cast<const unsigned char *>(line.data());
    const qsizetype size = line.size();
    qsizetype at = 0;
    while (at < size) {
        const unsigned char byte = in[at];
        if (byte < 0x80) {
            out[at] = folding.ascii[byte];
            ++at;
        } else if (Gbk::isLeadByte(char(byte)) && at + 1 < size) {
            const std::uint16_t folded = folding.pairs[std::size_t(byte) << 8 | in[at + 1]];
            out[at] = static_cast<char>(folded >> 8);
            out[at + 1] = static_cast<char>(folded & 0xFF);
            at += 2;
        } else {
            out[at] = static_cast<char>(byte);
            ++at;
        }
    }
}

std::vector<QByteArray> unfolded(QByteArrayView folded)
{
    std::vector<QByteArray> characters;
    if (folded.size() == 1) {
        characters.emplace_back(folded.data(), 1);
        const char byte = folded[0];
        if (byte >= 'a' && byte <= 'z')
            characters.emplace_back(1, static_cast<char>(byte - 32));
        return characters;
    }
    const Table &folding = table();
    const std::size_t pair = std::size_t(static_cast<unsigned char>(folded[0])) << 8
        | static_cast<unsigned char>(folded[1]);
    for (std::uint32_t at = folding.unfoldedStart[pair]; at < folding.unfoldedStart[pair + 1];
         ++at) {
        const std::uint16_t bytes = folding.unfoldedPairs[at];
        QByteArray character(2, Qt::Uninitialized);
        character[0] = static_cast<char>(bytes >> 8);
        character[1] = static_cast<char>(bytes & 0xFF);
        characters.push_back(character);
    }
    return characters;
}

void prepare()
{
    table();
}

} // namespace GbkFolding
