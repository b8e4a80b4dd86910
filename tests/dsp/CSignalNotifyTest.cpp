// Signals tell the windows that show them of new samples, never a window that is gone.
#include "TestSignals.h"

#include "dsp/CSinNoise.h"

#include "platform/CApplication.h"
#include "platform/CWnd.h"

#include <thread>

using dsp::CSignal;
namespace ts = testsignals;

namespace {

class CListenerWindow : public CWnd {
public:
    std::vector<WPARAM> updates; // wParam of every update message received

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == CSignal::UpdateMessage() && lParam == 0)
            updates.push_back(wParam);
        return 0;
    }
};

class Notification : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_derived.CreateFrom(m_root.get()), 0u);
        for (CListenerWindow* window : {&m_live, &m_destroyed, &m_late})
            ASSERT_TRUE(window->Create(L"Test", L"", WS_VISIBLE, CRect{0, 0, 10, 10}, nullptr, 0));
        for (CWnd* window : {&m_live, &m_destroyed, &m_late, &m_neverOpened})
            ASSERT_TRUE(m_derived.AddListener(window));
        m_destroyed.DestroyWindow();
    }
    void TearDown() override {
        m_live.DestroyWindow();
        m_late.DestroyWindow();
    }
    WPARAM Self() const { return reinterpret_cast<WPARAM>(&m_derived); }

    std::unique_ptr<CSignal> m_root = ts::Make(ts::Noise(4000, 0.5f, 1));
    CSignal m_derived;
    CListenerWindow m_live, m_destroyed, m_late, m_neverOpened;
};

TEST_F(Notification, FilterAndNoiseReachOnlyLiveWindows) {
    ASSERT_TRUE(m_derived.ApplyFilter(dsp::CFilter()));
    ASSERT_TRUE(m_derived.ApplyNoise(dsp::CSinNoise(0.1f, 0.5f)));
    EXPECT_TRUE(m_live.updates.empty()) << "posted, not sent";
    m_late.DestroyWindow(); // after the messages were posted, before they arrive
    // A failed filter and a removed listener tell nobody.
    EXPECT_FALSE(m_root->AddListener(nullptr));
    ASSERT_TRUE(m_root->AddListener(&m_live));
    EXPECT_FALSE(m_root->ApplyFilter(dsp::CFilter()));
    m_derived.RemoveListener(&m_destroyed);
    CApplication::ProcessMessagesFor(50);
    EXPECT_EQ(m_live.updates, (std::vector<WPARAM>{Self(), Self()}));
    EXPECT_TRUE(m_destroyed.updates.empty() && m_late.updates.empty());
    EXPECT_TRUE(m_neverOpened.updates.empty());
    m_derived.RemoveListener(&m_live);
    ASSERT_TRUE(m_derived.ApplyFilter(dsp::CFilter()));
    CApplication::ProcessMessagesFor(50);
    EXPECT_EQ(m_live.updates.size(), 2u);
}

// A slide is prepared on a worker thread; the user-interface thread's windows hear of it.
TEST_F(Notification, PostedFromAnotherThread) {
    std::thread worker([this] { m_derived.ApplyFilter(dsp::CFilter()); });
    worker.join();
    CApplication::ProcessMessagesFor(50);
    EXPECT_EQ(m_live.updates, std::vector<WPARAM>{Self()});
}

} // namespace
