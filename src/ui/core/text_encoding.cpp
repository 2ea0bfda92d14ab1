#include "ui/core/text_encoding.h"

#include "ui/core/gbk_text.h"

#include <QCoreApplication>
#include <QLocale>

#include <cstdint>
#include <cstring>

namespace {

// The first byte at or above 0x80, eight bytes at a time: most of a large file is ASCII.
const char *firstNonAscii(const char *at, const char *end)
{
    constexpr std::uint64_t highBits = 0x8080808080808080ull;
    for (; end - at >= 8; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, at, sizeof word);
        if (word & highBits)
            break;
    }
    while (at < end && static_cast<unsigned char>(*at) < 0x80)
        ++at;
    return at;
}

} // namespace

TextEncoding detectTextEncoding(QByteArrayView text)
{
    if (text.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8;
    const char *const end = text.data() + text.size();
    const char *const first = firstNonAscii(text.data(), end);
    if (first == end)
        return TextEncoding::Gbk;
    // Everything before `first` is ASCII, valid in both.
    return QByteArrayView(first, end - first).isValidUtf8() ? TextEncoding::Utf8
                                                            : TextEncoding::Gbk;
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Gbk)
        return Gbk::decode(bytes);
    QString text = QString::fromUtf8(bytes);
    text.replace(QChar(0), QChar(QChar::ReplacementCharacter));
    return text;
}

QString decodeShownText(QByteArrayView bytes, TextEncoding encoding)
{
    if (bytes.size() <= maxShownBytes)
        return decodeText(bytes, encoding);
    qsizetype cut = 0;
    if (encoding == TextEncoding::Gbk) {
        while (cut + Gbk::characterLength(bytes, cut) <= maxShownBytes)
            cut += Gbk::characterLength(bytes, cut);
    } else {
        cut = maxShownBytes;
        while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
            --cut;
    }
    return decodeText(bytes.first(cut), encoding)
        + QCoreApplication::translate("TextEncoding", "……（过长，已截断；全长 %1 字节）")
              .arg(QLocale::system().toString(bytes.size()));
}
