#pragma once
// The "notch" exercise: when the slide is prepared, a sine tone of random frequency is added to
// the input signal; the player clicks the notch of a second-order notch filter onto the tone
// (the peak in the input's spectrum). The element scores when the player has put the notch
// exactly on the column where the tone's peak is drawn. With "solution" > 0 the notch starts
// on the tone: the exercise shows its own answer.

#include "game/CAudioFilterPlot.h"

namespace game {

class CNotchFilter : public CAudioFilterPlot {
public:
    // Columns of a 256-wide plot the tone may fall on: FIRST_TONE_COLUMN .. + TONE_COLUMNS - 1.
    static constexpr int FIRST_TONE_COLUMN = 28;
    static constexpr int TONE_COLUMNS = 100;
    static constexpr float TONE_AMPLITUDE = 0.1f;

    CNotchFilter(CGameContext* context, float step, float poleRadius);

    void ScaleHorizontal(float factor) override;
    int GetPoints() override;
    int Prepare() override;
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;

    int GetSolution() const { return m_solution; }
    int GetNotch() const { return m_notch; }
    float GetStep() const { return m_step; }
    float GetPoleRadius() const { return m_poleRadius; }

protected:
    void OnLButtonUp(UINT flags, CPoint point) override;

private:
    // The coefficients for the notch at the current column: zeros on the unit circle and poles
    // at radius 0.9 at the column's frequency.
    void PlaceNotch(int column);
    // The column on which the spectrum draws the tone's peak at the current width: the one
    // the player sees and clicks.
    int DrawnToneColumn() const;

    float m_step;
    float m_poleRadius;
    int m_tone = 0; // the tone's column on a 256-wide plot
    int m_solution = 0;
    int m_notch = 0;
    bool m_showSolution = false;
    // Only a notch the player placed scores, so a tone drawn on the start column does not
    // give its point away.
    bool m_placed = false;
};

} // namespace game
