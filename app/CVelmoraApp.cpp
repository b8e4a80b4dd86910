#include "app/CVelmoraApp.h"

#include "app/CVelmoraDlg.h"
#include "dsp/CAnalysisMemory.h"
#include "platform/CApplication.h"

int CVelmoraApp::Run(int argc, char** argv) {
    dsp::CAnalysisMemory::KeepFreedMemory();
    CApplication application(argc, argv);
    // The dialog's destructor waits for a slide being prepared and saves the statistics.
    CVelmoraDlg dialog;
    dialog.DoModal();
    return 0;
}
