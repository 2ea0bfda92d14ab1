#include "songs/recovered_ticks.h"
#include "songs/search_file_analysis.h"

#include <QBuffer>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

// Nine fields a line; the code is field 1.
QByteArray searchFile(std::initializer_list<const char *> codes)
{
    QByteArray text;
    for (const char *code : codes)
        text += QByteArray("x||") + code + "||a\\1.mpg||Song||x||x||Pop||Mandarin||Singer\r\n";
    return text;
}

// What RecoveredTicks::write writes, or nothing when it reports a failure.
std::optional<QByteArray> written(
    const SearchFileIdentity &file, const SongTable &table, const TickMarks &ticks)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!RecoveredTicks::write(buffer, file, table, ticks))
        return std::nullopt;
    return bytes;
}

TickMarks ticked(qsizetype rowCount, std::initializer_list<qsizetype> rows)
{
    TickMarks ticks(rowCount);
    for (const qsizetype row : rows)
        ticks.set(row, true);
    return ticks;
}

} // namespace

class RecoveredTicksFile : public testing::Test
{
protected:
    QByteArray m_text = searchFile({ "10000001", "10000002", "10000003", "10000002", "A-7" });
    SongTable m_table = analyseSearchFile(m_text).table;
    SearchFileIdentity m_file = identifySearchFile(u"/歌/搜歌文件.txt"_qs, m_text);
    RecoveredTicks m_recovered = RecoveredTicks::of(m_file, m_table, ticked(5, { 1, 4 }));
};

TEST_F(RecoveredTicksFile, KeepsTheCodeOfEachTickedSongAndReadsBackWhole)
{
    EXPECT_EQ(m_recovered.codes, "10000002\nA-7\n");
    EXPECT_EQ(m_recovered.count, 2);
    const std::optional<RecoveredTicks> read = RecoveredTicks::decode(m_recovered.encoded());
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->file, m_file);
    EXPECT_EQ(read->codes, m_recovered.codes);
    EXPECT_EQ(read->count, 2);

    // Written straight from the ticks, the same file; marks past the table's rows are no songs.
    EXPECT_EQ(written(m_file, m_table, ticked(7, { 1, 4, 6 })), m_recovered.encoded());

    const RecoveredTicks none = RecoveredTicks::of(m_file, m_table, TickMarks(5));
    const std::optional<RecoveredTicks> readNone = RecoveredTicks::decode(none.encoded());
    ASSERT_TRUE(readNone.has_value());
    EXPECT_EQ(readNone->count, 0);
}

TEST_F(RecoveredTicksFile, ATornDamagedOrOtherVersionFileReadsAsNothing)
{
    const QByteArray whole = m_recovered.encoded();
    for (qsizetype size = 0; size < whole.size(); ++size)
        EXPECT_FALSE(RecoveredTicks::decode(whole.first(size))) << "torn at " << size;
    for (qsizetype at = 0; at < whole.size(); ++at) {
        QByteArray damaged = whole;
        damaged[at] = char(damaged[at] ^ 0x10);
        EXPECT_FALSE(RecoveredTicks::decode(damaged)) << "byte " << at << " changed";
    }
    EXPECT_FALSE(RecoveredTicks::decode(whole + '\n')) << "a byte too many";
    EXPECT_FALSE(RecoveredTicks::decode(QByteArray(200, '\xFF')));
    EXPECT_FALSE(RecoveredTicks::decode("{\"ticks\": []}"));

    // Another version, its checksum right: the magic line is followed by the version number.
    QByteArray otherVersion = whole.chopped(8);
    otherVersion[otherVersion.indexOf('\n') + 1] = 2;
    const quint64 checksum = qToLittleEndian(contentFingerprint(otherVersion));
    otherVersion.append(reinterpret_cast<const char *>(&checksum), sizeof checksum);
    EXPECT_FALSE(RecoveredTicks::decode(otherVersion));
}

TEST_F(RecoveredTicksFile, AnotherFileOfTheSameNameAndSizeIsAnotherFile)
{
    QByteArray other = m_text;
    other.replace("10000003", "10000009");
    ASSERT_EQ(other.size(), m_text.size());
    EXPECT_NE(identifySearchFile(m_file.path, other), m_file);
    EXPECT_NE(identifySearchFile(u"/歌/另一个.txt"_qs, m_text), m_file);
    EXPECT_EQ(identifySearchFile(m_file.path, QByteArray(m_text)), m_file);
    // Each byte and each position counts, the last few (past the whole blocks) too.
    for (qsizetype at = 0; at < m_text.size(); ++at) {
        QByteArray changed = m_text;
        changed[at] = char(changed[at] + 1);
        EXPECT_NE(contentFingerprint(changed), m_file.fingerprint) << at;
    }
    EXPECT_NE(contentFingerprint("ab"), contentFingerprint("ba"));
    EXPECT_NE(contentFingerprint(""), contentFingerprint(QByteArray(1, '\0')));
    EXPECT_EQ(contentFingerprint(QByteArray()), contentFingerprint("")) << "a null text is empty";
}

TEST_F(RecoveredTicksFile, RestoringTicksEveryRowOfAKeptCodeAndCountsTheCodesGone)
{
    const RestoredTicks same = restoreTicks(m_table, m_recovered);
    EXPECT_EQ(same.rows, (std::vector<std::uint32_t> { 1, 3, 4 }));
    EXPECT_EQ(same.missingCodes, 0);

    const SongTable changed = analyseSearchFile(searchFile({ "10000001", "10000002" })).table;
    const RestoredTicks fewer = restoreTicks(changed, m_recovered);
    EXPECT_EQ(fewer.rows, std::vector<std::uint32_t> { 1 });
    EXPECT_EQ(fewer.missingCodes, 1) << "A-7 is gone";
}

TEST(RecoveredTicksWrite, ACopyLargerThanItsWriteBufferReadsBackWholeAndAFailedWriteIsReported)
{
    // 20,000 codes of 5 to 8 digits, 12,000 of them ticked: about 100 KB, written in pieces that
    // end anywhere in a block of the checksum.
    QByteArray text;
    for (int row = 0; row < 20000; ++row)
        text += "x||" + QByteArray::number(10000 + row * 7919 % 99990000)
            + "||a\\1.mpg||Song||x||x||Pop||Mandarin||Singer\n";
    const SongTable table = analyseSearchFile(text).table;
    ASSERT_EQ(table.rowCount(), 20000);
    TickMarks ticks(table.rowCount());
    for (qsizetype row = 0; row < table.rowCount(); row += row % 5 == 0 ? 1 : 2)
        ticks.set(row, true);
    const SearchFileIdentity file = identifySearchFile(u"/歌/大.txt"_qs, text);

    const std::optional<QByteArray> bytes = written(file, table, ticks);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_GT(bytes->size(), 64 * 1024);
    const std::optional<RecoveredTicks> read = RecoveredTicks::decode(*bytes);
    ASSERT_TRUE(read.has_value()) << "its checksum, taken in pieces, is the checksum of the whole";
    const RecoveredTicks expected = RecoveredTicks::of(file, table, ticks);
    EXPECT_EQ(read->codes, expected.codes);
    EXPECT_EQ(read->count, ticks.count());
    EXPECT_EQ(expected.encoded(), *bytes);

    QByteArray readOnly;
    QBuffer refusing(&readOnly);
    refusing.open(QIODevice::ReadOnly);
    EXPECT_FALSE(RecoveredTicks::write(refusing, file, table, ticks));
}
