#pragma once
// What the elements of one slide share: cell defaults, fonts, the tooltip control, the element
// registry, the drag-to-swap state, the catalogue of slides and examples, and the signals
// loaded for the slide. The main dialog holds the master; every slide holds its own copy.

#include "platform/CFont.h"
#include "platform/CToolTipCtrl.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}
namespace dsp {
class CSignal;
}

namespace game {

class CElement;

class CGameContext {
public:
    using PathList = std::vector<std::wstring>;

    // The master: default cells, empty catalogue, the calling thread's generator seeded.
    CGameContext();
    // A slide's copy: cell defaults and catalogue shared with the master, fonts re-created.
    static std::unique_ptr<CGameContext> CopyOf(const CGameContext& master);
    ~CGameContext();
    CGameContext(const CGameContext&) = delete;
    CGameContext& operator=(const CGameContext&) = delete;

    // Element registry and drag-to-swap state.
    void Register(int id, CElement* element) { m_registry[id] = element; }
    CElement* FindElement(int id) const;
    CElement* FindElementBySignal(const dsp::CSignal* signal) const;
    void SetSwitchGroup(int id, int group) { m_switchGroups[id] = group; }
    bool HasSwitchGroup(int id) const { return m_switchGroups.count(id) != 0; }
    // The switch group of the element with this id; 0 when it is in none.
    int SwitchGroupOf(int id) const;
    bool Press(int id);
    int PressedIdFor(int id) const;
    void ClearPressFor(int id);

    // Catalogue (lists shared by the master and all its copies).
    int AddExampleFolder(const std::wstring& folder);
    int AddSlideFolder(const std::wstring& folder);
    // A slide for the random tasks: only exercises that give points take part, since a text
    // or a demonstration has nothing to evaluate; every slide when the folders hold no
    // exercise at all.
    std::wstring GetRandomSlide();
    std::wstring GetRandomExample();
    // Every slide, or every example, may come again from the next draw on: a run whose draws
    // follow from a fixed seed then does not depend on what earlier runs drew.
    void RestartSlideCycle() { m_slidePool->clear(); }
    void RestartExampleCycle() { m_examplePool->clear(); }
    // The id of the element whose signal the node's element shows, loading "example" into a
    // new signal under ownId; 0 when there is none.
    int ResolveExample(const tinyxml2::XMLElement& node, int ownId);
    const PathList& AllSlides() const { return *m_allSlides; }
    const PathList& AllExamples() const { return *m_allExamples; }

    // Signals of the slide, owned here and deleted with the context.
    dsp::CSignal* FindSignal(int id) const;
    void SetSignal(int id, std::unique_ptr<dsp::CSignal> signal);
    const std::map<int, std::unique_ptr<dsp::CSignal>>& Signals() const { return m_signals; }

    bool IsCopy() const { return m_isCopy; }

    // Why an element operation failed, beyond its code: one German sentence for the player
    // and the id of the element (0: the slide itself). The first report stands, since what
    // fails after it usually follows from it.
    void ReportFailure(int elementId, const std::wstring& reason);
    int FailedElement() const { return m_failedElement; }
    const std::wstring& FailureReason() const { return m_failureReason; }

    int m_cellWidth = 256;
    int m_cellHeight = 128;
    int m_vspace = 10;
    int m_hspace = 10;
    // The slide's choice for its plots: axes beside them, a read-out under the pointer.
    bool m_plotAxes = false;
    bool m_plotReadout = false;
    CFont m_textFont;
    CFont m_tooltipFont;
    CToolTipCtrl m_toolTip;

private:
    struct CopyTag {};
    explicit CGameContext(CopyTag);
    static std::wstring TakeRandom(const PathList& all, PathList& pool);

    std::map<int, CElement*> m_registry;
    std::map<int, int> m_pressed;      // switch group -> pressed id
    std::map<int, int> m_switchGroups; // id -> switch group
    std::shared_ptr<PathList> m_allExamples;
    std::shared_ptr<PathList> m_allSlides;
    std::shared_ptr<PathList> m_allExercises; // the slides of m_allSlides that give points
    std::shared_ptr<PathList> m_examplePool;
    std::shared_ptr<PathList> m_slidePool;
    std::map<int, std::unique_ptr<dsp::CSignal>> m_signals;
    std::vector<std::unique_ptr<dsp::CSignal>> m_replacedSignals;
    bool m_isCopy = false;
    int m_failedElement = 0;
    std::wstring m_failureReason;
};

} // namespace game
