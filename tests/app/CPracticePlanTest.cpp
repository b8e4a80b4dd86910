#include "app/CPracticePlan.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

constexpr int WEAK = 3; // "Spektrum"

// Players simulated over many seeds: practice goes where the player fails, climbs where the
// player succeeds, never gives one slide twice in a row, and the floor brings every topic.
TEST(PracticePlan, DrawsTheWeakestTopicAndClimbsWithSuccess) {
    using Slide = CPracticePlan::Slide;
    std::vector<Slide> slides; // seven topics, two slides a level: "t<topic>l<level>{a,b}.xml"
    for (int topic = 1; topic < 8; ++topic)
        for (int level = 1; level <= 3; ++level)
            for (const wchar_t* twin : {L"a", L"b"})
                slides.push_back({L"slides/t" + std::to_wstring(topic) + L"l" +
                                      std::to_wstring(level) + twin + L".xml",
                                  topic, level});
    const CPracticePlan plan(std::move(slides));
    const struct {
        const char* name;
        int tasks;
        std::function<int(const Slide&)> points; // what the player scores of 2 on the slide
        int weakMin, weakMax;                    // draws of the weak topic
        int weakLevel;                           // its level at the end, 0: any
        int easyMin, easyMax;                    // draws of level 1
        int highest;                             // level of any drawn slide
        int atTop;                               // topics at level 3 at the end, -1: any
    } cases[] = {
        {"always fails one topic", 20, [](const Slide& s) { return s.topic == WEAK ? 0 : 2; }, 10,
         12, 1, 0, 20, 2, -1},
        {"perfect player", 4 * 7, [](const Slide&) { return 2; }, 4, 4, 3, 14, 14, 2, 7},
        {"solves the easy slides only", 60, [](const Slide& s) { return s.level == 1 ? 2 : 0; }, 0,
         60, 0, 30, 60, 2, 0},
        {"half the points neither climbs nor falls", 30,
         [](const Slide& s) { return s.topic == WEAK && s.level > 1 ? 1 : 2; }, 10, 30, 2, 0, 30, 3,
         -1},
    };
    for (const auto& c : cases)
        for (unsigned seed = 1; seed <= 30; ++seed) {
            SCOPED_TRACE(std::string(c.name) + ", seed " + std::to_string(seed));
            unsigned state = seed;
            const CPracticePlan::Random random = [&state](int count) {
                state = state * 1103515245u + 12345u;
                return static_cast<int>((state >> 16) % static_cast<unsigned>(count));
            };
            std::vector<CTryLog::Try> history;
            std::set<int> topics;
            int weak = 0, easy = 0;
            for (int i = 0; i < c.tasks; ++i) {
                const Slide& slide = *plan.NextSlide(history, random);
                const std::string name(slide.path.begin() + 7, slide.path.end());
                EXPECT_LE(slide.level, c.highest);
                EXPECT_TRUE(history.empty() || history.back().slide != name) << name;
                topics.insert(slide.topic);
                weak += slide.topic == WEAK;
                easy += slide.level == 1;
                history.push_back({"", name, c.points(slide), 2, 10.0});
            }
            const auto states = plan.States(history);
            EXPECT_TRUE(weak >= c.weakMin && weak <= c.weakMax) << weak;
            EXPECT_TRUE(c.weakLevel == 0 || states[WEAK].level == c.weakLevel);
            EXPECT_TRUE(easy >= c.easyMin && easy <= c.easyMax) << easy;
            EXPECT_EQ(topics.size(), 7u);
            const auto top = std::count_if(states.begin(), states.end(),
                                           [](const auto& t) { return t.level == 3; });
            EXPECT_TRUE(c.atTop < 0 || top == c.atTop) << top;
        }
}

} // namespace
