#include "game/CSlideTopic.h"

#include "game/CGameSlide.h"
#include "game/ElementError.h"

#include <tinyxml2.h>

#include <algorithm>

namespace game {

const std::vector<std::string>& CSlideTopic::Topics() {
    static const std::vector<std::string> TOPICS = {
        "Einführung", "Zeitsignal", "Abtastung",   "Spektrum",
        "Spektrogramm", "Filterart", "Kerbfilter", "Pole und Nullstellen"};
    return TOPICS;
}

int CSlideTopic::IndexOf(const std::string& topic) {
    const auto& topics = Topics();
    const auto at = std::find(topics.begin(), topics.end(), topic);
    return at == topics.end() ? -1 : static_cast<int>(at - topics.begin());
}

CSlideTopic CSlideTopic::Read(const tinyxml2::XMLElement& root, std::string* error) {
    CSlideTopic info;
    std::string problem;
    if (const char* topic = root.Attribute("topic"); topic != nullptr) {
        if (IndexOf(topic) >= 0) {
            info.topic = topic;
        } else {
            problem = "unknown topic \"" + std::string(topic) + "\"; known are:";
            for (const std::string& known : Topics())
                problem += " \"" + known + "\"";
        }
    }
    if (const char* level = root.Attribute("level"); level != nullptr) {
        int value = 0;
        if (root.QueryIntAttribute("level", &value) == tinyxml2::XML_SUCCESS &&
            value >= MIN_LEVEL && value <= MAX_LEVEL)
            info.level = value;
        else
            problem += (problem.empty() ? "" : "; ") + std::string("level \"") + level +
                       "\" is not a whole number from 1 to 3";
    }
    info.exercise = root.FirstChildElement("explanation") != nullptr;
    if (error != nullptr)
        *error = problem;
    return info;
}

bool CSlideTopic::ReadFile(const std::wstring& path, CSlideTopic& info, std::string* error) {
    tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
    if (CGameSlide::LoadDocument(path, document) != ERR_NONE ||
        std::string_view(document.RootElement()->Name()) != "GameSlide")
        return false;
    info = Read(*document.RootElement(), error);
    return true;
}

} // namespace game
