#pragma once
// The "afilter" element: a filter whose coefficients stand in the slide file, as the texts of
// the optional children "a" (denominator) and "b" (numerator), each with the attribute
// "order" giving the number of coefficients:
//   <afilter id="3" example_from="1"><a order="3">1, -1.8, 0.81</a><b order="1">1</b></afilter>
// It shows and publishes its output like every filter element; the player does not change it.

#include "game/CAudioFilterPlot.h"

#include <memory>
#include <string>

namespace game {

class CConstFilter : public CAudioFilterPlot {
public:
    explicit CConstFilter(CGameContext* context) : CAudioFilterPlot(context) {}

    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;

    // count numbers from the node's text: each after a run of separators (tab, CR, LF, space,
    // comma), a decimal number in plain or exponent notation with one optional sign; after
    // each number every following character of "0123456789e-+." is skipped. Text beyond count
    // numbers is ignored. Null when the text runs out, count is negative, or a number is not
    // decimal (nan, inf, 0x10, +-1), is followed by a character that cannot end a number or
    // lies beyond float; then problem, when given, says why in a sentence for the slide's
    // author. The numbers are read the same in every locale.
    static std::unique_ptr<float[]> ParseCoefficients(const tinyxml2::XMLElement& node, int count,
                                                      std::wstring* problem = nullptr);

private:
    // The coefficients of the child with this tag; a missing child gives the single value 1.
    static std::unique_ptr<float[]> ReadChild(const tinyxml2::XMLElement& node, const char* tag,
                                              int& count, std::wstring& problem);
    // The filter from both lists, or the failure reported for this element.
    int SetFilter(const float* a, int na, const float* b, int nb);
    int Refuse(int code, const std::wstring& reason);
};

} // namespace game
