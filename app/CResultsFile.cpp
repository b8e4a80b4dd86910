#include "app/CResultsFile.h"

#include "platform/CLockedFile.h"
#include "platform/CText.h"

#include <cerrno>
#include <charconv>
#include <ctime>
#include <filesystem>

namespace {

// Larger files are refused, as the class report refuses them.
constexpr std::size_t MAX_FILE_BYTES = 64u << 20;

// A control character would make the file unreadable to the report (a zero byte) or break the
// line in a spreadsheet; it means nothing in a name.
std::string Field(const std::wstring& text) {
    std::string bytes = CText::ToNarrow(text);
    for (char& c : bytes)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    if (bytes.find_first_of(",\"\r\n") == std::string::npos)
        return bytes;
    std::string quoted = "\"";
    for (const char c : bytes)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string Seconds(double seconds) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, seconds < 0 ? 0.0 : seconds,
                                   std::chars_format::fixed, 3);
    return std::string(buffer, end.ptr);
}

bool IsResultsText(const std::string& text) {
    if (text.find('\0') != std::string::npos || !CText::IsValidUtf8(text))
        return false;
    std::string first = text.substr(0, text.find('\n'));
    if (!first.empty() && first.back() == '\r')
        first.pop_back();
    return first == CResultsFile::HEADER;
}

std::wstring Quoted(const std::string& path) {
    return L"„" + CText::ToWide(std::filesystem::path(path).filename().string()) + L"“";
}

std::wstring OpenProblem(int error) {
    switch (error) {
    case EISDIR:
        return L"ist ein Ordner";
    case ELOOP:
        return L"ist eine symbolische Verknüpfung, der das Spiel nicht folgt";
    case EINVAL:
        return L"ist keine gewöhnliche Datei";
    case EACCES:
    case EPERM:
    case EROFS:
        return L"ist schreibgeschützt";
    case ENOSPC:
        return L"passt nicht mehr auf den Datenträger";
    default:
        return L"kann nicht geschrieben werden (Fehler Nr. " + std::to_wstring(error) + L")";
    }
}

} // namespace

std::string CResultsFile::Line(const Row& row) {
    return Field(row.player) + ',' + Field(row.code) + ',' + Field(row.course) + ',' +
           Field(row.slide) + ',' + std::to_string(row.points) + ',' +
           std::to_string(row.maximum) + ',' + Seconds(row.seconds) + ',' + row.date + '\n';
}

std::string CResultsFile::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return buffer;
}

bool CResultsFile::Append(const std::vector<Row>& rows) {
    m_message.clear();
    CLockedFile file(m_path, CLockedFile::EOpenMode::CreateIfMissing);
    if (!file.IsLocked() || !file.IsWritable())
        return Fail(OpenProblem(file.Error()));
    std::string text;
    if (!file.ReadAll(text, MAX_FILE_BYTES))
        return Fail(L"ist größer als 64 MiB oder kann nicht gelesen werden");
    if (!text.empty() && !IsResultsText(text)) {
        const std::string suffix = file.KeepCopyAside(".unlesbar-");
        if (suffix.empty())
            return Fail(L"ist keine Ergebnisdatei und kann nicht beiseitegelegt werden");
        m_message = Quoted(m_path) + L" war keine Ergebnisdatei des Spiels; sie liegt jetzt "
                                     L"unverändert unter " + Quoted(m_path + suffix) +
                    L". Die Ergebnisse stehen in einer neuen " + Quoted(m_path) + L".";
        text.clear();
    }
    if (text.empty())
        text = std::string(HEADER) + '\n';
    else if (text.back() != '\n')
        text += '\n';
    for (const Row& row : rows)
        text += Line(row);
    if (!file.Replace(text))
        return Fail(OpenProblem(file.Error()));
    return true;
}

bool CResultsFile::Fail(const std::wstring& why) {
    m_message = L"Die Ergebnisse des Kurses konnten nicht in " + Quoted(m_path) +
                L" gespeichert werden: Die Datei " + why +
                L". Das Spiel behält sie und versucht es am Ende des nächsten Kurses noch einmal.";
    return false;
}
