#include "dsp/CWorkerPool.h"

#include <algorithm>
#include <system_error>

namespace dsp {

namespace {

// The pool whose run this thread is taking part in: a run asked for from inside a piece is done
// by its own thread (the run lock is not asked for twice by one thread).
thread_local const CWorkerPool* t_insideRun = nullptr;

class CInsideRun {
public:
    explicit CInsideRun(const CWorkerPool* pool) : m_before(t_insideRun) { t_insideRun = pool; }
    ~CInsideRun() { t_insideRun = m_before; }
    CInsideRun(const CInsideRun&) = delete;
    CInsideRun& operator=(const CInsideRun&) = delete;

private:
    const CWorkerPool* m_before;
};

} // namespace

CWorkerPool& CWorkerPool::Shared() {
    static CWorkerPool pool(DefaultThreads());
    return pool;
}

int CWorkerPool::DefaultThreads() {
    const int hardware = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(hardware, 1, MAX_THREADS);
}

CWorkerPool::CWorkerPool(int threads) {
    StartWorkers(std::clamp(threads, 1, MAX_THREADS) - 1);
}

CWorkerPool::~CWorkerPool() {
    StopWorkers();
}

int CWorkerPool::GetThreads() const {
    std::lock_guard lock(m_lock);
    return static_cast<int>(m_workers.size()) + 1;
}

void CWorkerPool::SetThreads(int threads) {
    std::lock_guard run(m_runLock);
    StopWorkers();
    StartWorkers(std::clamp(threads, 1, MAX_THREADS) - 1);
}

void CWorkerPool::Run(int count, CTask task) {
    auto nothing = [](int) {};
    Run(count, task, nothing);
}

void CWorkerPool::Run(int count, CTask task, CTask callersWork) {
    std::unique_lock run(m_runLock, std::defer_lock);
    if (t_insideRun != this)
        run.try_lock();
    const CInsideRun inside(this);
    if (!run.owns_lock() || m_workers.empty()) {
        callersWork(0);
        for (int i = 0; i < count; ++i)
            task(i);
        return;
    }
    {
        std::lock_guard lock(m_lock);
        m_task = &task;
        m_count = count;
        m_next = 0;
        ++m_run;
    }
    m_wake.notify_all();
    callersWork(0);
    TakePieces(task, count);
    std::unique_lock lock(m_lock);
    // A worker that has not joined yet must not join any more: task lives only until we return.
    m_task = nullptr;
    m_finished.wait(lock, [this] { return m_busy == 0; });
}

void CWorkerPool::TakePieces(const CTask& task, int count) {
    std::unique_lock lock(m_lock);
    while (m_next < count) {
        const int index = m_next++;
        lock.unlock();
        task(index);
        lock.lock();
    }
}

void CWorkerPool::WorkerLoop(unsigned joined) {
    const CInsideRun inside(this);
    std::unique_lock lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || (m_run != joined && m_task != nullptr); });
        if (m_stop)
            return;
        joined = m_run;
        const CTask& task = *m_task;
        const int count = m_count;
        ++m_busy;
        lock.unlock();
        TakePieces(task, count);
        lock.lock();
        if (--m_busy == 0)
            m_finished.notify_one();
    }
}

void CWorkerPool::StartWorkers(int count) {
    std::lock_guard lock(m_lock);
    m_stop = false;
    for (int i = 0; i < count; ++i) {
        try {
            // The runs so far are counted now: a new thread may first get the lock after the
            // next run has started, and must still join it.
            m_workers.emplace_back([this, joined = m_run] { WorkerLoop(joined); });
        } catch (const std::system_error&) {
            break; // fewer threads: the caller takes what nobody else does
        }
    }
}

void CWorkerPool::StopWorkers() {
    {
        std::lock_guard lock(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
    std::lock_guard lock(m_lock);
    m_workers.clear();
}

} // namespace dsp
