#include "game/StaticText.h"

#include "platform/CStatic.h"
#include "platform/CText.h"

#include <tinyxml2.h>

namespace game {

namespace {
void ReplaceAll(std::wstring& s, const std::wstring& from, const std::wstring& to) {
    for (std::size_t at = s.find(from); at != std::wstring::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}
} // namespace

std::wstring StaticText::ConvertText(const tinyxml2::XMLElement& node) {
    const char* raw = node.GetText();
    std::wstring text = CText::ToWide(raw != nullptr ? raw : "");
    ReplaceAll(text, L"\\n", L"\n\r");
    ReplaceAll(text, L"\\t", L"\t");
    return text;
}

void StaticText::ScaleHorizontal(float factor) {
    rect.left = Scale(rect.left, factor);
    rect.right = Scale(rect.right, factor);
}

void StaticText::ScaleVertical(float factor) {
    rect.top = Scale(rect.top, factor);
    rect.bottom = Scale(rect.bottom, factor);
}

std::unique_ptr<CStatic> StaticText::MakeControl(CWnd* parent, const CFont& font) const {
    auto control = std::make_unique<CStatic>();
    const DWORD style = WS_CHILD | WS_VISIBLE | (center ? SS_CENTER : 0);
    if (!control->Create(L"STATIC", text, style, rect, parent, 0xFFFF))
        return nullptr;
    control->SetFont(&font, true);
    return control;
}

} // namespace game
