#include "platform/CApplication.h"
#include "platform/CWindowMessages.h"
#include "platform/CWnd.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class Listener : public CWnd {
public:
    explicit Listener(std::vector<Received>* log) : m_log(log) {}
    bool Open() { return Create(L"Listener", L"", 0, CRect{0, 0, 10, 10}, nullptr, 0); }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        m_log->push_back({message, wParam, lParam});
        return 42;
    }

private:
    std::vector<Received>* m_log;
};

TEST(CWindowMessages, SameNameSameNumberAcrossThreads) {
    const UINT here = CWindowMessages::Register("UWM_TEST_ONEUSE_GUID");
    UINT there = 0;
    std::thread([&] { there = CWindowMessages::Register("UWM_TEST_ONEUSE_GUID"); }).join();
    EXPECT_EQ(here, there);
    EXPECT_GE(here, 0xC000u);
    EXPECT_NE(CWindowMessages::Register("UWM_TEST_TWOUSE_GUID"), here);
}

TEST(CWindowMessages, PostedMessagesReachOnlyLiveWindows) {
    const UINT msg = CWindowMessages::Register("UWM_TEST_POSTUSE_GUID");
    std::vector<Received> log;
    Listener live(&log), destroyed(&log), neverCreated(&log);
    ASSERT_TRUE(live.Open());
    ASSERT_TRUE(destroyed.Open());

    EXPECT_TRUE(live.PostMessage(msg, 1, 0));
    EXPECT_TRUE(destroyed.PostMessage(msg, 2, 0)); // queued, then its window goes
    EXPECT_FALSE(neverCreated.PostMessage(msg, 3, 0));
    destroyed.DestroyWindow();
    EXPECT_FALSE(destroyed.PostMessage(msg, 4, 0));
    CApplication::ProcessMessages();

    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].wParam, 1u);
}

TEST(CWindowMessages, NewWindowAtAFreedAddressGetsNoOldMessage) {
    const UINT msg = CWindowMessages::Register("UWM_TEST_REUSEUSE_GUID");
    std::vector<Received> log;
    auto first = std::make_unique<Listener>(&log);
    ASSERT_TRUE(first->Open());
    first->PostMessage(msg, 1, 0);
    void* address = first.get();
    first.reset();
    // Whether or not the allocator hands out the same address, the old message is dropped.
    auto second = std::make_unique<Listener>(&log);
    ASSERT_TRUE(second->Open());
    CApplication::ProcessMessages();
    EXPECT_TRUE(log.empty()) << (address == second.get() ? "same address" : "new address");
}

TEST(CWindowMessages, PostingFromManyThreadsDeliversOnTheUiThread) {
    const UINT msg = CWindowMessages::Register("UWM_TEST_THREADSUSE_GUID");
    std::vector<Received> log; // only touched on this (the user-interface) thread
    Listener live(&log);
    ASSERT_TRUE(live.Open());
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i)
                live.PostMessage(msg, static_cast<WPARAM>(t), i);
        });
    for (auto& p : posters)
        p.join();
    CApplication::ProcessMessages();
    EXPECT_EQ(log.size(), 400u);
}

TEST(CWindowMessages, SendDeliversAtOnce) {
    std::vector<Received> log;
    Listener live(&log);
    EXPECT_EQ(live.SendMessage(0xC123, 7, 8), 42);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].lParam, 8);
}

} // namespace
