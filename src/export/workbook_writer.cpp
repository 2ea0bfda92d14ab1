#include "export/workbook_writer.h"

#include "export/workbook_check.h"
#include "export/xlsx_functions.h"
#include "ui/core/file_io.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

static_assert(WorkbookWriter::maxSheetRows == LXW_ROW_MAX);
static_assert(WorkbookWriterOptions {}.rowsPerSheet == WorkbookWriter::maxSheetRows);

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("WorkbookWriter", text);
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Readers turn "_xHHHH_" into the character HHHH; such text has to reach them with its
// underscore escaped to read back as written.
bool startsEscapeSequence(QByteArrayView text, qsizetype index)
{
    if (index + 7 > text.size() || text[index] != '_' || text[index + 1] != 'x'
        || text[index + 6] != '_')
        return false;
    for (qsizetype digit = index + 2; digit < index + 6; ++digit) {
        if (!isHexDigit(text[digit]))
            return false;
    }
    return true;
}

void copyCellText(QByteArrayView text, QByteArray &buffer)
{
    // resize(0) keeps the buffer's capacity, so plain cells cost no allocation.
    buffer.resize(0);
    if (!text.contains(QByteArrayView("_x"))) {
        buffer.append(text);
        return;
    }
    for (qsizetype index = 0; index < text.size(); ++index) {
        if (startsEscapeSequence(text, index))
            buffer.append("_x005F");
        buffer.append(text[index]);
    }
}

// How wide a spreadsheet shows UTF-8 text, in widths of a digit: East Asian characters are two.
// Never more than the text's byte count, which spares the count for text that cannot be wider.
int textWidth(QByteArrayView text)
{
    int width = 0;
    for (qsizetype index = 0; index < text.size(); ++index) {
        const auto byte = static_cast<unsigned char>(text[index]);
        if ((byte & 0xC0) == 0x80)
            continue; // inside a character
        // Three- and four-byte characters (U+0800 on) hold the CJK blocks and full-width forms.
        width += byte >= 0xE0 ? 2 : 1;
    }
    return width;
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

std::filesystem::path fileSystemPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

WorkbookWriter::WorkbookWriter(const QString &path, WorkbookWriterOptions options)
    : m_options(options)
{
    Q_ASSERT(options.rowsPerSheet > 0 && options.rowsPerSheet <= maxSheetRows);
    const QFileInfo target(path);
    if (const QString reason = notOrdinaryFileReason(path); !reason.isEmpty()) {
        m_error = reason;
        return;
    }
    // Replacing a link would cut it; write where it points instead.
    m_targetPath = target.isSymLink() && target.exists() ? target.canonicalFilePath()
                                                         : target.absoluteFilePath();

    m_xlsx = xlsxFunctions(&m_error);
    if (!m_xlsx)
        return;

    const QFileInfo resolved(m_targetPath);
    const QDir folder = resolved.absoluteDir();
    removeStaleTemporaryFolders(folder);
    // libxlsxwriter's scratch files go here too, not to TMPDIR: a full disk then fails the
    // export on the disk the user chose, and nothing of ours lingers elsewhere.
    const QString name
        = QStringLiteral("%1%2-%3.part")
              .arg(temporaryFolderPrefix)
              .arg(QCoreApplication::applicationPid())
              .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
    const QString tempFolder = folder.filePath(name);
    if (::mkdir(QFile::encodeName(tempFolder).constData(), 0700) != 0) {
        m_error = tr("无法在文件夹“%1”中创建临时文件夹：%2")
                      .arg(QDir::toNativeSeparators(folder.path()), systemReason(errno));
        return;
    }
    m_tempFolder = tempFolder;
    // Not named .xlsx: what a hard kill leaves is never taken for a workbook.
    m_tempPath = QDir(m_tempFolder).filePath(QStringLiteral("workbook.part"));
    m_tempFolderName = QFile::encodeName(m_tempFolder);

    lxw_workbook_options workbookOptions {};
    workbookOptions.constant_memory = LXW_TRUE;
    workbookOptions.tmpdir = m_tempFolderName.data();
    workbookOptions.use_zip64 = m_options.largeParts ? LXW_TRUE : LXW_FALSE;
    m_workbook = m_xlsx->newWorkbook(QFile::encodeName(m_tempPath).constData(), &workbookOptions);
    if (!m_workbook) {
        m_error = tr("无法创建工作簿：内存不足");
        discard();
        return;
    }
    startSheet();
}

WorkbookWriter::~WorkbookWriter()
{
    discard();
}

bool WorkbookWriter::startSheet()
{
    fitColumns();
    m_sheet = m_xlsx->addWorksheet(m_workbook, nullptr);
    m_rowsInSheet = 0;
    if (!m_sheet) {
        m_error = failureReason(tr("无法为工作表创建临时文件"));
        discard();
        return false;
    }
    m_sheetRows.push_back(0);
    return true;
}

bool WorkbookWriter::appendRow(std::span<const QByteArrayView> cells)
{
    if (!m_workbook)
        return false;
    if (m_rowsInSheet == m_options.rowsPerSheet && !startSheet())
        return false;
    for (std::size_t column = 0; column < cells.size(); ++column) {
        if (cells[column].isEmpty())
            continue;
        Q_ASSERT(!cells[column].contains('\0'));
        if (column >= m_textWidths.size())
            m_textWidths.resize(column + 1);
        if (cells[column].size() > m_textWidths[column])
            m_textWidths[column] = std::max(m_textWidths[column], textWidth(cells[column]));
        copyCellText(cells[column], m_cellBuffer);
        const lxw_error result = m_xlsx->writeString(m_sheet, static_cast<lxw_row_t>(m_rowsInSheet),
            static_cast<lxw_col_t>(column), m_cellBuffer.constData(), nullptr);
        if (result == LXW_NO_ERROR)
            continue;
        if (result == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED) {
            m_error = tr("第 %1 行第 %2 列的文字超过单元格能容纳的 %3 个字符")
                          .arg(m_rowsWritten + 1)
                          .arg(column + 1)
                          .arg(maxCellCharacters);
        } else {
            m_error = failureReason(tr("无法写入第 %1 行：%2")
                                        .arg(m_rowsWritten + 1)
                                        .arg(QString::fromUtf8(m_xlsx->errorText(result))));
        }
        discard();
        return false;
    }
    ++m_rowsInSheet;
    ++m_rowsWritten;
    ++m_sheetRows.back();
    return true;
}

QString WorkbookWriter::finish()
{
    if (!m_workbook)
        return m_error.isEmpty() ? tr("工作簿已经保存过") : m_error;
    fitColumns();
    // Closing frees the workbook whatever its outcome.
    const lxw_error result = m_xlsx->closeWorkbook(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
    if (result != LXW_NO_ERROR) {
        m_error = failureReason(
            tr("无法保存工作簿：%1").arg(QString::fromUtf8(m_xlsx->errorText(result))));
        discard();
        return m_error;
    }
    if (const QString damage = checkWorkbookFile(m_tempPath, m_sheetRows); !damage.isEmpty()) {
        m_error = failureReason(damage);
        discard();
        return m_error;
    }

    if (QFileInfo(m_targetPath).isFile())
        QFile::setPermissions(m_tempPath, QFile::permissions(m_targetPath));
    std::error_code failure;
    std::filesystem::rename(fileSystemPath(m_tempPath), fileSystemPath(m_targetPath), failure);
    if (failure) {
        m_error = tr("无法把工作簿存为“%1”：%2")
                      .arg(QDir::toNativeSeparators(m_targetPath),
                          QString::fromLocal8Bit(failure.message()));
        discard();
        return m_error;
    }
    m_tempPath.clear();
    discard();
    return {};
}

void WorkbookWriter::fitColumns()
{
    for (std::size_t column = 0; m_sheet && column < m_textWidths.size(); ++column) {
        // A digit's width more than the text: the padding spreadsheet programs draw.
        if (m_textWidths[column] > 0)
            m_xlsx->setColumn(m_sheet, static_cast<lxw_col_t>(column),
                static_cast<lxw_col_t>(column), std::min(m_textWidths[column], maxColumnWidth) + 1,
                nullptr);
    }
    m_textWidths.clear();
}

void WorkbookWriter::discard()
{
    if (m_workbook) {
        m_xlsx->freeWorkbook(m_workbook);
        m_workbook = nullptr;
        m_sheet = nullptr;
    }
    if (!m_tempFolder.isEmpty()) {
        QDir(m_tempFolder).removeRecursively();
        m_tempFolder.clear();
    }
    m_tempPath.clear();
}

QString WorkbookWriter::failureReason(const QString &otherwise) const
{
    // The library reports a failed write in its own words, or not at all.
    const QStorageInfo volume(m_tempFolder);
    if (volume.isValid() && volume.bytesAvailable() < fullDiskMargin)
        return tr("磁盘已满");
    return otherwise;
}

void WorkbookWriter::removeStaleTemporaryFolders(const QDir &folder)
{
    static const QRegularExpression stale(
        QStringLiteral("^%1(\\d+)-[0-9a-f]{16}\\.part$")
            .arg(QRegularExpression::escape(temporaryFolderPrefix)));
    const QStringList names = folder.entryList({ temporaryFolderPrefix.toString() + u'*' },
        QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = stale.match(name);
        if (!match.hasMatch())
            continue;
        const auto pid = static_cast<pid_t>(match.captured(1).toLongLong());
        // Only a process that has ended can have left it; a live one may still be writing.
        if (pid != QCoreApplication::applicationPid() && ::kill(pid, 0) != 0 && errno == ESRCH)
            QDir(folder.filePath(name)).removeRecursively();
    }
}
