#pragma once

#include <QByteArrayView>
#include <QString>

// The encodings a search file is read in. Its bytes stay as they are; the encoding decides only
// where characters begin (for the field separators) and how text is shown.
enum class TextEncoding { Gbk, Utf8 };

// UTF-8 when the text starts with the UTF-8 byte-order mark, or is valid UTF-8 throughout and
// holds at least one multi-byte character; GBK otherwise. Plain ASCII reads alike in both.
TextEncoding detectTextEncoding(QByteArrayView text);

// As Gbk::decode for GBK; for UTF-8, invalid bytes and NUL show as U+FFFD.
QString decodeText(QByteArrayView bytes, TextEncoding encoding);

// Text for one cell of a view: longer bytes show their first `maxShownBytes`, cut at a character
// boundary and marked as cut, so that no view lays out megabytes in one cell.
inline constexpr qsizetype maxShownBytes = 4096;
QString decodeShownText(QByteArrayView bytes, TextEncoding encoding);
