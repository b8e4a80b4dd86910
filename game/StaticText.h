#pragma once
// A block of text of a slide or table, kept until its static control is created.

#include "platform/WinTypes.h"

#include <memory>
#include <string>

class CFont;
class CStatic;
class CWnd;

namespace tinyxml2 {
class XMLElement;
}

namespace game {

struct StaticText {
    CRect rect;
    std::wstring text;
    bool center = true;

    // The node's text with its escapes: backslash-n becomes a line break (LF, CR), backslash-t
    // a tab.
    static std::wstring ConvertText(const tinyxml2::XMLElement& node);
    // Values scaled by a factor, truncated toward zero.
    static int Scale(int value, float factor) {
        return static_cast<int>(static_cast<float>(value) * factor);
    }
    void ScaleHorizontal(float factor);
    void ScaleVertical(float factor);
    // The visible control of this text in the parent, or null when it cannot be made.
    std::unique_ptr<CStatic> MakeControl(CWnd* parent, const CFont& font) const;
};

} // namespace game
