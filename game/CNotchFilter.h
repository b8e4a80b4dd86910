#pragma once
// The "notch" exercise: when the slide is prepared, a sine tone of random frequency is added to
// the input signal; the player clicks the notch of a second-order notch filter onto the tone
// (the peak in the input's spectrum). The element scores when the player has put the notch
// exactly on the column where the tone's peak is drawn; with "tolerance_hz" a notch close to
// the tone earns half. With "solution" > 0 the notch starts on the tone: the exercise shows
// its own answer.
//
// Once the slide is evaluated the element shows the answer: a dashed line with a triangle on
// the tone's column, both frequencies in Hz, and two buttons to hear the player's notch or
// the notch on the tone's exact frequency. Clicks no longer move the notch then.

#include "dsp/CSignal.h"
#include "game/CAudioFilterPlot.h"
#include "game/CListeningButtons.h"

#include <optional>
#include <string>

namespace game {

class CNotchFilter : public CAudioFilterPlot {
public:
    // Columns of a 256-wide plot the tone may fall on: FIRST_TONE_COLUMN .. + TONE_COLUMNS - 1.
    static constexpr int FIRST_TONE_COLUMN = 28;
    static constexpr int TONE_COLUMNS = 100;
    static constexpr float TONE_AMPLITUDE = 0.1f;

    CNotchFilter(CGameContext* context, float step, float poleRadius);

    void ScaleHorizontal(float factor) override;
    // All points on the tone's column; half of them, rounded down, within the tolerance.
    int GetPoints() override;
    int Prepare() override;
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;
    // Follows the notch as the player moves it.
    std::wstring AccessibleName() const override;
    void RevealAnswer() override;

    // The frequencies the player reads after evaluation; empty before.
    std::wstring AnswerText() const;

    int GetSolution() const { return m_solution; }
    int GetNotch() const { return m_notch; }
    float GetStep() const { return m_step; }
    float GetPoleRadius() const { return m_poleRadius; }

protected:
    void OnLButtonUp(UINT flags, CPoint point) override;
    // Left and Right move the notch by a column, with Shift by ten, as a click there would;
    // T plays a short tone at the notch's frequency, so the player hears where it stands.
    bool OnKeyDown(UINT key, UINT flags) override;
    void OnCommand(UINT id) override;
    void DrawOverPlot(CDC& dc) override;

private:
    // The player's notch at a column; the coefficients follow.
    void PlaceNotch(int column);
    // The player put the notch on a column: it scores from now on and is heard at once.
    void TakePlayersNotch(int column);
    void PlayNotchTone();
    // Zeros on the unit circle and poles at radius 0.9 at omega (radians per sample).
    void SetNotchFrequency(float omega);
    // The column on which the spectrum draws the tone's peak at the current width: the one
    // the player sees and clicks.
    int DrawnToneColumn() const;
    float ToneOmega() const;
    double ToneHz() const;
    double ColumnHz(int column) const;
    // False (and the reason reported) for a tolerance that is not a number of Hz.
    bool ReadTolerance(const tinyxml2::XMLElement& node);
    void RefuseTolerance(const std::wstring& why);
    // The output from the player's notch or from the notch on the tone, refiltered in place
    // so that a playback of it goes on where it is.
    void Listen(bool rightSolution);

    float m_step;
    float m_poleRadius;
    int m_tone = 0; // the tone's column on a 256-wide plot
    int m_solution = 0;
    int m_notch = 0;
    bool m_showSolution = false;
    // Only a notch the player placed scores, so a tone drawn on the start column does not
    // give its point away.
    bool m_placed = false;
    std::optional<double> m_toleranceHz;
    std::string m_toleranceText; // as written, for the reason of a refusal
    int m_toleranceLine = 0;
    bool m_revealed = false;
    CListeningButtons m_listening;
    dsp::CSignal m_cue; // the tone of the notch's frequency
};

} // namespace game
