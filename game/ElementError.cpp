#include "game/ElementError.h"

namespace game {

const wchar_t* const g_errorMessages[ERROR_COUNT] = {
    L"Could not open xml slide", L"Inconsitant xml title",     L"Unkown xml element",
    L"Could not fetch examples", L"Memory alocation error",    L"Invalid number of colums",
    L"Invalid number of rows",   L"Example not found",         L"Could not create the CWnd",
    L"Missing xml element",      L"Could not prepare fft",     L"Could not prepare stft",
    L"No Error",
};

const wchar_t* ErrorMessage(int code) {
    return code >= 0 && code < ERROR_COUNT ? g_errorMessages[code] : g_errorMessages[0];
}

} // namespace game
