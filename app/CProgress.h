#pragma once
// The figures of the progress view "Fortschritt", per course and per topic: how often the
// player tried its slides (from the statistics, so tries from before the tries were kept count
// too), the share of points reached and the trend of the last tries (from the kept tries, the
// only place that knows each try's maximum), and which topics are weakest.

#include "app/CGameConfig.h"
#include "app/CGameStatistics.h"
#include "app/CTryLog.h"
#include "dialogs/CProgressView.h"

#include <map>
#include <string>
#include <vector>

class CProgress {
public:
    static constexpr std::size_t TREND_TRIES = 10;
    static constexpr std::size_t WEAKEST = 3;

    struct Figures {
        std::vector<ProgressRow> courses; // in menu order
        std::vector<ProgressRow> topics;  // every topic, in teaching order
        std::vector<std::wstring> weakest; // up to WEAKEST topics below a full share, weakest first
    };

    // topicOf: slide file name (UTF-8) -> topic, for the slides that name one.
    static Figures Compute(const CGameStatistics::SlideMap& slides,
                           const std::vector<CTryLog::Try>& tries,
                           const std::vector<CCourse>& courses,
                           const std::map<std::string, std::string>& topicOf);
    // The topics the slide files name, keyed by file name; reads only the files' roots.
    static std::map<std::string, std::string> TopicsOf(const std::vector<std::wstring>& paths);
};
