#include "game/CElementFactory.h"

#include "game/CConstFilter.h"
#include "game/CElement.h"
#include "game/CImpulseResponsePlot.h"
#include "game/CNotchFilter.h"
#include "game/CPhaseResponsePlot.h"
#include "game/CPoleZeroPlot.h"
#include "game/CSpectrogramPlot.h"
#include "game/CSpectrumPlot.h"
#include "game/CWavePlot.h"

#include <map>
#include <mutex>

namespace game {

namespace {

template <typename Element> std::unique_ptr<CElement> Make(CGameContext* context) {
    return std::make_unique<Element>(context);
}

// The element kinds slide files may use, by tag: one line per kind.
std::map<std::string, CElementFactory::Maker> BuiltInKinds() {
    return {
        {"afilter", Make<CConstFilter>},
        {"impulse", Make<CImpulseResponsePlot>},
        {"notch",
         [](CGameContext* context) -> std::unique_ptr<CElement> {
             return std::make_unique<CNotchFilter>(context, 1.0f / 256.0f, 0.9f);
         }},
        {"phase", Make<CPhaseResponsePlot>},
        {"polezero", Make<CPoleZeroPlot>},
        {"spectrum", Make<CSpectrumPlot>},
        {"spectrogram", Make<CSpectrogramPlot>},
        {"wave", Make<CWavePlot>},
    };
}

struct Table {
    std::mutex mutex;
    std::map<std::string, CElementFactory::Maker> makers = BuiltInKinds();
};

Table& TheTable() {
    static Table table;
    return table;
}

} // namespace

std::unique_ptr<CElement> CElementFactory::Create(const std::string& tag, CGameContext* context) {
    Maker maker;
    {
        Table& t = TheTable();
        std::lock_guard lock(t.mutex);
        const auto it = t.makers.find(tag);
        if (it == t.makers.end())
            return nullptr;
        maker = it->second;
    }
    return maker(context);
}

bool CElementFactory::IsElementTag(const std::string& tag) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    return t.makers.count(tag) != 0;
}

CElementFactory::Maker CElementFactory::Register(const std::string& tag, Maker maker) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    const auto it = t.makers.find(tag);
    Maker previous = it != t.makers.end() ? std::move(it->second) : Maker{};
    if (maker)
        t.makers[tag] = std::move(maker);
    else if (it != t.makers.end())
        t.makers.erase(it);
    return previous;
}

} // namespace game
