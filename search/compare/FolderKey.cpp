#include "compare/FolderKey.h"

#include "base/Utf8Text.h"

std::string FolderKey(std::string_view shownFolderText) {
    if (shownFolderText.empty())
        return {};
    std::string key;
    key.reserve(shownFolderText.size() + 1);
    if (shownFolderText.front() == '/')
        key.push_back('/');
    std::size_t start = 0;
    while (start < shownFolderText.size()) {
        std::size_t end = shownFolderText.find('/', start);
        if (end == std::string_view::npos)
            end = shownFolderText.size();
        const std::string_view component = shownFolderText.substr(start, end - start);
        const bool leadingDot = component == "." && key.empty();
        if (!component.empty() && (component != "." || leadingDot)) {
            key.append(component);
            key.push_back('/');
        }
        start = end + 1;
    }
    return key;
}

std::string FolderKeyOfRawPath(std::string_view rawPath) {
    return FolderKey(DisplayText(rawPath));
}
