#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// The pinyin readings of every GBK double-byte character, named by the GBK pair
// (lead byte << 8 | trail byte). A character reads as the modern dictionaries give it (kTGHZ2013,
// or kXHC1983 for a character the newer one lacks: 长 cháng and zhǎng, but 广 no longer ān); one
// in neither reads like its simplified form (長 like 长), then as kMandarin and kHanyuPinyin give
// it (the Cantonese 咁 reads hán, xián and gàn). Tones are
// dropped and ü is written v. The table is built once, from tables generated at build time.
namespace PinyinReadings {

// Every syllable a character can read as, by number.
std::string_view syllable(std::uint16_t id);
std::size_t syllableCount();

// The readings of a character; none for a character that is not Chinese.
std::span<const std::uint16_t> readings(std::uint16_t pair);
// The one customary reading (kMandarin) of a character, or -1.
int customaryReading(std::uint16_t pair);
// Bit n set when a reading starts with letter 'a' + n.
std::uint32_t firstLetters(std::uint16_t pair);
// The same for every pair from 0x8000 on, indexed by pair - 0x8000: for loops over many
// characters (the analysis of a million songs: 0.10 s instead of 0.11 s of processor time).
const std::uint32_t *firstLettersFrom8000();

// Builds the table now rather than at the first use.
void prepare();

} // namespace PinyinReadings
