#pragma once

#include "songs/recovered_ticks.h"
#include "ui/core/latest_job.h"
#include "ui/core/serial_file_writer.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class Dialogs;
class QWidget;
class SearchFileDocument;
class SongTableModel;
class TickedSongsExport;
struct SearchFileAnalysis;

// Keeps the ticks not exported yet in a recovery file beside the state file, so that a crash, a
// kill or a power cut loses none of them, and offers them back once the same search file (same
// path, size and content) is next analysed. The file is written in the background a moment after
// each change; an export, or closing without one, removes it, and a quit signal leaves it. The
// recovery of the last run is read at the first analysis and kept until it is offered, so the
// run may tick in another file first.
class TickRecovery : public QObject
{
    Q_OBJECT

public:
    // Changes within this time go to the file together.
    static constexpr int saveDelayMs = 200;

    // Made after `exporter`, so that it sees each change of ticks after the exporter does.
    TickRecovery(Dialogs &dialogs, QWidget *window, const SearchFileDocument *document,
        SongTableModel *songs, const TickedSongsExport *exporter, const QString &path);
    // Writes what is still to be written: a quit keeps the latest ticks.
    ~TickRecovery() override;

    // The recovery file in the folder of the state file.
    static QString pathBeside(const QString &stateFile);

    // The file holds what the last change asked for.
    bool isSaved() const;

signals:
    // A word for the status text.
    void noted(const QString &note);
    // The file was written or removed as the last change asked.
    void saved();

private:
    class LoadedText;
    class AnalysedFile;
    struct Found
    {
        SearchFileIdentity identity;
        bool read = false; // the recovery file was read for this run
        std::optional<RecoveredTicks> recovered;
    };
    enum class Due { Nothing, Write, Remove };

    void onTextLoaded();
    void onAnalysed();
    void onIdentified(const std::shared_ptr<LoadedText> &text, Found found);
    void offerIfDue();
    void onTicksChanged();
    void onTicksSettled();
    void onWriterDone(const QString &error);
    void takeSnapshot();
    void saveDue(bool evenBeforeRead = false);
    void offer();
    void restore(const RecoveredTicks &recovered);

    Dialogs &m_dialogs;
    QWidget *m_window;
    const SearchFileDocument *m_document;
    SongTableModel *m_songs;
    const TickedSongsExport *m_exporter;

    SerialFileWriter m_writer;
    QTimer m_saveTimer;
    Due m_due = Due::Nothing;
    std::shared_ptr<AnalysedFile> m_snapshotFile;
    TickMarks m_snapshotTicks;
    // The file may hold something of this run, or of a recovery already answered: only then may
    // it go. A recovery of the last run not offered yet stays until this run writes its own.
    bool m_mayRemove = false;
    QString m_lastError;

    // The text last loaded, identified beside the window before its analysis is asked for.
    std::shared_ptr<LoadedText> m_text;
    bool m_textIdentified = false;
    // The file of the table in the song model, once analysed.
    std::shared_ptr<AnalysedFile> m_file;
    LatestJob<Found> m_identifyJob { this };
    bool m_recoveryRead = false;
    std::optional<RecoveredTicks> m_recovered; // read and not offered yet
    LatestJob<RestoredTicks> m_restoreJob { this };
};
