#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <span>

struct lxw_workbook;
struct lxw_worksheet;

struct WorkbookWriterOptions
{
    // Rows one sheet holds before the writer continues on a new sheet.
    qsizetype rowsPerSheet = 1048576;
    // A part over 4 GB needs ZIP64, which not every reader takes; ask for it only when needed.
    bool largeParts = false;
};

// An .xlsx workbook of text cells written row by row in constant memory. The file is assembled
// under a temporary name beside the target and renamed into place only when complete, so a
// failure or a writer dropped before finish() leaves nothing new under the target's name.
class WorkbookWriter
{
public:
    static constexpr qsizetype maxSheetRows = 1048576;
    static constexpr qsizetype maxCellCharacters = 32767;

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
    qsizetype rowsWritten() const { return m_rowsWritten; }

private:
    bool startSheet();
    void discard();

    QString m_targetPath;
    QString m_tempPath;
    QByteArray m_tempDirectory;
    WorkbookWriterOptions m_options;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    qsizetype m_rowsWritten = 0;
    qsizetype m_rowsInSheet = 0;
    QByteArray m_cellBuffer;
    QString m_error;
};
