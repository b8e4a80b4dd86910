#include "tools/CCsvReader.h"

#include <algorithm>

namespace {

constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";

} // namespace

CCsvReader::CCsvReader(std::string_view text) : m_text(text) {
    // Spreadsheet programs put a byte order mark before UTF-8 text they save.
    if (m_text.substr(0, UTF8_BOM.size()) == UTF8_BOM)
        m_text.remove_prefix(UTF8_BOM.size());
}

CCsvReader::EResult CCsvReader::Next(std::vector<std::string>& fields) {
    fields.clear();
    m_recordLine = m_line;
    if (m_pos >= m_text.size())
        return EResult::End;
    for (;;) {
        std::string field;
        const bool quoted = m_pos < m_text.size() && m_text[m_pos] == '"';
        const EResult read = quoted ? ReadQuoted(field) : ReadPlain(field);
        if (read == EResult::Malformed)
            return read;
        fields.push_back(std::move(field));
        if (!SkipComma()) {
            SkipLineEnd();
            return EResult::Record;
        }
    }
}

CCsvReader::EResult CCsvReader::ReadQuoted(std::string& field) {
    ++m_pos; // the opening quote
    for (;;) {
        const std::size_t quote = m_text.find('"', m_pos);
        if (quote == std::string_view::npos) {
            m_pos = m_text.size();
            m_problem = "Anführungszeichen nicht geschlossen";
            return EResult::Malformed;
        }
        const std::string_view part = m_text.substr(m_pos, quote - m_pos);
        m_line += static_cast<int>(std::count(part.begin(), part.end(), '\n'));
        field += part;
        m_pos = quote + 1;
        if (m_pos < m_text.size() && m_text[m_pos] == '"') {
            field += '"';
            ++m_pos;
            continue;
        }
        if (!AtFieldEnd())
            return Fail("Text nach schließendem Anführungszeichen");
        return EResult::Record;
    }
}

CCsvReader::EResult CCsvReader::ReadPlain(std::string& field) {
    const std::size_t start = m_pos;
    while (!AtFieldEnd())
        ++m_pos;
    field.assign(m_text.substr(start, m_pos - start));
    if (field.find('"') != std::string::npos)
        return Fail("Anführungszeichen mitten im Feld");
    return EResult::Record;
}

// Drops the rest of the line, where the damage is.
CCsvReader::EResult CCsvReader::Fail(const char* problem) {
    m_problem = problem;
    const std::size_t end = m_text.find('\n', m_pos);
    m_pos = end == std::string_view::npos ? m_text.size() : end;
    SkipLineEnd();
    return EResult::Malformed;
}

bool CCsvReader::AtFieldEnd() const {
    if (m_pos >= m_text.size())
        return true;
    const char c = m_text[m_pos];
    return c == ',' || c == '\n' || (c == '\r' && m_text.substr(m_pos, 2) == "\r\n");
}

bool CCsvReader::SkipComma() {
    if (m_pos >= m_text.size() || m_text[m_pos] != ',')
        return false;
    ++m_pos;
    return true;
}

void CCsvReader::SkipLineEnd() {
    if (m_text.substr(m_pos, 2) == "\r\n")
        m_pos += 2;
    else if (m_pos < m_text.size() && m_text[m_pos] == '\n')
        ++m_pos;
    else
        return;
    ++m_line;
}
