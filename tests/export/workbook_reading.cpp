#include "workbook_reading.h"

#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

bool runUnzip(const QStringList &arguments, QByteArray &output)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), arguments);
    if (!unzip.waitForFinished(-1) || unzip.exitStatus() != QProcess::NormalExit
        || unzip.exitCode() != 0)
        return false;
    output = unzip.readAllStandardOutput();
    return true;
}

// Spreadsheet programs read "_xHHHH_" as the character HHHH.
QString unescape(const QString &text)
{
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString result;
    qsizetype from = 0;
    for (auto match = escape.match(text); match.hasMatch();
         match = escape.match(text, match.capturedEnd())) {
        result += QStringView(text).sliced(from, match.capturedStart() - from);
        result += QChar(match.captured(1).toUShort(nullptr, 16));
        from = match.capturedEnd();
    }
    result += QStringView(text).sliced(from);
    return result;
}

struct CellText
{
    QString text; // the <t> runs, joined
    QString value; // the <v> element
};

CellText readCellBody(QXmlStreamReader &xml, QStringView element)
{
    CellText cell;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == element)
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"t")
            cell.text += unescape(xml.readElementText());
        else if (xml.name() == u"v")
            cell.value = xml.readElementText();
    }
    return cell;
}

QStringList readSharedStrings(const QByteArray &bytes)
{
    QStringList strings;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si")
            strings.append(readCellBody(xml, u"si").text);
    }
    return strings;
}

// "C12" gives column 2, row 11.
bool parseReference(const QString &reference, int &row, int &column)
{
    static const QRegularExpression pattern(QStringLiteral("^([A-Z]+)([0-9]+)$"));
    const auto match = pattern.match(reference);
    if (!match.hasMatch())
        return false;
    column = 0;
    for (const QChar letter : match.captured(1))
        column = column * 26 + (letter.unicode() - 'A' + 1);
    --column;
    row = match.captured(2).toInt() - 1;
    return true;
}

QString readSheet(const QByteArray &bytes, const QStringList &shared, int columnCount,
    std::vector<QStringList> &rows, int &nonTextCells)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"c")
            continue;
        int row = 0;
        int column = 0;
        if (!parseReference(xml.attributes().value(QLatin1StringView("r")).toString(), row, column)
            || column >= columnCount)
            return QStringLiteral("cell outside the expected columns");
        const QString type = xml.attributes().value(QLatin1StringView("t")).toString();
        const CellText cell = readCellBody(xml, u"c");
        QString text;
        if (type == u"inlineStr" || type == u"str") {
            text = type == u"str" ? cell.value : cell.text;
        } else if (type == u"s") {
            text = shared.value(cell.value.toInt());
        } else {
            text = cell.value;
            ++nonTextCells;
        }
        while (qsizetype(rows.size()) <= row) {
            QStringList empty;
            for (int index = 0; index < columnCount; ++index)
                empty.append(QString());
            rows.push_back(empty);
        }
        rows[row][column] = text;
    }
    return xml.hasError() ? xml.errorString() : QString();
}

std::vector<double> readColumnWidths(const QByteArray &bytes)
{
    std::vector<double> widths;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"col")
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        const int first = attributes.value(QLatin1StringView("min")).toInt();
        const int last = attributes.value(QLatin1StringView("max")).toInt();
        for (int column = first; column >= 1 && column <= last; ++column) {
            widths.resize(std::max(widths.size(), std::size_t(column)));
            widths[column - 1] = attributes.value(QLatin1StringView("width")).toDouble();
        }
    }
    return widths;
}

int sheetNumber(const QString &member)
{
    static const QRegularExpression pattern(QStringLiteral("^xl/worksheets/sheet([0-9]+)\\.xml$"));
    const auto match = pattern.match(member);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

WorkbookContent readWorkbook(const QString &path, int columnCount)
{
    WorkbookContent content;
    QByteArray listing;
    if (!runUnzip({ QStringLiteral("-Z1"), path }, listing)) {
        content.error = QStringLiteral("not a zip archive");
        return content;
    }
    const QStringList members = QString::fromUtf8(listing).split(u'\n', Qt::SkipEmptyParts);
    if (!members.contains(QStringLiteral("[Content_Types].xml"))
        || !members.contains(QStringLiteral("xl/workbook.xml"))) {
        content.error = QStringLiteral("not a workbook");
        return content;
    }
    QStringList shared;
    QByteArray bytes;
    if (members.contains(QStringLiteral("xl/sharedStrings.xml"))
        && runUnzip({ QStringLiteral("-p"), path, QStringLiteral("xl/sharedStrings.xml") }, bytes))
        shared = readSharedStrings(bytes);

    QStringList sheets;
    for (const QString &member : members) {
        if (sheetNumber(member) > 0)
            sheets.append(member);
    }
    std::sort(sheets.begin(), sheets.end(), [](const QString &left, const QString &right) {
        return sheetNumber(left) < sheetNumber(right);
    });
    for (const QString &sheet : sheets) {
        content.sheets.emplace_back();
        if (!runUnzip({ QStringLiteral("-p"), path, sheet }, bytes)) {
            content.error = QStringLiteral("cannot extract ") + sheet;
            return content;
        }
        content.columnWidths.push_back(readColumnWidths(bytes));
        content.error
            = readSheet(bytes, shared, columnCount, content.sheets.back(), content.nonTextCells);
        if (!content.error.isEmpty())
            return content;
    }
    if (content.sheets.empty())
        content.error = QStringLiteral("no sheet");
    return content;
}
