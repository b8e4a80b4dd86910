#include "dialogs/CAssignmentCode.h"

#include "platform/CEdit.h"

namespace {

constexpr wchar_t HINT[] = L"Den Code der Lehrkraft eingeben: Alle, die denselben Code "
                           L"eingeben, bekommen dieselben Aufgaben.";

CDialogTemplate CodeTemplate() {
    using Kind = CDialogItem::Kind;
    CDialogTemplate t;
    t.width = 261;
    t.height = 60;
    t.caption = L"Aufgabencode";
    t.items = {
        {Kind::Static, IDC_CODE_HINT, CRect{7, 5, 254, 35}, HINT, 0},
        {Kind::Static, IDC_CODE_LABEL, CRect{7, 39, 44, 53}, L"Code:", SS_CENTERIMAGE},
        {Kind::Edit, IDC_CODE_EDIT, CRect{45, 39, 202, 53}, L"", WS_BORDER},
        {Kind::DefaultButton, IDOK, CRect{204, 39, 254, 53}, L"OK", 0},
    };
    return t;
}

} // namespace

CAssignmentCode::CAssignmentCode(Check check, CWnd* parent)
    : CDialog(CodeTemplate(), parent), m_check(std::move(check)) {}

// Returns false because the focus is placed here: the player types at once.
bool CAssignmentCode::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_font != nullptr)
        for (UINT id : {IDOK, IDC_CODE_EDIT, IDC_CODE_LABEL, IDC_CODE_HINT})
            if (CWnd* control = GetDlgItem(id))
                control->SetFont(m_font);
    auto* edit = dynamic_cast<CEdit*>(GetDlgItem(IDC_CODE_EDIT));
    if (edit == nullptr)
        return true;
    edit->SetWindowText(m_code);
    edit->SetSel(0, -1);
    edit->SetFocus();
    return false;
}

// No length limit on the edit box: a code pasted too long is refused with its length rather
// than cut into a code the teacher never gave.
void CAssignmentCode::OnOK() {
    const CWnd* edit = GetDlgItem(IDC_CODE_EDIT);
    const std::wstring typed = edit != nullptr ? edit->GetWindowText() : std::wstring();
    if (const std::wstring problem = m_check ? m_check(typed) : std::wstring(); !problem.empty()) {
        if (CWnd* hint = GetDlgItem(IDC_CODE_HINT))
            hint->SetWindowText(problem);
        return;
    }
    m_code = typed;
    EndDialog(IDOK);
}
