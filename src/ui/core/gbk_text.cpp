#include "ui/core/gbk_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Gbk {
namespace {

constexpr QChar replacementCharacter(QChar::ReplacementCharacter);
// Code page 936 writes € as the single byte 0x80, which GB18030 leaves undefined.
constexpr char euroByte = '\x80';
constexpr QChar euro(0x20AC);

// Length of the valid character at index, or 0 when the byte there cannot start one.
qsizetype validCharacterLength(QByteArrayView bytes, qsizetype index)
{
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char first = at(index);
    if (first == 0)
        return 0;
    if (first < 0x80)
        return 1;
    if (!isLeadByte(bytes[index]) || index + 1 >= bytes.size())
        return 0;
    const unsigned char second = at(index + 1);
    if (second >= 0x40 && second <= 0xFE && second != 0x7F)
        return 2;
    // GB18030 four-byte form; GBK files do not use it, but a decoder that shows it costs nothing.
    if (second >= 0x30 && second <= 0x39 && index + 3 < bytes.size() && isLeadByte(bytes[index + 2])
        && at(index + 3) >= 0x30 && at(index + 3) <= 0x39)
        return 4;
    return 0;
}

QStringDecoder &decoder()
{
    thread_local QStringDecoder gb18030("GB18030", QStringDecoder::Flag::Stateless);
    return gb18030;
}

} // namespace

QString decode(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    qsizetype runStart = 0;
    qsizetype index = 0;
    bool ascii = true;
    const auto flushRun = [&](qsizetype end) {
        const QByteArrayView run = bytes.sliced(runStart, end - runStart);
        if (run.isEmpty())
            return;
        if (ascii)
            text += QLatin1StringView(run.data(), run.size());
        else
            text += decoder().decode(run);
    };
    while (index < bytes.size()) {
        if (bytes[index] == euroByte) {
            flushRun(index);
            text += euro;
            runStart = ++index;
            ascii = true;
            continue;
        }
        const qsizetype length = validCharacterLength(bytes, index);
        if (length == 0) {
            flushRun(index);
            text += replacementCharacter;
            ++index;
            runStart = index;
            ascii = true;
            continue;
        }
        ascii = ascii && length == 1;
        index += length;
    }
    flushRun(index);
    return text;
}

QByteArray encode(QStringView text)
{
    thread_local QStringEncoder gb18030("GB18030", QStringEncoder::Flag::Stateless);
    QByteArray bytes;
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(euro); at >= 0; at = text.indexOf(euro, from)) {
        bytes += gb18030.encode(text.sliced(from, at - from));
        bytes += euroByte;
        from = at + 1;
    }
    bytes += gb18030.encode(text.sliced(from));
    return bytes;
}

} // namespace Gbk
