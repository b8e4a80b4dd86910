#include "app/CVelmoraApp.h"

#include "app/CAssignment.h"
#include "app/CVelmoraDlg.h"
#include "dsp/CAnalysisMemory.h"
#include "platform/CApplication.h"
#include "platform/CText.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr int WRONG_CALL = 2;

int RefuseCall(const std::string& why) {
    std::fprintf(stderr, "velmora: %s\nAufruf: velmora [--assignment CODE]\n", why.c_str());
    return WRONG_CALL;
}

} // namespace

int CVelmoraApp::Run(int argc, char** argv) {
    std::optional<std::wstring> code;
    constexpr std::string_view OPTION = "--assignment", OPTION_WITH_VALUE = "--assignment=";
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == OPTION) {
            if (i + 1 >= argc)
                return RefuseCall("--assignment braucht einen Aufgabencode.");
            code = CText::ToWide(argv[++i]);
        } else if (argument.substr(0, OPTION_WITH_VALUE.size()) == OPTION_WITH_VALUE) {
            code = CText::ToWide(std::string(argument.substr(OPTION_WITH_VALUE.size())));
        }
    }
    if (code)
        if (const std::wstring problem = CAssignment::Problem(*code); !problem.empty())
            return RefuseCall(CText::ToNarrow(problem));
    dsp::CAnalysisMemory::KeepFreedMemory();
    CApplication application(argc, argv);
    // The dialog's destructor waits for a slide being prepared and saves the statistics.
    CVelmoraDlg dialog;
    if (code)
        dialog.SetAssignment(*code);
    dialog.DoModal();
    return 0;
}
