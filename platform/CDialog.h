#pragma once
// A modal dialog built from a template. Enter presses the default button, Escape and the close
// box cancel (a dialog may make Escape mean less). Controls of the template are made before
// OnInitDialog runs.

#include "platform/CDialogTemplate.h"
#include "platform/CWnd.h"

#include <memory>
#include <vector>

class CDialog : public CWnd {
public:
    CDialog(CDialogTemplate dialogTemplate, CWnd* parent);
    ~CDialog() override;

    // Shows the dialog and returns once EndDialog was called: IDOK, IDCANCEL or the given code.
    int DoModal();
    void EndDialog(int result);
    bool IsModalRunning() const { return m_running; }

    // Dialog units to pixels, from the template font's average character size.
    CRect MapDialogRect(const CRect& dialogUnits) const;
    const CDialogTemplate& Template() const { return m_template; }

    // Shows the program's icon resource iconId on the window's title bar and in the task bar.
    // False when there is no such icon or no window yet.
    bool SetIcon(UINT iconId);

    // Keyboard handling, called by the dialog's window.
    void HandleEnter();
    void HandleEscape();
    void HandleCancel();

protected:
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // The Escape key. Default: cancel, as the close box does.
    virtual void OnEscape();
    // Commands of the controls; IDOK and IDCANCEL go to OnOK and OnCancel.
    void OnCommand(UINT id) override;
    // A Custom item of the template; the dialog makes its own window for it. Default: none.
    virtual CWnd* MakeCustomControl(const CDialogItem& item);

    QWidget* MakeWidget(QWidget* parent) override;

private:
    bool CreateControls();
    CDialogTemplate m_template;
    CWnd* m_owner;
    std::vector<std::unique_ptr<CWnd>> m_controls;
    int m_result = IDCANCEL;
    bool m_running = false;
    void* m_loop = nullptr; // the running modal loop
};
