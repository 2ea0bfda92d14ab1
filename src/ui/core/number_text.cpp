#include "ui/core/number_text.h"

#include <QLocale>
#include <QStringList>

#include <cmath>
#include <limits>

namespace NumberText {

int toInteger(QStringView text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || std::isnan(value))
        return 0;
    const double truncated = std::trunc(value);
    if (truncated >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (truncated <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(truncated);
}

QString fromReal(double value)
{
    return QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
}

QString grouped(qint64 count)
{
    static const QLocale chinese(QLocale::Chinese, QLocale::China);
    return chinese.toString(count);
}

QString list(std::span<const qsizetype> numbers)
{
    QStringList texts;
    for (const qsizetype number : numbers)
        texts << QString::number(number);
    return texts.join(u'、');
}

} // namespace NumberText
