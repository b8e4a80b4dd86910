#include "app/CPracticePlan.h"

#include "game/CSlideTopic.h"
#include "platform/CDirectory.h"
#include "platform/CText.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

std::string NameOf(const std::wstring& path) { return CText::ToNarrow(CDirectory::FileName(path)); }

// Picks one of the candidates, the best first; those equal to the best by same() are drawn.
template <typename T, typename Same>
T DrawAmongBest(const std::vector<T>& sorted, Same same, const CPracticePlan::Random& random) {
    std::size_t equal = 1;
    while (equal < sorted.size() && same(sorted[0], sorted[equal]))
        ++equal;
    const int pick = random(static_cast<int>(equal));
    return sorted[static_cast<std::size_t>(std::clamp(pick, 0, static_cast<int>(equal) - 1))];
}

} // namespace

CPracticePlan::CPracticePlan(std::vector<Slide> slides) : m_slides(std::move(slides)) {
    for (const Slide& slide : m_slides)
        m_topicOf[NameOf(slide.path)] = slide.topic;
}

CPracticePlan CPracticePlan::FromFiles(const std::vector<std::wstring>& paths) {
    std::vector<Slide> slides;
    for (const std::wstring& path : paths) {
        game::CSlideTopic info;
        if (game::CSlideTopic::ReadFile(path, info) && info.exercise && !info.topic.empty())
            slides.push_back({path, game::CSlideTopic::IndexOf(info.topic), info.level});
    }
    return CPracticePlan(std::move(slides));
}

int CPracticePlan::TopicOf(const std::string& slideName) const {
    const auto at = m_topicOf.find(slideName);
    return at == m_topicOf.end() ? -1 : at->second;
}

std::vector<CPracticePlan::TopicState>
CPracticePlan::States(const std::vector<CTryLog::Try>& history) const {
    std::vector<TopicState> states(game::CSlideTopic::Topics().size());
    std::vector<std::vector<const CTryLog::Try*>> tries(states.size());
    std::vector<int> streak(states.size(), 0);
    for (std::size_t i = 0; i < history.size(); ++i) {
        const int topic = TopicOf(history[i].slide);
        if (topic < 0)
            continue;
        TopicState& state = states[static_cast<std::size_t>(topic)];
        int& successes = streak[static_cast<std::size_t>(topic)];
        ++state.tries;
        state.lastTry = static_cast<int>(i);
        tries[static_cast<std::size_t>(topic)].push_back(&history[i]);
        if (IsSuccess(history[i]) && ++successes == SUCCESSES_UP) {
            state.level = std::min(state.level + 1, game::CSlideTopic::MAX_LEVEL);
            successes = 0;
        } else if (!IsSuccess(history[i])) {
            if (IsFailure(history[i]))
                state.level = std::max(state.level - 1, game::CSlideTopic::MIN_LEVEL);
            successes = 0;
        }
    }
    for (std::size_t topic = 0; topic < states.size(); ++topic) {
        const auto& list = tries[topic];
        double points = 0.0, maximum = 0.0;
        for (std::size_t k = list.size() > RECENT_TRIES ? list.size() - RECENT_TRIES : 0;
             k < list.size(); ++k) {
            points += list[k]->points;
            maximum += list[k]->maximum;
        }
        states[topic].recentShare = maximum > 0.0 ? points / maximum : 0.0;
    }
    return states;
}

int CPracticePlan::NextTopic(const std::vector<CTryLog::Try>& history, const Random& random) const {
    const std::vector<TopicState> states = States(history);
    std::vector<int> topics;
    int practised = 0;
    for (const Slide& slide : m_slides)
        if (std::find(topics.begin(), topics.end(), slide.topic) == topics.end())
            topics.push_back(slide.topic);
    if (topics.empty())
        return -1;
    for (int topic : topics)
        practised += states[static_cast<std::size_t>(topic)].tries;
    const bool floor = (practised + 1) % FLOOR_EVERY == 0;
    const auto state = [&](int topic) -> const TopicState& {
        return states[static_cast<std::size_t>(topic)];
    };
    const auto weaker = [&](int a, int b) {
        if (!floor && state(a).recentShare != state(b).recentShare)
            return state(a).recentShare < state(b).recentShare;
        return state(a).lastTry < state(b).lastTry;
    };
    std::sort(topics.begin(), topics.end(), weaker);
    return DrawAmongBest(topics, [&](int a, int b) { return !weaker(a, b) && !weaker(b, a); },
                         random);
}

const CPracticePlan::Slide* CPracticePlan::NextSlide(const std::vector<CTryLog::Try>& history,
                                                     const Random& random) const {
    const int topic = NextTopic(history, random);
    if (topic < 0)
        return nullptr;
    const int level = States(history)[static_cast<std::size_t>(topic)].level;
    const std::string last = history.empty() ? std::string() : history.back().slide;
    std::vector<const Slide*> candidates;
    for (const Slide& slide : m_slides)
        if (slide.topic == topic)
            candidates.push_back(&slide);
    // Nearest level first, the easier one of two equally near. The slide just played counts
    // as one and a half levels away: another slide a level off comes before it.
    const auto key = [&](const Slide* s) {
        const int distance = 2 * std::abs(s->level - level) + (NameOf(s->path) == last ? 3 : 0);
        return std::pair(distance, s->level > level);
    };
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](const Slide* a, const Slide* b) { return key(a) < key(b); });
    return DrawAmongBest(candidates, [&](const Slide* a, const Slide* b) { return key(a) == key(b); },
                         random);
}
