#pragma once
// The codes every element operation returns, and the texts the player sees for them.

namespace game {

enum ElementError {
    ERR_OPEN_SLIDE = 0,
    ERR_XML_TITLE = 1,
    ERR_UNKNOWN_ELEMENT = 2,
    ERR_FETCH_EXAMPLES = 3,
    ERR_MEMORY = 4,
    ERR_COLUMNS = 5,
    ERR_ROWS = 6,
    ERR_EXAMPLE_NOT_FOUND = 7,
    ERR_CREATE_WND = 8,
    ERR_MISSING_ELEMENT = 9,
    ERR_PREPARE_FFT = 10,
    ERR_PREPARE_STFT = 11,
    ERR_NONE = 12,
};

constexpr int ERROR_COUNT = 13;

// Indexed by the code. The spelling is the program's own and stays as it is.
extern const wchar_t* const g_errorMessages[ERROR_COUNT];

// The message of a code, or of ERR_OPEN_SLIDE for a code outside the table.
const wchar_t* ErrorMessage(int code);

} // namespace game
