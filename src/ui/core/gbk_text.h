#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Search files, the settings file and every export are GBK bytes. Text is decoded only to be
// shown and encoded only when the user typed it; file content is never round-tripped through
// QString, because a decoder maps invalid bytes to characters that do not encode back.
namespace Gbk {

// Bytes that are not GBK (and NUL) show as U+FFFD, one per byte, so nothing shifts. The byte 0x80
// is €, as code page 936 writes it, and € encodes back to it.
QString decode(QByteArrayView bytes);
QByteArray encode(QStringView text);

// Whether a byte starts a double-byte character. Its trail byte may be '|' (0x7C), so separators
// are only found at character boundaries.
constexpr bool isLeadByte(char byte)
{
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x81 && value <= 0xFE;
}

// Length of the character that starts at bytes[index]: 2 for a lead byte that has a byte after
// it, 1 otherwise.
inline qsizetype characterLength(QByteArrayView bytes, qsizetype index)
{
    return isLeadByte(bytes[index]) && index + 1 < bytes.size() ? 2 : 1;
}

// True when `at` starts a character of a text in which `boundary` (at or before `at`) is known to
// start one. A byte that cannot lead a character always ends one, so only the run of lead-range
// bytes right before `at` needs pairing up.
inline bool startsCharacter(const char *boundary, const char *at)
{
    const char *runStart = at;
    while (runStart > boundary && isLeadByte(runStart[-1]))
        --runStart;
    return (at - runStart) % 2 == 0;
}

} // namespace Gbk
