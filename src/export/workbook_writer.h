#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <span>
#include <vector>

class QDir;

struct lxw_workbook;
struct lxw_worksheet;
struct XlsxFunctions;

struct WorkbookWriterOptions
{
    // Rows one sheet holds before the writer continues on a new sheet.
    qsizetype rowsPerSheet = 1048576;
    // A part over 4 GB needs ZIP64, which not every reader takes; ask for it only when needed.
    bool largeParts = false;
};

// An .xlsx workbook of text cells written row by row in constant memory. The file is assembled in
// a temporary folder beside the target (".lanshan-PID-RANDOM.part", with libxlsxwriter's scratch
// files), checked, and renamed into place only when sound, so a failure or a writer dropped
// before finish() leaves nothing new under the target's name. A folder left by a process that
// was killed is removed by the next writer in that folder. Each sheet's columns are as wide as
// their widest text, up to a limit.
class WorkbookWriter
{
public:
    static constexpr qsizetype maxSheetRows = 1048576;
    static constexpr qsizetype maxCellCharacters = 32767;
    // In widths of a digit; a wide (Chinese) character takes two.
    static constexpr int maxColumnWidth = 80;

    explicit WorkbookWriter(const QString &path, WorkbookWriterOptions options = {});
    ~WorkbookWriter();
    WorkbookWriter(const WorkbookWriter &) = delete;
    WorkbookWriter &operator=(const WorkbookWriter &) = delete;

    // Appends one row of UTF-8 texts (without NUL), each written as text; an empty text leaves
    // its cell blank. Returns false once anything has failed.
    bool appendRow(std::span<const QByteArrayView> cells);
    // Saves the workbook under the target's name. Returns the reason on failure, empty on
    // success. The writer takes no rows afterwards.
    QString finish();

    const QString &error() const { return m_error; }

    static constexpr QStringView temporaryFolderPrefix = u".lanshan-";

private:
    bool startSheet();
    void fitColumns();
    void discard();
    QString failureReason(const QString &otherwise) const;
    static void removeStaleTemporaryFolders(const QDir &folder);

    // Below this much free space a failed write is taken for a full disk.
    static constexpr qint64 fullDiskMargin = qint64(1) << 20;

    QString m_targetPath;
    QString m_tempFolder;
    QString m_tempPath;
    QByteArray m_tempFolderName;
    WorkbookWriterOptions m_options;
    const XlsxFunctions *m_xlsx = nullptr;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    qsizetype m_rowsWritten = 0;
    qsizetype m_rowsInSheet = 0;
    std::vector<qsizetype> m_sheetRows;
    // The widest text of each column of the current sheet, in widths of a digit.
    std::vector<int> m_textWidths;
    QByteArray m_cellBuffer;
    QString m_error;
};
