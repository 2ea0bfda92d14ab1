#include "app/tick_recovery.h"

#include "app/ticked_songs_export.h"
#include "songs/search_file_document.h"
#include "songs/song_table_model.h"
#include "ui/core/file_io.h"
#include "ui/widgets/dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include <mutex>

namespace {

// A million ticked codes of 17 digits take 18 MB; anything far larger is not ours.
constexpr qint64 maxRecoveryFileSize = qint64(1) << 30;

// Nothing when there is none, or when it is damaged, torn, or of another version.
std::optional<RecoveredTicks> readRecovery(const QString &path)
{
    if (!QFileInfo::exists(path))
        return std::nullopt;
    const FileReadResult read = readWholeFile(path, maxRecoveryFileSize);
    std::optional<RecoveredTicks> recovered
        = read.ok() ? RecoveredTicks::decode(read.bytes) : std::nullopt;
    if (!recovered)
        qWarning("the recovery file %s cannot be read and is ignored: %s", qPrintable(path),
            read.ok() ? "damaged, incomplete or of another version" : qPrintable(read.error));
    return recovered;
}

} // namespace

// A search file's text as loaded; its fingerprint is taken once, beside the window, by whichever
// needs it first.
class TickRecovery::LoadedText
{
public:
    LoadedText(QString path, QByteArray bytes)
        : m_path(std::move(path))
        , m_bytes(std::move(bytes))
    {
    }

    const SearchFileIdentity &identity()
    {
        std::call_once(m_identified, [this] {
            m_identity = identifySearchFile(m_path, m_bytes);
            m_bytes.clear();
        });
        return m_identity;
    }

private:
    QString m_path;
    QByteArray m_bytes;
    std::once_flag m_identified;
    SearchFileIdentity m_identity;
};

// The search file of an analysed table.
class TickRecovery::AnalysedFile
{
public:
    AnalysedFile(std::shared_ptr<LoadedText> text, std::shared_ptr<const SongTable> table)
        : m_text(std::move(text))
        , m_table(std::move(table))
    {
    }

    const std::shared_ptr<LoadedText> &text() const { return m_text; }
    const std::shared_ptr<const SongTable> &table() const { return m_table; }
    const SearchFileIdentity &identity() const { return m_text->identity(); }

private:
    std::shared_ptr<LoadedText> m_text;
    std::shared_ptr<const SongTable> m_table;
};

TickRecovery::TickRecovery(Dialogs &dialogs, QWidget *window, const SearchFileDocument *document,
    SongTableModel *songs, const TickedSongsExport *exporter, const QString &path)
    : QObject(window)
    , m_dialogs(dialogs)
    , m_window(window)
    , m_document(document)
    , m_songs(songs)
    , m_exporter(exporter)
    , m_writer(path)
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(saveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, [this] { saveDue(); });
    connect(&m_writer, &SerialFileWriter::done, this, &TickRecovery::onWriterDone);
    connect(document, &SearchFileDocument::textLoaded, this, &TickRecovery::onTextLoaded);
    connect(document, &SearchFileDocument::tableReplaced, this, &TickRecovery::onAnalysed);
    connect(songs, &SongTableModel::ticksChanged, this, &TickRecovery::onTicksChanged);
    connect(exporter, &TickedSongsExport::ticksSettled, this, &TickRecovery::onTicksSettled);
}

TickRecovery::~TickRecovery()
{
    m_identifyJob.cancel();
    m_restoreJob.cancel();
    saveDue(true);
}

QString TickRecovery::pathBeside(const QString &stateFile)
{
    return QFileInfo(stateFile).dir().filePath(u"recovery.ticks"_qs);
}

bool TickRecovery::isSaved() const
{
    return m_due == Due::Nothing && m_writer.isIdle();
}

void TickRecovery::onTextLoaded()
{
    m_text = std::make_shared<LoadedText>(m_document->path(), m_document->bytes());
    m_textIdentified = false;
    // Started with the text, not with its table: after 分析 the work on the table fills every
    // core, and the offer waited behind it (1M songs: 185 ms after the table showed).
    const QString recoveryPath = m_recoveryRead ? QString() : m_writer.path();
    m_identifyJob.start(
        [text = m_text, recoveryPath](QPromise<Found> &promise, const std::atomic<bool> &) {
            Found found { text->identity(), false, std::nullopt };
            if (!recoveryPath.isEmpty()) {
                found.read = true;
                found.recovered = readRecovery(recoveryPath);
            }
            promise.addResult(std::move(found));
        },
        [this, text = m_text](Found found) { onIdentified(text, std::move(found)); });
}

void TickRecovery::onAnalysed()
{
    m_restoreJob.cancel();
    if (!m_text)
        onTextLoaded();
    m_file = std::make_shared<AnalysedFile>(m_text, m_document->table());
    // The change of ticks the new table made may have come first.
    if (m_due != Due::Nothing)
        takeSnapshot();
    // Once the views have the new table too.
    QMetaObject::invokeMethod(this, &TickRecovery::offerIfDue, Qt::QueuedConnection);
}

void TickRecovery::onIdentified(const std::shared_ptr<LoadedText> &text, Found found)
{
    if (found.read) {
        m_recoveryRead = true;
        m_recovered = std::move(found.recovered);
        // Changes made meanwhile waited so as not to write over it before it was read.
        saveDue();
    }
    m_textIdentified = text == m_text;
    offerIfDue();
}

void TickRecovery::offerIfDue()
{
    if (m_recovered && m_textIdentified && m_file && m_file->text() == m_text
        && m_songs->table() == m_file->table() && m_recovered->file == m_text->identity())
        offer();
}

void TickRecovery::offer()
{
    const RecoveredTicks recovered = std::move(*m_recovered);
    m_recovered.reset();
    switch (m_dialogs.askYesNo(m_window, tr("恢复上次未导出的 %1 首勾选？").arg(recovered.count),
        tr("恢复"), tr("忽略"))) {
    case Dialogs::Answer::Yes:
        m_mayRemove = true;
        restore(recovered);
        break;
    case Dialogs::Answer::No:
        // Forgotten: the file now keeps this run's ticks, or goes.
        m_mayRemove = true;
        onTicksChanged();
        break;
    case Dialogs::Answer::Cancel:
        // A quit ended the question: the file stays for the next start.
        break;
    }
}

void TickRecovery::restore(const RecoveredTicks &recovered)
{
    const std::shared_ptr<const SongTable> table = m_songs->table();
    m_restoreJob.start(
        [table, recovered](QPromise<RestoredTicks> &promise, const std::atomic<bool> &) {
            promise.addResult(restoreTicks(*table, recovered));
        },
        [this, table](const RestoredTicks &restored) {
            if (m_songs->table() != table)
                return;
            const qsizetype before = m_songs->tickedSongCount();
            // One change, so one undo takes it back.
            m_songs->setRowsTicked(restored.rows, true);
            emit noted(tr("恢复勾选：勾选 %1 首，%2 个编码已不存在")
                           .arg(m_songs->tickedSongCount() - before)
                           .arg(restored.missingCodes));
        });
}

void TickRecovery::onTicksChanged()
{
    takeSnapshot();
    // Not restarted by later changes: a steady stream of them still reaches the file.
    if (!m_saveTimer.isActive())
        m_saveTimer.start();
}

void TickRecovery::onTicksSettled()
{
    m_due = Due::Remove;
    m_snapshotFile.reset();
    m_saveTimer.stop();
    saveDue();
}

void TickRecovery::takeSnapshot()
{
    // A copy of the marks, a bit a song (125 KB for a million): the codes are gathered beside
    // the window.
    if (m_file && m_file->table() == m_songs->table() && m_exporter->hasUnexportedTicks()) {
        m_due = Due::Write;
        m_snapshotFile = m_file;
        m_snapshotTicks = m_songs->ticks();
    } else {
        m_due = Due::Remove;
        m_snapshotFile.reset();
    }
}

void TickRecovery::saveDue(bool evenBeforeRead)
{
    if (m_due == Due::Nothing || (!evenBeforeRead && m_identifyJob.isRunning() && !m_recoveryRead))
        return;
    if (m_due == Due::Write) {
        m_writer.write([file = std::move(m_snapshotFile), ticks = std::move(m_snapshotTicks)](
                           QIODevice &device) {
            return RecoveredTicks::write(device, file->identity(), *file->table(), ticks);
        });
        m_mayRemove = true;
    } else if (m_mayRemove) {
        m_writer.remove();
        m_mayRemove = false;
    }
    m_due = Due::Nothing;
    if (m_writer.isIdle())
        emit saved();
}

void TickRecovery::onWriterDone(const QString &error)
{
    if (!error.isEmpty() && error != m_lastError) {
        emit noted(tr("无法保存勾选的恢复副本“%1”：%2")
                       .arg(QDir::toNativeSeparators(m_writer.path()), error));
    }
    m_lastError = error;
    if (isSaved())
        emit saved();
}
