#pragma once
// The rule of the practice mode "Üben": which task comes next, from what the player did so far.
// Plain data in, a choice out; the random source is handed in, so a simulated player can test
// the rule without the game.
//
// Per topic it looks at the tries of the topic's slides, oldest first:
// - the level starts at 1, goes up after two successes in a row (all points of a slide) and
//   down after a failure (less than half of them), within 1 to 3;
// - the recent share is the points of the last five tries over their maximum (0 untried).
// The next topic is the one with the lowest recent share; among equal ones the one practised
// longest ago (an untried topic first), then at random. Every fourth task instead goes to the
// topic practised longest ago, whatever its share: the floor that brings every topic back.
// The slide is one of the topic's slides at its level (the nearest level when it has none
// there, the easier of two), at random; the slide just played comes again only when the topic
// has no other slide within a level of it.

#include "app/CTryLog.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class CPracticePlan {
public:
    struct Slide {
        std::wstring path; // as the game loads it
        int topic = 0;     // index into game::CSlideTopic::Topics()
        int level = 1;
    };
    struct TopicState {
        int tries = 0;
        double recentShare = 0.0;
        int level = 1;
        int lastTry = -1; // index in the history, -1: never
    };
    // A number from 0 to count - 1.
    using Random = std::function<int(int count)>;

    static constexpr std::size_t RECENT_TRIES = 5;
    static constexpr int FLOOR_EVERY = 4;
    static constexpr int SUCCESSES_UP = 2;

    explicit CPracticePlan(std::vector<Slide> slides = {});
    // The tasks among the slide files: those with a topic and an explanation (an exercise).
    static CPracticePlan FromFiles(const std::vector<std::wstring>& paths);

    bool IsEmpty() const { return m_slides.empty(); }
    // Indexed by topic; a try of a slide that is no practice task counts for no topic.
    std::vector<TopicState> States(const std::vector<CTryLog::Try>& history) const;
    // The topic of the next task, -1 when there is none.
    int NextTopic(const std::vector<CTryLog::Try>& history, const Random& random) const;
    // Null when there is no task at all.
    const Slide* NextSlide(const std::vector<CTryLog::Try>& history, const Random& random) const;

    static bool IsSuccess(const CTryLog::Try& t) { return t.maximum > 0 && t.points >= t.maximum; }
    static bool IsFailure(const CTryLog::Try& t) { return 2 * t.points < t.maximum; }

private:
    int TopicOf(const std::string& slideName) const;

    std::vector<Slide> m_slides;
    std::map<std::string, int> m_topicOf; // slide file name (UTF-8) -> topic
};
