#include "app/workbook_export_command.h"

#include "app/progress_strip.h"
#include "export/workbook_export_job.h"
#include "songs/song_table_model.h"
#include "ui/widgets/dialogs.h"

#include <QDir>
#include <QWidget>

namespace {

const QString workbookFilter = QStringLiteral("Excel 工作簿(*.xlsx)|*.xlsx");

} // namespace

WorkbookExportCommand::WorkbookExportCommand(
    Dialogs &dialogs, QWidget *window, const SongTableModel *songs, ProgressStrip *progress)
    : QObject(window)
    , m_dialogs(dialogs)
    , m_window(window)
    , m_songs(songs)
    , m_progress(progress)
    , m_job(new WorkbookExportJob(this))
{
    connect(m_progress, &ProgressStrip::cancelRequested, m_job, &WorkbookExportJob::cancel);
    connect(m_job, &WorkbookExportJob::progressChanged, m_progress, &ProgressStrip::setValue);
    connect(m_job, &WorkbookExportJob::finished, this, &WorkbookExportCommand::onFinished);
}

bool WorkbookExportCommand::isRunning() const
{
    return m_job->isRunning();
}

void WorkbookExportCommand::start()
{
    if (m_job->isRunning())
        return;
    const std::optional<QString> path
        = m_dialogs.askSaveFile(m_window, workbookFilter, tr("歌曲明细.xlsx"));
    if (!path)
        return;
    m_path = *path;
    m_progress->begin();
    // Before any analysis there is no song to write: the workbook gets an empty sheet.
    const std::shared_ptr<const SongTable> &table = m_songs->table();
    m_job->start(table ? table : std::make_shared<const SongTable>(), *path);
    emit runningChanged();
}

void WorkbookExportCommand::cancel()
{
    m_job->cancel();
}

void WorkbookExportCommand::onFinished(const QString &error)
{
    m_progress->hide();
    emit runningChanged();
    // A cancel the user asked for needs no message.
    if (m_job->wasCancelled())
        emit noted(tr("已取消导出"));
    else if (!error.isEmpty())
        m_dialogs.showMessage(
            m_window, tr("无法保存文件“%1”：\n%2").arg(QDir::toNativeSeparators(m_path), error));
    else
        emit noted(tr("已导出全部明细到 %1").arg(QDir::toNativeSeparators(m_path)));
}
