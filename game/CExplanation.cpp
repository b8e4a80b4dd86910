#include "game/CExplanation.h"

#include "game/CGameContext.h"
#include "game/StaticText.h"
#include "platform/CStatic.h"
#include "platform/CWindowClasses.h"

#include <tinyxml2.h>

#include <string>

namespace game {

namespace {
bool IsBlank(const std::wstring& text) {
    return text.find_first_not_of(L" \t\n\r") == std::wstring::npos;
}
} // namespace

CExplanation::CExplanation(CGameContext* context) : CElement(context) {
    CWindowClasses::EnsureRegistered(L"MFCExplanation");
}

CExplanation::~CExplanation() {
    CExplanation::DestroyWindow();
}

int CExplanation::Refuse(int code, const std::wstring& why) {
    m_context->ReportFailure(m_id,
                             L"Die Erklärung in Zeile " + std::to_wstring(m_line) + L" " + why);
    return code;
}

int CExplanation::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    m_line = node.GetLineNum();
    if (node.PreviousSiblingElement("explanation") != nullptr)
        return Refuse(ERR_UNKNOWN_ELEMENT, L"ist schon die zweite; eine Folie hat nur eine.");
    m_width = m_context->m_cellWidth;
    m_height = m_context->m_cellHeight;
    node.QueryIntAttribute("width", &m_width);
    node.QueryIntAttribute("height", &m_height);
    int center = 0;
    node.QueryIntAttribute("center", &center);
    m_centred = center > 0;
    m_text = StaticText::ConvertText(node);
    if (IsBlank(m_text))
        return Refuse(ERR_MISSING_ELEMENT, L"hat keinen Text.");
    if (m_width <= 0 || m_height <= 0 || m_width > MAX_SIZE || m_height > MAX_SIZE)
        return Refuse(ERR_UNKNOWN_ELEMENT, L"ist " + std::to_wstring(m_width) + L" × " +
                                               std::to_wstring(m_height) +
                                               L" Pixel groß; erlaubt sind 1 bis " +
                                               std::to_wstring(MAX_SIZE) + L" Pixel.");
    // Without the visible bit: the window exists from the start, but shows only when revealed.
    m_style = style & ~static_cast<DWORD>(WS_VISIBLE);
    m_windowClass = L"MFCExplanation";
    m_x = area.left;
    m_y = area.top;
    area.right = m_x + m_width;
    area.bottom = m_y + m_height;
    return ERR_NONE;
}

int CExplanation::CreateElementWindow(CWnd* parent, UINT id) {
    if (const int result = CElement::CreateElementWindow(parent, id); result != ERR_NONE)
        return result;
    const StaticText block{CRect{0, 0, m_width, m_height}, m_text, m_centred};
    m_control = block.MakeControl(this, m_context->m_textFont);
    return m_control ? ERR_NONE : ERR_MEMORY;
}

void CExplanation::RevealAnswer() {
    ShowWindow(true);
}

bool CExplanation::DestroyWindow() {
    if (m_control)
        m_control->DestroyWindow();
    return CElement::DestroyWindow();
}

} // namespace game
