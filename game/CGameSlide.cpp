#include "game/CGameSlide.h"

#include "game/CExplanation.h"
#include "game/CGameContext.h"
#include "game/CPlotAxes.h"
#include "game/CHidden.h"
#include "game/CTable.h"
#include "platform/CDirectory.h"
#include "platform/CRegularFile.h"
#include "platform/CWindowClasses.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace game {

CGameSlide::CGameSlide(const CGameContext& master, std::wstring name)
    : CContainer(nullptr), m_ownContext(CGameContext::CopyOf(master)), m_name(std::move(name)) {
    m_context = m_ownContext.get();
    CWindowClasses::EnsureRegistered(L"MFCGameSlide");
}

// Windows before objects, children before the slide; the signals die last with the context.
CGameSlide::~CGameSlide() {
    DestroyWindow();
    m_children.clear();
    m_staticControls.clear();
}

int CGameSlide::GetPoints() {
    int sum = 0;
    for (auto& child : m_children)
        sum += child->GetPoints();
    return sum;
}

void CGameSlide::FitToArea(const CRect& area) {
    if (m_width <= 0 || m_height <= 0)
        return;
    const float fx = static_cast<float>(area.right - area.left) / static_cast<float>(m_width);
    const float fy = static_cast<float>(area.bottom - area.top) / static_cast<float>(m_height);
    const int x = m_x;
    const int y = m_y;
    ScaleHorizontal(fx);
    ScaleVertical(fy);
    m_x = x;
    m_y = y;
}

// The default cell is held to the bound of every cell: a cell without sizes of its own must
// not inherit one it could not have been given.
bool CGameSlide::ReadOptions(const tinyxml2::XMLElement& root) {
    const tinyxml2::XMLElement* opt = root.FirstChildElement("opt");
    if (opt == nullptr)
        return true;
    if (!ReadSize(*opt, 0, *m_context, m_context->m_cellWidth, m_context->m_cellHeight))
        return false;
    opt->QueryIntAttribute("vspace", &m_context->m_vspace);
    opt->QueryIntAttribute("hspace", &m_context->m_hspace);
    return CPlotAxes::ReadSlideSwitches(*opt, *m_context);
}

int CGameSlide::LoadDocument(const std::wstring& path, tinyxml2::XMLDocument& document) {
    const CRegularFile file(CDirectory::NativePath(path));
    if (!file.IsOpen())
        return ERR_OPEN_SLIDE;
    std::string text;
    if (file.Size() > MAX_FILE_BYTES)
        return ERR_MEMORY;
    if (!file.ReadAll(text, MAX_FILE_BYTES))
        return ERR_OPEN_SLIDE;
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS ||
        document.RootElement() == nullptr)
        return ERR_OPEN_SLIDE;
    return ERR_NONE;
}

std::string CGameSlide::LimitExceeded(const tinyxml2::XMLElement& root) {
    // Walked without recursion: the depth is what is being checked.
    std::vector<std::pair<const tinyxml2::XMLElement*, int>> pending{{&root, 1}};
    int elements = 0;
    while (!pending.empty()) {
        const auto [element, depth] = pending.back();
        pending.pop_back();
        if (++elements > MAX_ELEMENTS)
            return "more than " + std::to_string(MAX_ELEMENTS) + " elements";
        if (depth > MAX_DEPTH)
            return "elements nested deeper than " + std::to_string(MAX_DEPTH);
        for (const char* size : {"width", "height", "hspace", "vspace"}) {
            int value = 0;
            if (element->QueryIntAttribute(size, &value) == tinyxml2::XML_SUCCESS &&
                (value > MAX_EXTENT || value < -MAX_EXTENT))
                return std::string(size) + " beyond " + std::to_string(MAX_EXTENT) + " pixels";
        }
        for (const auto* child = element->FirstChildElement(); child;
             child = child->NextSiblingElement())
            pending.emplace_back(child, depth + 1);
    }
    return {};
}

int CGameSlide::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    if (std::strcmp(node.Name(), "GameSlide") != 0)
        return ERR_XML_TITLE;
    if (!LimitExceeded(node).empty())
        return ERR_MEMORY;
    m_style = style | WS_DLGFRAME;
    m_windowClass = L"MFCGameSlide";
    if (!ReadOptions(node))
        return ERR_MEMORY;
    Layout layout{area.right - area.left, area.bottom - area.top};
    for (const auto* child = node.FirstChildElement(); child; child = child->NextSiblingElement())
        if (const int result = ReadChild(*child, layout, style); result != ERR_NONE)
            return result;
    m_width = m_context->m_hspace + layout.maxRight;
    m_height = m_context->m_vspace + layout.maxBottom;
    if (m_width > MAX_EXTENT || m_height > MAX_EXTENT)
        return ERR_MEMORY;
    m_x = ((area.left + area.right) >> 1) - (m_width >> 1);
    m_y = area.top;
    area = CRect{m_x, m_y, m_x + m_width, m_y + m_height};
    CentreHorizontally();
    const int result = Prepare();
    m_ready = result == ERR_NONE;
    return result;
}

int CGameSlide::ReadChild(const tinyxml2::XMLElement& child, Layout& layout, DWORD style) {
    const std::string tag = child.Name();
    const CGameContext& c = *m_context;
    if (tag == "opt")
        return ERR_NONE;
    if (tag == "hidden") {
        auto& hidden = m_children.emplace_back(std::make_unique<CHidden>(m_context));
        CRect area{0, 0, 10, 10};
        return hidden->ReadXml(child, area, style);
    }
    if (tag == "table" || tag == "explanation") {
        // An explanation keeps its place while hidden, so revealing it moves nothing.
        auto& block = m_children.emplace_back(
            tag == "table" ? std::unique_ptr<CElement>(std::make_unique<CTable>(m_context))
                           : std::make_unique<CExplanation>(m_context));
        CRect area{c.m_hspace, c.m_vspace + layout.maxBottom, layout.availWidth, layout.availHeight};
        const int result = block->ReadXml(child, area, style | WS_VISIBLE);
        if (result != ERR_NONE)
            return result;
        layout.maxRight = std::max(layout.maxRight, area.right);
        layout.maxBottom = std::max(layout.maxBottom, area.bottom);
        return ERR_NONE;
    }
    if (tag == "static") {
        int w = c.m_cellWidth, h = c.m_cellHeight, center = 1;
        if (!CElement::ReadSize(child, 0, *m_context, w, h))
            return ERR_MEMORY;
        child.QueryIntAttribute("center", &center);
        StaticText text;
        text.rect.left = c.m_hspace;
        text.rect.top = c.m_vspace + layout.maxBottom;
        text.rect.right = c.m_hspace + w;
        text.rect.bottom = text.rect.top + h;
        text.text = StaticText::ConvertText(child);
        text.center = center > 0;
        layout.maxRight = std::max(layout.maxRight, text.rect.right);
        layout.maxBottom = std::max(layout.maxBottom, text.rect.bottom);
        m_staticTexts.push_back(std::move(text));
        return ERR_NONE;
    }
    return ERR_UNKNOWN_ELEMENT;
}

void CGameSlide::CentreHorizontally() {
    for (auto& child : m_children) {
        const CRect r = child->GetRect();
        child->SetPosition((m_width >> 1) - (r.Width() >> 1), r.top);
    }
    for (StaticText& text : m_staticTexts) {
        const int width = text.rect.right - text.rect.left;
        text.rect.left = (m_width >> 1) - (width >> 1);
        text.rect.right = text.rect.left + width;
    }
}

int CGameSlide::CreateElementWindow(CWnd* parent, UINT id) {
    int result = CElement::CreateElementWindow(parent, id);
    if (result == ERR_NONE) {
        m_context->m_toolTip.Create(this);
        m_context->m_toolTip.SetFont(&m_context->m_tooltipFont, true);
    }
    UINT childId = id;
    for (auto& child : m_children) {
        if (result != ERR_NONE)
            break;
        childId += 100;
        result = child->CreateElementWindow(this, childId);
    }
    if (result == ERR_NONE)
        result = CreateStaticControls();
    m_context->m_toolTip.Activate(true);
    return result;
}

} // namespace game
