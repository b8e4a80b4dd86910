#pragma once
// One page of the game, read from a slide file: tables and texts stacked vertically and
// centred, hidden containers beside them. The slide owns its copy of the context.

#include "game/CContainer.h"

#include <memory>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
}

namespace game {

class CGameContext;

class CGameSlide : public CContainer {
public:
    // Limits no real slide comes near. Beyond them a slide file is refused (ERR_MEMORY) before
    // it can take the memory and time of the whole game.
    static constexpr std::size_t MAX_FILE_BYTES = 4 << 20;
    static constexpr int MAX_ELEMENTS = 2000; // XML elements in the whole file
    static constexpr int MAX_DEPTH = 12;      // nesting of XML elements, the root being 1
    static constexpr int MAX_EXTENT = 100000; // pixels: any size attribute, and the slide itself

    // Reads a slide file into the document the way the game does: only a regular file, at most
    // MAX_FILE_BYTES, with a root element. ERR_OPEN_SLIDE or ERR_MEMORY otherwise.
    static int LoadDocument(const std::wstring& path, tinyxml2::XMLDocument& document);
    // The first limit the slide's tree exceeds, in words; empty when it keeps them all.
    static std::string LimitExceeded(const tinyxml2::XMLElement& root);

    CGameSlide(const CGameContext& master, std::wstring name);
    ~CGameSlide() override;

    int GetPoints() override;
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;
    int CreateElementWindow(CWnd* parent, UINT id) override;
    std::wstring AccessibleName() const override { return L"Folie"; }

    // Scales the slide about its top-left corner to the rectangle's size.
    void FitToArea(const CRect& area);
    std::wstring GetName() const { return m_name; }
    bool IsReady() const { return m_ready; }
    CGameContext& Context() const { return *m_ownContext; }

private:
    // The space offered to the slide and the extent of what was stacked so far.
    struct Layout {
        int availWidth;
        int availHeight;
        int maxRight = 0;
        int maxBottom = 0;
    };
    bool ReadOptions(const tinyxml2::XMLElement& root);
    int ReadChild(const tinyxml2::XMLElement& child, Layout& layout, DWORD style);
    void CentreHorizontally();

    std::unique_ptr<CGameContext> m_ownContext;
    bool m_ready = false;
    std::wstring m_name;
};

} // namespace game
