#include "app/CScoreLine.h"

std::wstring CScoreLine::Format(const std::wstring& format, int achieved, int total) {
    const int values[] = {achieved, total};
    int used = 0;
    std::wstring out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const bool directive = format[i] == L'%' && i + 1 < format.size();
        if (directive && format[i + 1] == L'%') {
            out += L'%';
            ++i;
        } else if (directive && format[i + 1] == L'd' && used < 2) {
            out += std::to_wstring(values[used++]);
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}
