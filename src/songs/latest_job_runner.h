#pragma once

#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

// Runs jobs one after another on a thread of its own. Starting a job tells the running and the
// waiting ones to stop, so only the newest one's result counts. The destructor stops and waits.
class LatestJobRunner
{
public:
    using Job = std::function<void(const std::atomic<bool> &stop)>;

    LatestJobRunner();
    ~LatestJobRunner();
    LatestJobRunner(const LatestJobRunner &) = delete;
    LatestJobRunner &operator=(const LatestJobRunner &) = delete;

    // With `supersede` false the job runs to its end even when newer ones follow (a job that
    // prepares what the later ones need).
    void start(Job job, bool supersede = true);
    void stopAll();
    void waitForDone();

private:
    QThreadPool m_pool;
    std::shared_ptr<std::atomic<bool>> m_stop;
};
