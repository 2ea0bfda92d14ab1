#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;

// Keeps one file up to date from the background: writes (atomically) and removals run one at a
// time in Qt's thread pool, and a request made while one runs replaces any other still waiting,
// so the newest always lands last and none is written twice over. Destroying the writer finishes
// the running request and does the waiting one at once, so nothing asked for is lost at exit.
class SerialFileWriter : public QObject
{
    Q_OBJECT

public:
    // Writes the file's bytes, in the background; false when a write failed.
    using Make = std::function<bool(QIODevice &)>;

    explicit SerialFileWriter(QString path, QObject *parent = nullptr);
    ~SerialFileWriter() override;

    const QString &path() const { return m_path; }
    void write(Make make);
    void remove();
    bool isIdle() const { return !m_running && !m_waiting; }

signals:
    // A request ended; `error` says why it failed, empty when it did not.
    void done(const QString &error);

private:
    using Request = std::function<QString()>;
    void request(Request request);
    void startWaiting();

    QString m_path;
    QFutureWatcher<QString> m_watcher;
    bool m_running = false;
    std::optional<Request> m_waiting;
};
