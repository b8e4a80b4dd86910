// Signals tell the windows that show them of new samples, never a window that is gone.
#include "TestSignals.h"

#include "common/CRecordingWnd.h"

#include "dsp/CSinNoise.h"

#include "platform/CApplication.h"

#include <thread>

using dsp::CSignal;
namespace ts = testsignals;

namespace {

// A filter, a tone, and a filter on a worker thread (slides are prepared there) reach only the
// live windows still listening; a failed filter tells nobody.
TEST(Notification, FilterAndNoiseReachOnlyLiveWindows) {
    auto root = ts::Make(ts::Noise(4000, 0.5f, 1));
    CSignal derived;
    ASSERT_EQ(derived.CreateFrom(root.get()), 0u);
    CRecordingWnd live, destroyed, late, removed, neverOpened;
    for (CRecordingWnd* window : {&live, &destroyed, &late, &removed})
        ASSERT_TRUE(window->Open());
    std::vector<dsp::CListenerHandle> handles;
    for (CWnd* window : {&live, &destroyed, &late, &removed, &neverOpened})
        handles.push_back(derived.Listen(window));
    EXPECT_FALSE(derived.Listen(&live).IsListening()) << "listens once";
    destroyed.DestroyWindow();
    handles[3].Reset();
    ASSERT_TRUE(derived.ApplyFilter(dsp::CFilter()));
    ASSERT_TRUE(derived.ApplyNoise(dsp::CSinNoise(0.1f, 0.5f)));
    std::thread([&] { derived.ApplyFilter(dsp::CFilter()); }).join();
    EXPECT_TRUE(live.messages.empty()) << "posted, not sent";
    late.DestroyWindow(); // after the messages were posted, before they arrive
    EXPECT_FALSE(root->Listen(nullptr).IsListening());
    const dsp::CListenerHandle rootListening = root->Listen(&live);
    EXPECT_FALSE(root->ApplyFilter(dsp::CFilter()));
    CApplication::ProcessMessagesFor(50);
    const WPARAM self = reinterpret_cast<WPARAM>(&derived);
    std::vector<WPARAM> updates; // the signal each update was about
    for (const auto& m : live.messages)
        if (m.message == CSignal::UpdateMessage() && m.lParam == 0)
            updates.push_back(m.wParam);
    EXPECT_EQ(updates, (std::vector<WPARAM>(3, self)));
    for (const CRecordingWnd* window : {&destroyed, &late, &removed, &neverOpened})
        EXPECT_TRUE(window->messages.empty());
    handles.clear();
    EXPECT_TRUE(derived.GetListeners().empty()) << "a handle that goes takes its window off";
}

} // namespace
