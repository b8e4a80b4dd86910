#include "app/CProgress.h"

#include "game/CSlideTopic.h"
#include "platform/CDirectory.h"
#include "platform/CText.h"

#include <algorithm>
#include <functional>
#include <set>

namespace {

using SlideSet = std::set<std::string>;

ProgressRow RowFor(const std::wstring& label, const SlideSet& members,
                   const CGameStatistics::SlideMap& slides,
                   const std::vector<CTryLog::Try>& tries) {
    ProgressRow row;
    row.label = label;
    for (const std::string& name : members)
        if (const auto stat = slides.find(name); stat != slides.end())
            row.tries += stat->second.played;
    double points = 0.0, maximum = 0.0;
    for (const CTryLog::Try& t : tries) {
        if (t.maximum <= 0 || members.count(t.slide) == 0)
            continue;
        points += t.points;
        maximum += t.maximum;
        row.trend.push_back(static_cast<double>(t.points) / t.maximum);
    }
    if (maximum > 0.0)
        row.share = points / maximum;
    if (row.trend.size() > CProgress::TREND_TRIES)
        row.trend.erase(row.trend.begin(), row.trend.end() - CProgress::TREND_TRIES);
    return row;
}

} // namespace

CProgress::Figures CProgress::Compute(const CGameStatistics::SlideMap& slides,
                                      const std::vector<CTryLog::Try>& tries,
                                      const std::vector<CCourse>& courses,
                                      const std::map<std::string, std::string>& topicOf) {
    Figures figures;
    for (const CCourse& course : courses) {
        SlideSet members;
        for (const std::wstring& path : course.slides)
            members.insert(CText::ToNarrow(CDirectory::FileName(path)));
        figures.courses.push_back(RowFor(course.title, members, slides, tries));
    }
    for (const std::string& topic : game::CSlideTopic::Topics()) {
        SlideSet members;
        for (const auto& [name, its] : topicOf)
            if (its == topic)
                members.insert(name);
        figures.topics.push_back(RowFor(CText::ToWide(topic), members, slides, tries));
    }
    std::vector<const ProgressRow*> weak;
    for (const ProgressRow& row : figures.topics)
        if (row.share >= 0.0 && row.share < 1.0)
            weak.push_back(&row);
    std::stable_sort(weak.begin(), weak.end(),
                     [](const ProgressRow* a, const ProgressRow* b) { return a->share < b->share; });
    for (std::size_t i = 0; i < weak.size() && i < WEAKEST; ++i)
        figures.weakest.push_back(weak[i]->label);
    return figures;
}

std::map<std::string, std::string> CProgress::TopicsOf(const std::vector<std::wstring>& paths) {
    std::map<std::string, std::string> topicOf;
    for (const std::wstring& path : paths) {
        game::CSlideTopic info;
        if (game::CSlideTopic::ReadFile(path, info) && !info.topic.empty())
            topicOf[CText::ToNarrow(CDirectory::FileName(path))] = info.topic;
    }
    return topicOf;
}
