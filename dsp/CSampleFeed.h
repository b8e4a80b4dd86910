#pragma once
// Samples that are still being written while an analysis already reads them. The writer (a
// filter working through a signal) runs on the thread that asked for the analysis and
// publishes how far it has come; pieces of the analysis on other threads wait until the
// samples they read exist. The analysis of a filter change thus overlaps the filtering.

#include <atomic>

namespace dsp {

class CSampleFeed {
public:
    CSampleFeed() = default;
    virtual ~CSampleFeed() = default;
    CSampleFeed(const CSampleFeed&) = delete;
    CSampleFeed& operator=(const CSampleFeed&) = delete;

    // Writes the samples; afterwards every sample counts as written, whatever was published.
    void Write();
    // Returns once samples 0 .. count - 1 are written.
    void WaitFor(int count) const;

protected:
    // Writes the samples in order, calling Publish as it goes.
    virtual void WriteSamples() = 0;
    // Samples 0 .. count - 1 are written.
    void Publish(int count);

private:
    std::atomic<int> m_written{0};
};

} // namespace dsp
