#pragma once

#include <QString>
#include <QStringView>

#include <span>

namespace NumberText {

// The text read as a decimal number and truncated towards zero ("12.5" gives 12). Text that is
// not a number reads as 0; values beyond int are clamped.
int toInteger(QStringView text);

// Decimal without trailing zeros and without a point for whole values: 12 -> "12", 12.5 -> "12.5".
QString fromReal(double value);

// A count with the group separators of the Chinese locale: 999939 -> "999,939". For what people
// read; codes, fields a number is read back from and exported files keep plain decimals.
QString grouped(qint64 count);
// Numbers joined by 、 as a list of line numbers reads: "1、4、5".
QString list(std::span<const qsizetype> numbers);

} // namespace NumberText
