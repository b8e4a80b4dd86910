#pragma once
// Asks the player for a name when a new result has entered a high-score list. The dialog
// holds no game logic: the caller runs it and stores the name after OK.

#include "platform/CDialog.h"

#include <string>

class CFont;

class CPlayerName : public CDialog {
public:
    // Longer names are cut: the list shows about this many characters.
    static constexpr int MAX_NAME_LENGTH = 40;

    explicit CPlayerName(CWnd* parent = nullptr);

    // The font of the label, the edit box and OK; not owned, it must outlive the run.
    // Null (the default): the dialog's own font.
    void SetTextFont(const CFont* font) { m_font = font; }
    // The course's result, shown above the name ("Du hast 7 von 10 Punkten erreicht.").
    // Without it the line stays empty.
    void SetResult(int points, int maxPoints);
    // The text of the edit box when the dialog last ended with OK; empty before that.
    const std::wstring& GetName() const { return m_name; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    std::wstring m_name;
    std::wstring m_result;
    const CFont* m_font = nullptr;
};
