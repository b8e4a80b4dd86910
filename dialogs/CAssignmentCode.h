#pragma once
// Asks for the code of an assignment. What makes a code usable is the caller's rule: the
// dialog shows the rule's answer in place of its hint and stays open until the code passes or
// the player cancels.

#include "platform/CDialog.h"

#include <functional>
#include <string>

class CFont;

constexpr UINT IDC_CODE_HINT = 1010;
constexpr UINT IDC_CODE_LABEL = 1011;
constexpr UINT IDC_CODE_EDIT = 1012;

class CAssignmentCode : public CDialog {
public:
    // Empty when the code can be used; else the German sentence that says why not.
    using Check = std::function<std::wstring(const std::wstring& code)>;

    CAssignmentCode(Check check, CWnd* parent = nullptr);

    // Not owned; it must outlive the run. Null (the default): the dialog's own font.
    void SetTextFont(const CFont* font) { m_font = font; }
    // The code offered when the dialog opens, and after OK the code typed.
    void SetCode(const std::wstring& code) { m_code = code; }
    const std::wstring& GetCode() const { return m_code; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    Check m_check;
    std::wstring m_code;
    const CFont* m_font = nullptr;
};
