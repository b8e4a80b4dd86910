#pragma once
// A few long-lived threads that share the pieces of one analysis with the thread that asks for
// it. The signal layer makes one pool for the process (Shared()), sized to the machine: one
// thread per hardware thread, the caller counted, at most eight; a single-core machine gets no
// worker and every piece runs on the caller.
//
// A run hands out the indices 0 .. count - 1 one at a time to the caller and the workers. Which
// thread takes which index is left to chance, so a piece must give the same result wherever it
// runs: the analyses combine the pieces in index order, never in the order they finish.
// Only one run has the workers at a time; a run asked for on another thread meanwhile (a slide
// prepared while the player turns a filter) is done by its caller alone, never waits.

#include <condition_variable>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace dsp {

class CWorkerPool {
public:
    static constexpr int MAX_THREADS = 8;

    // A piece of work: called with an index in 0 .. count - 1. Must not throw.
    class CTask {
    public:
        // Copies of a task call the same function (a task is not wrapped in another).
        template <typename F>
            requires(!std::is_same_v<std::remove_cv_t<F>, CTask>)
        CTask(F& function) // NOLINT: made implicitly from the caller's lambda
            : m_object(&function), m_call([](void* object, int index) {
                  (*static_cast<F*>(object))(index);
              }) {}
        void operator()(int index) const { m_call(m_object, index); }

    private:
        void* m_object;
        void (*m_call)(void*, int);
    };

    // The process's pool, made on first use with DefaultThreads().
    static CWorkerPool& Shared();
    // The hardware threads, at most MAX_THREADS, at least 1.
    static int DefaultThreads();

    // threads counts the caller: 1 makes no worker.
    explicit CWorkerPool(int threads);
    ~CWorkerPool();
    CWorkerPool(const CWorkerPool&) = delete;
    CWorkerPool& operator=(const CWorkerPool&) = delete;

    // Threads that take part in a run, the caller included.
    int GetThreads() const;
    // For tests and benchmarks: waits for a run in progress, then replaces the workers.
    void SetThreads(int threads);

    // Calls task(i) once for every i in 0 .. count - 1 and returns when all have returned.
    void Run(int count, CTask task);
    // The same, but the caller first does its own work (for instance producing the samples the
    // pieces read) while the workers already take pieces; then it takes pieces too.
    void Run(int count, CTask task, CTask callersWork);

private:
    void StartWorkers(int count);
    void StopWorkers();
    void WorkerLoop(unsigned joined);
    void TakePieces(const CTask& task, int count);

    // Held by the run that has the workers; a second run finds it taken and works alone.
    std::mutex m_runLock;
    // Guards everything below.
    mutable std::mutex m_lock;
    std::condition_variable m_wake;     // workers wait here for a run
    std::condition_variable m_finished; // the caller waits here for the last busy worker
    std::vector<std::thread> m_workers;
    const CTask* m_task = nullptr; // the run's task while workers may join it
    int m_count = 0;
    int m_next = 0;     // the next index to hand out
    int m_busy = 0;     // workers inside the current run
    unsigned m_run = 0; // counts runs, so a worker joins each run at most once
    bool m_stop = false;
};

} // namespace dsp
