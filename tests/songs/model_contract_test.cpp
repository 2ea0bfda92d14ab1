#include "songs/search_file_analysis.h"
#include "songs/song_table_model.h"
#include "songs/source_text_model.h"

#include <QAbstractItemModelTester>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Collects what QAbstractItemModelTester reports, so a broken contract fails the test with the
// tester's own words instead of aborting the run.
class ModelContractLog
{
public:
    ModelContractLog()
    {
        s_messages.clear();
        m_previous = qInstallMessageHandler(&record);
    }
    ~ModelContractLog() { qInstallMessageHandler(m_previous); }
    const QStringList &messages() const { return s_messages; }

private:
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type != QtDebugMsg && QByteArrayView(context.category).startsWith("qt.modeltest"))
            s_messages.append(text);
    }

    static inline QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};

const QByteArray songs = "x||10000001||a.mpg||A||x||x||c||l||s\r\n"
                         "x||10000002||b.mpg||B||x||x||c||l||s\r\n"
                         "x||10000003||c.mpg||C||x||x||c||l||s\r\n";

} // namespace

TEST(ModelContract, TheSongModelKeepsItsContractThroughResetsAndTicks)
{
    ModelContractLog log;
    SongTableModel model;
    QAbstractItemModelTester tester(
        &model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.setAllTicked(true);
    model.setTable(std::make_shared<const SongTable>(analyseSearchFile(songs).table));
    model.setAllTicked(true);
    const std::vector<std::uint32_t> rows { 0, 2 };
    model.setRowsTicked(rows, false);
    model.setData(model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    model.setTable(std::make_shared<const SongTable>());
    model.setTable(nullptr);
    EXPECT_TRUE(log.messages().isEmpty()) << log.messages().join(u'\n').toStdString();
}

TEST(ModelContract, TheSourceModelKeepsItsContractThroughNewTexts)
{
    ModelContractLog log;
    SourceTextModel model;
    QAbstractItemModelTester tester(
        &model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.setBytes(songs);
    model.setBytes("one line without an end");
    model.setBytes(QByteArray());
    EXPECT_TRUE(log.messages().isEmpty()) << log.messages().join(u'\n').toStdString();
}
