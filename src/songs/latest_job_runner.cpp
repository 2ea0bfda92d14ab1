#include "songs/latest_job_runner.h"

LatestJobRunner::LatestJobRunner()
    : m_stop(std::make_shared<std::atomic<bool>>(false))
{
    m_pool.setMaxThreadCount(1);
}

LatestJobRunner::~LatestJobRunner()
{
    stopAll();
    m_pool.waitForDone();
}

void LatestJobRunner::start(Job job, bool supersede)
{
    stopAll();
    m_stop = std::make_shared<std::atomic<bool>>(false);
    static const std::atomic<bool> never { false };
    m_pool.start([job = std::move(job), stop = supersede ? m_stop : nullptr] {
        if (!stop)
            job(never);
        else if (!stop->load())
            job(*stop);
    });
}

void LatestJobRunner::stopAll()
{
    m_stop->store(true);
}

void LatestJobRunner::waitForDone()
{
    m_pool.waitForDone();
}
