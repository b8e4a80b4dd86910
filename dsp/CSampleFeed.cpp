#include "dsp/CSampleFeed.h"

#include <limits>

namespace dsp {

void CSampleFeed::Write() {
    WriteSamples();
    Publish(std::numeric_limits<int>::max());
}

void CSampleFeed::Publish(int count) {
    m_written.store(count, std::memory_order_release);
    m_written.notify_all();
}

void CSampleFeed::WaitFor(int count) const {
    for (int written = m_written.load(std::memory_order_acquire); written < count;
         written = m_written.load(std::memory_order_acquire))
        m_written.wait(written, std::memory_order_acquire);
}

} // namespace dsp
