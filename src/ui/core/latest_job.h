#pragma once

#include <QFutureWatcher>
#include <QPromise>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <functional>
#include <memory>

// Work in the background, where only the newest request counts: starting a job cancels the one
// before, whose results are then never delivered. The work runs in a thread pool and checks
// `stop` inside its loops; its results arrive on the thread that owns `context`. Nothing waits:
// a cancelled job ends on its own at its next check.
template <typename Result> class LatestJob
{
public:
    using Work = std::function<void(QPromise<Result> &promise, const std::atomic<bool> &stop)>;
    // The last result, once the work ended with one.
    using Done = std::function<void(Result result)>;

    // What a longer job reports on its way, and where it runs.
    struct Reports
    {
        // The work's QPromise::setProgressValue.
        std::function<void(int value)> progress;
        // Every result as it is added, before done() has the last of them.
        std::function<void(const Result &result)> each;
        QThreadPool *pool = QThreadPool::globalInstance();
    };

    explicit LatestJob(QObject *context)
        : m_context(context)
    {
    }
    ~LatestJob() { cancel(); }
    LatestJob(const LatestJob &) = delete;
    LatestJob &operator=(const LatestJob &) = delete;

    void start(Work work, Done done, Reports reports = {})
    {
        cancel();
        m_stop = std::make_shared<std::atomic<bool>>(false);
        QFutureWatcher<Result> *watcher = watch(std::move(done));
        if (reports.progress) {
            QObject::connect(watcher, &QFutureWatcherBase::progressValueChanged, m_context,
                std::move(reports.progress));
        }
        if (reports.each) {
            QObject::connect(watcher, &QFutureWatcherBase::resultReadyAt, m_context,
                [watcher, each = std::move(reports.each)](
                    int index) { each(watcher->resultAt(index)); });
        }
        watcher->setFuture(QtConcurrent::run(
            reports.pool, [work = std::move(work), stop = m_stop](QPromise<Result> &promise) {
                work(promise, *stop);
            }));
    }

    // Waits for work someone else started and owns: cancelling this only forgets its result.
    void follow(QFuture<Result> future, Done done)
    {
        cancel();
        watch(std::move(done))->setFuture(std::move(future));
    }

    // Drops the running job: none of its results arrives any more.
    void cancel()
    {
        if (!m_watcher)
            return;
        // Work that is followed belongs to another: it goes on.
        if (m_stop) {
            m_stop->store(true);
            m_watcher->future().cancel();
        }
        m_watcher->disconnect();
        m_watcher.reset();
        m_stop.reset();
    }

    // Cancels and waits until the work has ended: for work that cleans up after itself (a file
    // half written) before its owner goes.
    void cancelAndWait()
    {
        if (!m_watcher)
            return;
        // Stopped by its flag, not by cancelling the future, which would not be waited for.
        if (m_stop)
            m_stop->store(true);
        m_watcher->disconnect();
        m_watcher->future().waitForFinished();
        m_watcher.reset();
        m_stop.reset();
    }

    // Asks the running job to stop at its next check, yet still delivers what it ends with: for
    // work that has to say how it ended.
    void requestStop()
    {
        if (m_stop)
            m_stop->store(true);
    }

    bool isRunning() const { return m_watcher != nullptr; }
    int progressValue() const { return m_watcher ? m_watcher->progressValue() : 0; }

private:
    QFutureWatcher<Result> *watch(Done done)
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
                    done(future.resultAt(future.resultCount() - 1));
            });
        return watcher;
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
