#include "export/workbook_writer.h"
#include "export/xlsx_functions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString modulePath = QStringLiteral(LANSHAN_MODULE_PATH);

} // namespace

TEST(WorkbookModule, TheModuleGivesLibxlsxwritersFunctionsThatWriteAWorkbook)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // A file that is no library comes first: the next path is tried.
    const QString broken = folder.filePath(u"liblanshan_xlsx.so"_qs);
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a library");
    file.close();

    QString error;
    const XlsxFunctions *functions = loadXlsxFunctions({ broken, modulePath }, &error);
    ASSERT_NE(functions, nullptr) << error.toStdString();
    const QByteArray path = QFile::encodeName(folder.filePath(u"book.xlsx"_qs));
    lxw_workbook *workbook = functions->newWorkbook(path.constData(), nullptr);
    ASSERT_NE(workbook, nullptr);
    lxw_worksheet *sheet = functions->addWorksheet(workbook, nullptr);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(functions->writeString(sheet, 0, 0, "10000001", nullptr), LXW_NO_ERROR);
    EXPECT_EQ(functions->closeWorkbook(workbook), LXW_NO_ERROR);
    QFile written(QString::fromLocal8Bit(path));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(2), QByteArray("PK")) << "a ZIP archive, as a workbook is";
}

TEST(WorkbookModule, AMissingOrBrokenModuleIsReportedAndNoWorkbookIsWritten)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString missing = folder.filePath(u"lib/lanshan/liblanshan_xlsx.so"_qs);
    QString error;
    EXPECT_EQ(loadXlsxFunctions({ missing }, &error), nullptr);
    EXPECT_TRUE(error.startsWith(u"无法加载工作簿组件：找不到 "_qs)) << error.toStdString();
    EXPECT_TRUE(error.contains(missing)) << error.toStdString();

    const QString broken = folder.filePath(u"liblanshan_xlsx.so"_qs);
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a library");
    file.close();
    error.clear();
    EXPECT_EQ(loadXlsxFunctions({ broken }, &error), nullptr);
    EXPECT_TRUE(error.startsWith(u"无法加载工作簿组件："_qs)) << error.toStdString();
    EXPECT_FALSE(error.contains(u"找不到"_qs))
        << "the loader's own reason: " << error.toStdString();

    // This test program has no module beside it or in its install folder: the writer says so
    // instead of writing.
    const QString target = folder.filePath(u"songs.xlsx"_qs);
    WorkbookWriter writer(target);
    const QByteArrayView cells[] { "10000001" };
    EXPECT_FALSE(writer.appendRow(cells));
    EXPECT_TRUE(writer.finish().startsWith(u"无法加载工作簿组件："_qs));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
        QStringList { u"liblanshan_xlsx.so"_qs })
        << "no temporary folder either";
}
