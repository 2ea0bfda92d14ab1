#pragma once

#include <cstddef>
#include <cstdint>

// Tables generated at build time from Unicode's Unihan database (Debian's unicode-data), by
// make_unihan_tables. Code points are those of the Basic Multilingual Plane.
namespace UnihanData {

// Toneless pinyin syllables, ü written v, in byte order; readings name them by index.
extern const char *const syllables[];
extern const std::size_t syllableCount;

// The characters with a reading, ascending. Character i reads
// readings[readingStarts[i] .. readingStarts[i + 1]): those of kTGHZ2013, or of kXHC1983 for a
// character the newer dictionary lacks (possibly none); customaryReadings[i] is its first
// kMandarin value, or 0xFFFF.
extern const std::uint32_t characters[];
extern const std::size_t characterCount;
extern const std::uint32_t readingStarts[];
extern const std::uint16_t readings[];
extern const std::uint16_t customaryReadings[];
// For a character neither dictionary lists, its kHanyuPinyin readings, at
// looseReadings[looseReadingStarts[i] .. looseReadingStarts[i + 1]); none for the others.
extern const std::uint32_t looseReadingStarts[];
extern const std::uint16_t looseReadings[];

// Characters and their simplified form (kSimplifiedVariant), ascending by variantsFrom.
extern const std::uint32_t variantsFrom[];
extern const std::uint32_t variantsTo[];
extern const std::size_t variantCount;

} // namespace UnihanData
