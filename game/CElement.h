#pragma once
// The base of every slide element: a child window that reads itself from XML, prepares its
// data, scales, creates its window, counts points and takes part in drag-to-swap.

#include "game/ElementError.h"
#include "platform/CWnd.h"

#include <string>

namespace tinyxml2 {
class XMLElement;
}

namespace game {

class CGameContext;
class CPlotAxes;

constexpr int MARK_CORRECT = 133;
constexpr int MARK_WRONG = 134;

class CElement : public CWnd {
public:
    // The widest and highest a cell, a text or a slide's default cell may be, in pixels: the
    // bundled slides stay below 1000, and beyond a few screens an element is only blank or a
    // plot's memory grows past what the machine holds.
    static constexpr int MAX_SIDE = 4096;

    explicit CElement(CGameContext* context);

    // Reads "width" and "height" of the node into the sizes, which keep their values where an
    // attribute is missing. A side outside 1..MAX_SIDE is refused: false, and the context hears
    // why under the id.
    static bool ReadSize(const tinyxml2::XMLElement& node, int id, CGameContext& context,
                         int& width, int& height);

    // The element interface, in this order.
    virtual void ScaleVertical(float factor);
    virtual void ScaleHorizontal(float factor);
    virtual int GetPoints();
    virtual int GetMaxPoints();
    virtual int Prepare() = 0;
    // Reads the node; area: in, where to place the element and the space offered; out, the
    // element's extent (right, bottom).
    virtual int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style);
    virtual int CreateElementWindow(CWnd* parent, UINT id);
    // Called once the slide is evaluated: an element shows the right answer beside the
    // player's from now on. Nothing of it may be visible before.
    virtual void RevealAnswer() {}

    // What a screen reader calls the element, given to its window when that is made: the kind
    // of element and what it shows. Default: the element's text.
    virtual std::wstring AccessibleName() const { return m_text; }

    // Draws the evaluation mark centred on the client rectangle. False when there is none.
    bool DrawMark(CDC& dc, const CRect& client) const;
    // Whether the player reaches the element by keyboard: the kinds that take clicks, and
    // every panel of a switch group (from CreateElementWindow on).
    bool TakesKeys() const { return m_takesKeys; }

    int GetId() const { return m_id; }
    int GetMark() const { return m_mark; }
    void SetMark(int mark) { m_mark = mark; }
    int GetSourceId() const { return m_sourceId; }
    // The element's window: its width x height area with the frame around it.
    CRect GetRect() const {
        return CRect{m_x, m_y, m_x + m_frame.left + m_width + m_frame.right,
                     m_y + m_frame.top + m_height + m_frame.bottom};
    }
    void SetPosition(int x, int y) { m_x = x, m_y = y; }
    const std::wstring& GetText() const { return m_text; }
    bool HasTooltip() const { return m_tooltip; }
    CGameContext* GetContext() const { return m_context; }
    // A plot's axes and read-out; nullptr for other elements.
    const CPlotAxes* GetPlotAxes() const { return const_cast<CElement*>(this)->PlotAxes(); }

protected:
    // For leaf elements: the common attributes, the window class and the element's extent in
    // area. ERR_XML_TITLE when the node's tag is not the element's own, otherwise what
    // CElement::ReadXml returned.
    int ReadCellXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style, const char* tag,
                    const wchar_t* windowClass);
    // Margins outside the element's area (a plot's axes): the window and the extent in area
    // grow by them, while width and height keep meaning the area itself.
    void SetFrame(const CRect& margins, CRect& area);
    // A plot's axes and read-out switches from the node; the frame makes room for the axes.
    // ERR_UNKNOWN_ELEMENT, with the reason reported, for a malformed switch.
    int ReadAxes(CPlotAxes& axes, const tinyxml2::XMLElement& node, CRect& area);
    // The axes of a plot, which the element draws in its frame and follows the pointer for.
    virtual CPlotAxes* PlotAxes() { return nullptr; }
    // The signal the node asks for ("example", "example_from") becomes the source id.
    int ResolveSource(const tinyxml2::XMLElement& node);
    // The kind followed by " von Beispiel n", n the source id. A panel the player may move keeps
    // the number to itself: it would tell where the panel belongs.
    std::wstring KindOfExample(const std::wstring& kind) const;

    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnMouseLeave() override;
    void OnNcPaint(CDC& dc) override;
    // Enter picks a panel of a switch group and swaps it with the one picked before, as a drag
    // does; Escape drops the pick.
    bool OnKeyDown(UINT key, UINT flags) override;
    // Painted last by every kind that takes keys: the focus ring (black dashes over white, seen
    // on every background) along the client edge while the focus came by Tab, and inside it a
    // thicker ring while the panel is picked for a swap.
    void DrawFocus(CDC& dc) const;
    // The pick of the element's switch group ends; the panel that was picked is repainted.
    void ClearPick();
    // The element takes the focus by click and by Tab. Before CreateElementWindow.
    void AcceptKeys();

    int m_x = 0;
    int m_y = 0;
    int m_width = 0;
    int m_height = 0;
    CRect m_frame{0, 0, 0, 0};
    DWORD m_style = 0;
    std::wstring m_windowClass;
    bool m_tooltip = false;
    std::wstring m_text;
    CGameContext* m_context;
    int m_id = 0;
    int m_sourceId = 0;
    int m_points = 1;
    int m_mark = 0;

private:
    bool m_takesKeys = false;

    // Exchanges this panel with the one pressed in its group, when both have the same size.
    void SwapWithPressed(int pressedId);
    bool IsPicked() const;
};

} // namespace game
