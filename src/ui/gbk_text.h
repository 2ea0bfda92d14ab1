#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Search files, the settings file and every export are GBK bytes. Text is decoded only to be
// shown and encoded only when the user typed it; file content is never round-tripped through
// QString, because a decoder maps invalid bytes to characters that do not encode back.
namespace Gbk {

// Bytes that are not GBK (and NUL) show as U+FFFD, one per byte, so nothing shifts.
QString decode(QByteArrayView bytes);
QByteArray encode(QStringView text);

// Length of the character that starts at bytes[index]: 2 for a lead byte (0x81..0xFE) that has a
// byte after it, 1 otherwise. A trail byte may be '|' (0x7C), so separators are only found at
// character boundaries.
inline qsizetype characterLength(QByteArrayView bytes, qsizetype index)
{
    const auto byte = static_cast<unsigned char>(bytes[index]);
    return byte >= 0x81 && byte <= 0xFE && index + 1 < bytes.size() ? 2 : 1;
}

} // namespace Gbk
