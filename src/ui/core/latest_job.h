#pragma once

#include <QFutureWatcher>
#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <functional>
#include <memory>

// Work in the background, where only the newest request counts: starting a job cancels the one
// before, whose result is then never delivered. The work runs in Qt's thread pool and checks
// `stop` inside its loops; the result arrives on the thread that owns `context`. Nothing waits:
// a cancelled job ends on its own at its next check.
template <typename Result> class LatestJob
{
public:
    using Work = std::function<void(QPromise<Result> &promise, const std::atomic<bool> &stop)>;
    using Done = std::function<void(Result result)>;

    explicit LatestJob(QObject *context)
        : m_context(context)
    {
    }
    ~LatestJob() { cancel(); }
    LatestJob(const LatestJob &) = delete;
    LatestJob &operator=(const LatestJob &) = delete;

    void start(Work work, Done done)
    {
        cancel();
        m_stop = std::make_shared<std::atomic<bool>>(false);
        watch(QtConcurrent::run([work = std::move(work), stop = m_stop](
                                    QPromise<Result> &promise) { work(promise, *stop); }),
            std::move(done));
    }

    // Waits for work someone else started and owns: cancelling this only forgets its result.
    void follow(QFuture<Result> future, Done done)
    {
        cancel();
        watch(std::move(future), std::move(done));
    }

    void cancel()
    {
        if (!m_watcher)
            return;
        if (m_stop) {
            m_stop->store(true);
            m_watcher->future().cancel();
        }
        m_watcher->disconnect();
        m_watcher.reset();
        m_stop.reset();
    }

    bool isRunning() const { return m_watcher != nullptr; }

private:
    void watch(QFuture<Result> future, Done done)
    {
        m_watcher = std::make_unique<QFutureWatcher<Result>>();
        QFutureWatcher<Result> *watcher = m_watcher.get();
        QObject::connect(watcher, &QFutureWatcherBase::finished, m_context,
            [this, watcher, done = std::move(done)] {
                if (watcher != m_watcher.get())
                    return;
                const QFuture<Result> future = watcher->future();
                const bool delivered = !future.isCanceled() && future.resultCount() > 0;
                drop();
                if (delivered)
                    done(future.result());
            });
        watcher->setFuture(std::move(future));
    }

    // The watcher is the sender of the signal being handled: it goes once that returns.
    void drop()
    {
        m_watcher.release()->deleteLater();
        m_stop.reset();
    }

    QObject *m_context;
    std::unique_ptr<QFutureWatcher<Result>> m_watcher;
    std::shared_ptr<std::atomic<bool>> m_stop;
};
