#pragma once
// Why the right answer is right: a block of text of the slide that keeps its place in the
// layout from the start but stays hidden until the slide is evaluated, so it cannot give the
// answer away.

#include "game/CElement.h"

#include <memory>

class CStatic;

namespace game {

class CExplanation : public CElement {
public:
    // Beyond this a size is a typing error: twice the area the main dialog gives a slide.
    static constexpr int MAX_SIZE = 2000;

    explicit CExplanation(CGameContext* context);
    ~CExplanation() override;

    // An explanation counts for nothing.
    int GetPoints() override { return 0; }
    int GetMaxPoints() override { return 0; }
    int Prepare() override { return ERR_NONE; }
    // Refuses an explanation without text, with a size of no use or after another one, and
    // says why with its line in the slide file.
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;
    int CreateElementWindow(CWnd* parent, UINT id) override;
    void RevealAnswer() override;
    bool DestroyWindow() override;

    bool IsCentred() const { return m_centred; }
    int GetLine() const { return m_line; }

private:
    int Refuse(int code, const std::wstring& why);

    bool m_centred = false;
    int m_line = 0;
    std::unique_ptr<CStatic> m_control;
};

} // namespace game
