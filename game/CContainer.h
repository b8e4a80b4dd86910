#pragma once
// What slides, tables and hidden containers share: child elements held in document order
// (so child window ids and the first reported failure are the same on every run), static texts
// that become controls with the windows, and destruction children first.

#include "game/CElement.h"
#include "game/StaticText.h"
#include "platform/CStatic.h"

#include <memory>
#include <vector>

namespace game {

class CContainer : public CElement {
public:
    ~CContainer() override;

    // Own rectangle (while no window exists), then the children, then the texts.
    void ScaleVertical(float factor) override;
    void ScaleHorizontal(float factor) override;
    int GetMaxPoints() override;
    // Every child in order.
    void RevealAnswer() override;
    // Every child in order; the first code other than ERR_NONE ends it.
    int Prepare() override;
    // Children first, then the static texts, then the own window.
    bool DestroyWindow() override;

    const std::vector<std::unique_ptr<CElement>>& Children() const { return m_children; }
    const std::vector<StaticText>& StaticTexts() const { return m_staticTexts; }

protected:
    explicit CContainer(CGameContext* context);
    // Creates a control for every remaining text, last first; ERR_MEMORY when one fails.
    int CreateStaticControls();

    std::vector<std::unique_ptr<CElement>> m_children;
    std::vector<StaticText> m_staticTexts;
    std::vector<std::unique_ptr<CStatic>> m_staticControls;
};

} // namespace game
