// The worker pool, and analyses over it that are the same to the bit for any pool size.
#include "TestSignals.h"

#include "dsp/CSinNoise.h"
#include "dsp/CWorkerPool.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

using dsp::CSignal;
using dsp::CWorkerPool;
namespace ts = testsignals;

namespace {

// Sets the process's pool for one test and gives it back as it was.
struct CPoolSize {
    explicit CPoolSize(int threads) { CWorkerPool::Shared().SetThreads(threads); }
    ~CPoolSize() { CWorkerPool::Shared().SetThreads(CWorkerPool::DefaultThreads()); }
};

// Every piece runs once, the caller's own work first; every thread of a resized pool takes a
// piece of its very first run and of later ones, so no run is left to fewer threads.
TEST(WorkerPool, RunsEveryPieceOnceOnEveryThread) {
    const auto caller = std::this_thread::get_id();
    for (const int threads : {1, 3, 8}) {
        CWorkerPool pool(2);
        pool.SetThreads(threads);
        EXPECT_EQ(pool.GetThreads(), threads);
        // Each piece waits for all to have started: only as many threads at once get there.
        std::atomic<int> started{0}, alone{0};
        auto together = [&](int) {
            ++started;
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (started < threads && std::chrono::steady_clock::now() < until)
                std::this_thread::yield();
            alone += started < threads;
        };
        for (const int pause : {0, 50}) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pause));
            started = alone = 0;
            pool.Run(threads, together);
            EXPECT_EQ(alone, 0) << "after " << pause << " ms";
        }
        for (const int count : {0, 1, 5, 100}) {
            std::vector<std::atomic<int>> runs(count);
            std::atomic<bool> callerDone{false};
            std::atomic<int> early{0};
            // Slow workers make the caller run out of pieces first and wait for them.
            auto piece = [&](int i) {
                const bool onCaller = std::this_thread::get_id() == caller;
                early += onCaller && !callerDone;
                std::this_thread::sleep_for(std::chrono::microseconds(onCaller ? 20 : 400));
                ++runs[i];
            };
            auto callers = [&](int) { callerDone = true; };
            pool.Run(count, piece, callers);
            EXPECT_TRUE(callerDone && early == 0) << "the caller's own work comes first";
            for (int i = 0; i < count; ++i)
                ASSERT_EQ(runs[i], 1) << threads << " threads, piece " << i << " of " << count;
        }
    }
}

// Runs from another thread or from inside a piece are done by their own thread, never wait.
TEST(WorkerPool, RunsFromTwoThreadsAndFromInsideAPiece) {
    CWorkerPool pool(2);
    std::atomic<int> inner{0}, outer{0};
    auto work = [&] {
        auto nested = [&](int) { ++inner; };
        auto piece = [&](int) { pool.Run(3, nested), ++outer; };
        for (int round = 0; round < 50; ++round)
            pool.Run(4, piece);
    };
    std::thread other(work);
    work();
    other.join();
    EXPECT_EQ(outer, 2 * 50 * 4);
    EXPECT_EQ(inner, 2 * 50 * 4 * 3);
}

// Everything the displays read of one signal, byte for byte.
std::vector<unsigned char> Analyses(const CSignal& signal) {
    const auto& s = signal.GetSpectrogram();
    const auto& p = signal.GetSpectrum();
    const float factors[] = {s.GetFactor(), p.GetFactor()};
    std::vector<unsigned char> bytes;
    for (const auto& [data, size] :
         {std::pair<const void*, std::size_t>{factors, sizeof factors},
          {s.GetMatrix(), sizeof(fftwf_complex) * s.GetStride() * s.GetBins()},
          {p.GetPower(), sizeof(float) * p.GetBins()},
          {signal.GetSamples(), sizeof(float) * signal.GetSampleCount()}})
        bytes.insert(bytes.end(), static_cast<const unsigned char*>(data),
                     static_cast<const unsigned char*>(data) + size);
    return bytes;
}

// 97 spectrogram frames (48 + 48 + 1) and 48 spectrum frames: one analysis has a piece more.
std::vector<std::vector<unsigned char>> AnalyseAll() {
    auto root = ts::Make(ts::Noise(98 * 512 + 100, 0.7f, 11));
    CSignal during, after;
    const dsp::CFilter filter = ts::Filter({1.0f, -1.6f, 0.9f}, {0.5f, 0.1f, -0.3f});
    if (!root || during.CreateFrom(root.get()) != 0 || after.CreateFrom(root.get()) != 0 ||
        !during.EnsureSpectrogram() || !during.EnsureSpectrum() || !during.ApplyFilter(filter) ||
        !after.ApplyFilter(filter) || !after.EnsureSpectrogram() || !after.EnsureSpectrum())
        return {};
    std::vector<std::vector<unsigned char>> all{Analyses(*root), Analyses(during), Analyses(after)};
    root->ApplyNoise(dsp::CSinNoise(0.2f, std::numbers::pi_v<float> / 8));
    all.push_back(Analyses(*root));
    return all;
}

TEST(WorkerPool, AnalysesAreTheSameForEveryPoolSize) {
    const auto single = [] {
        const CPoolSize size(1);
        return AnalyseAll();
    }();
    ASSERT_EQ(single.size(), 4u);
    // Analysed while the filter wrote, or afterwards: the same (the scale is the root's).
    EXPECT_EQ(single[1], single[2]);
    for (const int threads : {2, 3, 8}) {
        const CPoolSize size(threads);
        ASSERT_EQ(CWorkerPool::Shared().GetThreads(), threads);
        for (int round = 0; round < 3; ++round)
            ASSERT_EQ(AnalyseAll(), single) << threads << " threads, round " << round;
    }
}

// The filter published piece by piece is the filter in one go: unrolled, long, a[0] != 1.
TEST(WorkerPool, FilterInPiecesIsTheFilterInOneGo) {
    const struct {
        std::vector<float> a, b;
    } cases[] = {
        {{1.0f, -0.5f}, {0.3f, 0.3f}},
        {{2.0f, -1.1f, 0.4f, 0.1f, 0.05f, -0.02f, 0.01f}, {1.0f, 0.5f, 0.25f, 0.1f, 0.05f, 0.02f}},
        {{}, {}},
        {{1.0f}, std::vector<float>(200, 0.005f)}}; // slow: the analyses wait for the writer
    const std::vector<float> input = ts::Noise(40000, 0.5f, 4);
    auto root = ts::Make(input);
    for (const auto& c : cases) {
        const dsp::CFilter filter = ts::Filter(c.a, c.b);
        std::vector<float> expected(input.size());
        filter.Apply(input.data(), int(input.size()), expected.data());
        CSignal output;
        ASSERT_EQ(output.CreateFrom(root.get()), 0u);
        ASSERT_TRUE(output.EnsureSpectrum() && output.ApplyFilter(filter));
        EXPECT_EQ(std::memcmp(output.GetSamples(), expected.data(), sizeof(float) * input.size()),
                  0)
            << c.a.size() << " + " << c.b.size();
    }
}

} // namespace
