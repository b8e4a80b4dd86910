#include "game/CGameContext.h"

#include "dsp/CSignal.h"
#include "game/CElementFactory.h"
#include "game/CGameSlide.h"
#include "platform/CDirectory.h"
#include "platform/CRandom.h"
#include "platform/CRegularFile.h"
#include "platform/CText.h"

#include <tinyxml2.h>

#include <cstring>

namespace game {

namespace {

// True when a table cell of the slide is an element that counts for points (an id of its own
// and "points" above 0, the default being 1); hidden filters never count.
bool GivesPoints(const tinyxml2::XMLElement& root) {
    for (auto* table = root.FirstChildElement("table"); table != nullptr;
         table = table->NextSiblingElement("table"))
        for (auto* row = table->FirstChildElement("row"); row != nullptr;
             row = row->NextSiblingElement("row"))
            for (auto* cell = row->FirstChildElement(); cell != nullptr;
                 cell = cell->NextSiblingElement()) {
                if (!CElementFactory::IsElementTag(cell->Name()))
                    continue;
                if (cell->IntAttribute("id", 0) > 0 && cell->IntAttribute("points", 1) > 0)
                    return true;
            }
    return false;
}

} // namespace

CGameContext::CGameContext()
    : m_allExamples(std::make_shared<PathList>()), m_allSlides(std::make_shared<PathList>()),
      m_allExercises(std::make_shared<PathList>()),
      m_examplePool(std::make_shared<PathList>()), m_slidePool(std::make_shared<PathList>()) {
    CRandom::Reseed();
}

CGameContext::CGameContext(CopyTag) : m_isCopy(true) {}

std::unique_ptr<CGameContext> CGameContext::CopyOf(const CGameContext& master) {
    std::unique_ptr<CGameContext> copy(new CGameContext(CopyTag{}));
    copy->m_cellWidth = master.m_cellWidth;
    copy->m_cellHeight = master.m_cellHeight;
    copy->m_vspace = master.m_vspace;
    copy->m_hspace = master.m_hspace;
    copy->m_allExamples = master.m_allExamples;
    copy->m_allSlides = master.m_allSlides;
    copy->m_allExercises = master.m_allExercises;
    copy->m_examplePool = master.m_examplePool;
    copy->m_slidePool = master.m_slidePool;
    CLogFont description;
    if (master.m_textFont.GetLogFont(description))
        copy->m_textFont.CreateFontIndirect(description);
    if (master.m_tooltipFont.GetLogFont(description))
        copy->m_tooltipFont.CreateFontIndirect(description);
    return copy;
}

CGameContext::~CGameContext() = default;

CElement* CGameContext::FindElement(int id) const {
    const auto it = m_registry.find(id);
    return it == m_registry.end() ? nullptr : it->second;
}

CElement* CGameContext::FindElementBySignal(const dsp::CSignal* signal) const {
    for (const auto& [id, owned] : m_signals)
        if (owned.get() == signal)
            return FindElement(id);
    return nullptr;
}

int CGameContext::SwitchGroupOf(int id) const {
    const auto group = m_switchGroups.find(id);
    return group == m_switchGroups.end() ? 0 : group->second;
}

bool CGameContext::Press(int id) {
    const auto group = m_switchGroups.find(id);
    if (group == m_switchGroups.end())
        return false;
    m_pressed[group->second] = id;
    return true;
}

int CGameContext::PressedIdFor(int id) const {
    const auto group = m_switchGroups.find(id);
    if (group == m_switchGroups.end())
        return 0;
    const auto pressed = m_pressed.find(group->second);
    return pressed == m_pressed.end() ? 0 : pressed->second;
}

void CGameContext::ClearPressFor(int id) {
    const auto group = m_switchGroups.find(id);
    if (group != m_switchGroups.end())
        m_pressed[group->second] = 0;
}

int CGameContext::AddExampleFolder(const std::wstring& folder) {
    const std::wstring base = folder + L"/";
    int count = 0;
    for (const std::wstring& name : CDirectory::List(base, L"*.wav")) {
        const std::wstring path = base + name;
        if (!CRegularFile(CDirectory::NativePath(path)).IsOpen())
            continue;
        m_allExamples->push_back(path);
        m_examplePool->push_back(path);
        ++count;
    }
    return count;
}

int CGameContext::AddSlideFolder(const std::wstring& folder) {
    const std::wstring base = folder + L"/";
    int count = 0;
    for (const std::wstring& name : CDirectory::List(base, L"*.xml")) {
        const std::wstring path = base + name;
        // Read as the slide itself will be: a file swapped for a FIFO after the listing, or one
        // beyond the size limit, is passed over instead of holding or filling the game.
        tinyxml2::XMLDocument document;
        if (CGameSlide::LoadDocument(path, document) != ERR_NONE)
            continue;
        const tinyxml2::XMLElement* root = document.RootElement();
        if (root == nullptr || std::strcmp(root->Name(), "GameSlide") != 0)
            continue;
        m_allSlides->push_back(path);
        if (GivesPoints(*root)) {
            m_allExercises->push_back(path);
            m_slidePool->push_back(path);
        }
        ++count;
    }
    return count;
}

std::wstring CGameContext::TakeRandom(const PathList& all, PathList& pool) {
    if (all.empty())
        return {};
    if (pool.empty())
        pool = all;
    const auto k = static_cast<std::size_t>(CRandom::Next()) % pool.size();
    std::wstring picked = pool[k];
    pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(k));
    return picked;
}

std::wstring CGameContext::GetRandomSlide() {
    return TakeRandom(m_allExercises->empty() ? *m_allSlides : *m_allExercises, *m_slidePool);
}

std::wstring CGameContext::GetRandomExample() {
    return TakeRandom(*m_allExamples, *m_examplePool);
}

int CGameContext::ResolveExample(const tinyxml2::XMLElement& node, int ownId) {
    const char* attribute = node.Attribute("example");
    const std::string example = attribute != nullptr ? attribute : "";
    if (example.empty()) {
        int from = 0;
        node.QueryIntAttribute("example_from", &from);
        return from > 0 ? from : 0;
    }
    const std::wstring path = example == "*" ? GetRandomExample() : CText::ToWide(example);
    if (path.empty()) {
        ReportFailure(ownId, L"Für example=\"*\" gibt es kein Beispiel: Die Beispielordner "
                             L"enthalten keine WAV-Datei.");
        return 0;
    }
    auto signal = std::make_unique<dsp::CSignal>();
    if (std::wstring reason; signal->LoadWave(path, &reason) != 0) {
        ReportFailure(ownId, reason);
        return 0;
    }
    SetSignal(ownId, std::move(signal));
    return ownId;
}

dsp::CSignal* CGameContext::FindSignal(int id) const {
    const auto it = m_signals.find(id);
    return it == m_signals.end() ? nullptr : it->second.get();
}

// Elements may still point at a signal that is replaced (two elements with one id), so the old
// one lives on until the slide ends.
void CGameContext::SetSignal(int id, std::unique_ptr<dsp::CSignal> signal) {
    auto& slot = m_signals[id];
    if (slot)
        m_replacedSignals.push_back(std::move(slot));
    slot = std::move(signal);
}

void CGameContext::ReportFailure(int elementId, const std::wstring& reason) {
    if (!m_failureReason.empty())
        return;
    m_failedElement = elementId;
    m_failureReason = reason;
}

} // namespace game
