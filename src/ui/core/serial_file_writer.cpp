#include "ui/core/serial_file_writer.h"

#include "ui/core/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

SerialFileWriter::SerialFileWriter(QString path, QObject *parent)
    : QObject(parent)
    , m_path(std::move(path))
{
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        m_running = false;
        const QString error = m_watcher.future().result();
        startWaiting();
        emit done(error);
    });
}

SerialFileWriter::~SerialFileWriter()
{
    m_watcher.disconnect();
    m_watcher.waitForFinished();
    if (m_waiting)
        (*m_waiting)();
}

void SerialFileWriter::write(Make make)
{
    request([path = m_path, make = std::move(make)] {
        QDir().mkpath(QFileInfo(path).absolutePath());
        return writeFileAtomically(path, make);
    });
}

void SerialFileWriter::remove()
{
    request([path = m_path] {
        QFile file(path);
        return !file.exists() || file.remove() ? QString() : file.errorString();
    });
}

void SerialFileWriter::request(Request request)
{
    m_waiting = std::move(request);
    if (!m_running)
        startWaiting();
}

void SerialFileWriter::startWaiting()
{
    if (!m_waiting)
        return;
    m_running = true;
    m_watcher.setFuture(QtConcurrent::run(std::move(*m_waiting)));
    m_waiting.reset();
}
