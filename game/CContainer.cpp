#include "game/CContainer.h"

#include "game/CGameContext.h"
#include "platform/CStatic.h"

namespace game {

CContainer::CContainer(CGameContext* context) : CElement(context) {}

// Windows before objects, children before the container.
CContainer::~CContainer() {
    CContainer::DestroyWindow();
    m_children.clear();
    m_staticControls.clear();
}

void CContainer::ScaleHorizontal(float factor) {
    CElement::ScaleHorizontal(factor);
    for (auto& child : m_children)
        child->ScaleHorizontal(factor);
    for (StaticText& text : m_staticTexts)
        text.ScaleHorizontal(factor);
}

void CContainer::ScaleVertical(float factor) {
    CElement::ScaleVertical(factor);
    for (auto& child : m_children)
        child->ScaleVertical(factor);
    for (StaticText& text : m_staticTexts)
        text.ScaleVertical(factor);
}

void CContainer::RevealAnswer() {
    for (auto& child : m_children)
        child->RevealAnswer();
}

int CContainer::GetMaxPoints() {
    int sum = 0;
    for (auto& child : m_children)
        sum += child->GetMaxPoints();
    return sum;
}

int CContainer::Prepare() {
    for (auto& child : m_children)
        if (const int result = child->Prepare(); result != ERR_NONE)
            return result;
    return ERR_NONE;
}

bool CContainer::DestroyWindow() {
    for (auto& child : m_children)
        child->DestroyWindow();
    for (auto& control : m_staticControls)
        control->DestroyWindow();
    return CElement::DestroyWindow();
}

int CContainer::CreateStaticControls() {
    while (!m_staticTexts.empty()) {
        auto control = m_staticTexts.back().MakeControl(this, m_context->m_textFont);
        if (!control)
            return ERR_MEMORY;
        m_staticControls.push_back(std::move(control));
        m_staticTexts.pop_back();
    }
    return ERR_NONE;
}

} // namespace game
