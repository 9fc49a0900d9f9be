#include "format/SumsLine.h"

namespace {

bool needsEscape(std::string_view text) {
    return text.find_first_of("\\\n\r") != std::string_view::npos;
}

void appendEscaped(std::string& line, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '\\':
            line += "\\\\";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        default:
            line += c;
        }
    }
}

} // namespace

void AppendSumsLine(std::string& line, std::string_view hex, std::string_view folder,
                    std::string_view name) {
    const bool escaped = needsEscape(folder) || needsEscape(name);
    if (escaped)
        line += '\\';
    line += hex;
    line += "  ";
    if (!escaped) {
        line += folder;
        line += name;
        return;
    }
    appendEscaped(line, folder);
    appendEscaped(line, name);
}

bool UnescapeSumsPath(std::string_view written, std::string& path) {
    path.clear();
    path.reserve(written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (written[i] != '\\') {
            path += written[i];
            continue;
        }
        if (++i == written.size())
            return false;
        switch (written[i]) {
        case '\\':
            path += '\\';
            break;
        case 'n':
            path += '\n';
            break;
        case 'r':
            path += '\r';
            break;
        default:
            return false;
        }
    }
    return true;
}
