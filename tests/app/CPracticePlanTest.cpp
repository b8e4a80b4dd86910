#include "app/CPracticePlan.h"
#include "game/CSlideTopic.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

constexpr int WEAK = 3; // "Spektrum"

// Seven topics with two slides at each level: "t<topic>l<level><a or b>.xml".
CPracticePlan Plan() {
    std::vector<CPracticePlan::Slide> slides;
    for (int topic = 1; topic < 8; ++topic)
        for (int level = 1; level <= 3; ++level)
            for (const wchar_t* twin : {L"a", L"b"})
                slides.push_back({L"slides/t" + std::to_wstring(topic) + L"l" +
                                      std::to_wstring(level) + twin + L".xml",
                                  topic, level});
    return CPracticePlan(std::move(slides));
}

// A simulated player practises `tasks` tasks; `points` says what it scores of 2 on each slide.
std::vector<CPracticePlan::Slide> Practise(const CPracticePlan& plan, unsigned seed, int tasks,
                                           const std::function<int(const CPracticePlan::Slide&)>& points,
                                           std::vector<CTryLog::Try>& history) {
    unsigned state = seed;
    const CPracticePlan::Random random = [&state](int count) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % static_cast<unsigned>(count));
    };
    std::vector<CPracticePlan::Slide> drawn;
    for (int i = 0; i < tasks; ++i) {
        const CPracticePlan::Slide* slide = plan.NextSlide(history, random);
        if (slide == nullptr)
            break;
        drawn.push_back(*slide);
        history.push_back({"", std::string(slide->path.begin() + 7, slide->path.end()),
                           points(*slide), 2, 10.0});
    }
    return drawn;
}

// Players simulated over many seeds: practice goes where the player fails, and climbs where
// the player succeeds.
TEST(PracticePlan, DrawsTheWeakestTopicAndClimbsWithSuccess) {
    const CPracticePlan plan = Plan();
    const struct {
        const char* name;
        int tasks;
        std::function<int(const CPracticePlan::Slide&)> points;
        std::function<void(const std::vector<CPracticePlan::Slide>&,
                           const std::vector<CPracticePlan::TopicState>&)> check;
    } cases[] = {
        {"always fails one topic", 20,
         [](const CPracticePlan::Slide& s) { return s.topic == WEAK ? 0 : 2; },
         [](const auto& drawn, const auto& states) {
             const auto weak = std::count_if(drawn.begin(), drawn.end(),
                                             [](const auto& s) { return s.topic == WEAK; });
             EXPECT_GE(weak, 10);
             EXPECT_EQ(states[WEAK].level, 1);
             for (std::size_t i = 1; i < drawn.size(); ++i) // never the same slide twice
                 EXPECT_NE(drawn[i].path, drawn[i - 1].path);
             std::set<int> topics; // the floor: every topic comes, and mastered ones come back
             for (const auto& s : drawn)
                 topics.insert(s.topic);
             EXPECT_EQ(topics.size(), 7u);
             EXPECT_GT(20 - weak, 7);
         }},
        {"perfect player", 4 * 7,
         [](const CPracticePlan::Slide&) { return 2; },
         [](const auto& drawn, const auto& states) {
             for (int topic = 1; topic < 8; ++topic)
                 EXPECT_EQ(states[topic].level, 3) << topic;
             EXPECT_EQ(drawn.back().level, 2); // the level-3 slides only come after 28 tasks
         }},
        {"solves the easy slides only", 60,
         [](const CPracticePlan::Slide& s) { return s.level == 1 ? 2 : 0; },
         [](const auto& drawn, const auto& states) {
             EXPECT_GE(std::count_if(drawn.begin(), drawn.end(),
                                     [](const auto& s) { return s.level == 1; }), 30);
             for (const auto& s : drawn)
                 EXPECT_LE(s.level, 2);
             for (int topic = 1; topic < 8; ++topic)
                 EXPECT_LE(states[topic].level, 2) << topic;
         }},
        {"half the points neither climbs nor falls", 30,
         [](const CPracticePlan::Slide& s) { return s.topic == WEAK && s.level > 1 ? 1 : 2; },
         [](const auto& drawn, const auto& states) {
             EXPECT_EQ(states[WEAK].level, 2);
             EXPECT_EQ(std::count_if(drawn.begin(), drawn.end(),
                                     [](const auto& s) { return s.topic == WEAK && s.level == 1; }),
                       2);
         }},
    };
    for (const auto& c : cases)
        for (unsigned seed = 1; seed <= 30; ++seed) {
            SCOPED_TRACE(std::string(c.name) + ", seed " + std::to_string(seed));
            std::vector<CTryLog::Try> history;
            const auto drawn = Practise(plan, seed, c.tasks, c.points, history);
            ASSERT_EQ(drawn.size(), static_cast<std::size_t>(c.tasks));
            c.check(drawn, plan.States(history));
        }
}

} // namespace
