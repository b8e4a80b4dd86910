#include "dialogs/CPlayerName.h"

#include "dialogs/CDialogTemplates.h"
#include "platform/CEdit.h"

CPlayerName::CPlayerName(CWnd* parent) : CDialog(CDialogTemplates::PlayerName(), parent) {}

void CPlayerName::SetResult(int points, int maxPoints) {
    m_result = L"Du hast " + std::to_wstring(points) + L" von " + std::to_wstring(maxPoints) +
               L" Punkten erreicht.";
}

// Returns false because the focus is placed here: the player types at once.
bool CPlayerName::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_font != nullptr)
        for (UINT id : {IDOK, IDC_NAME_EDIT, IDC_NAME_LABEL, IDC_RESULT_LABEL})
            if (CWnd* control = GetDlgItem(id))
                control->SetFont(m_font);
    if (CWnd* result = GetDlgItem(IDC_RESULT_LABEL))
        result->SetWindowText(m_result);
    auto* edit = dynamic_cast<CEdit*>(GetDlgItem(IDC_NAME_EDIT));
    if (edit == nullptr)
        return true;
    edit->SetLimitText(MAX_NAME_LENGTH);
    edit->SetWindowText(m_name);
    // The name offered is selected, so that what the player types replaces it.
    edit->SetSel(0, -1);
    edit->SetFocus();
    return false;
}

// Cancel ends the dialog through the base class without reading the edit box, so the name
// stays what it was.
void CPlayerName::OnOK() {
    if (const CWnd* edit = GetDlgItem(IDC_NAME_EDIT))
        m_name = edit->GetWindowText();
    EndDialog(IDOK);
}
