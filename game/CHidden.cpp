#include "game/CHidden.h"

#include "game/CElementFactory.h"
#include "platform/CWindowClasses.h"

#include <tinyxml2.h>

#include <cstring>

namespace game {

CHidden::CHidden(CGameContext* context) : CContainer(context) {
    CWindowClasses::EnsureRegistered(L"MFCGameHidden");
}

int CHidden::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    if (std::strcmp(node.Name(), "hidden") != 0)
        return ERR_XML_TITLE;
    m_style = style & ~WS_VISIBLE;
    m_x = m_y = 0;
    m_width = m_height = 10;
    m_windowClass = L"MFCGameHidden";
    area = CRect{0, 0, 10, 10};
    for (const auto* child = node.FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (std::strcmp(child->Name(), "afilter") != 0)
            return ERR_UNKNOWN_ELEMENT;
        // The tag is right; what is missing is a fixed filter to read it.
        std::unique_ptr<CElement> filter = CElementFactory::Create("afilter", m_context);
        if (!filter)
            return ERR_MISSING_ELEMENT;
        auto& added = m_children.emplace_back(std::move(filter));
        CRect childArea{0, 0, 0, 0};
        if (const int result = added->ReadXml(*child, childArea, style); result != ERR_NONE)
            return result;
    }
    return ERR_NONE;
}

int CHidden::CreateElementWindow(CWnd* parent, UINT id) {
    int result = CElement::CreateElementWindow(parent, id);
    for (auto& child : m_children) {
        if (result != ERR_NONE)
            break;
        result = child->CreateElementWindow(this, id);
    }
    return result;
}

} // namespace game
