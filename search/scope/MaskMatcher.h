#pragma once

#include <QString>
#include <string>
#include <string_view>

// Wildcard matching as the directory search does it: "*" stands for any run of characters (none
// included), "?" for exactly one character, everything else is literal ("[", "]" and "\" too).
// Letter case does not matter. "*.*" matches every name, with or without a dot; a mask holding
// "/" matches nothing, since no name can hold one.
class MaskMatcher final {
public:
    explicit MaskMatcher(const QString& mask);

    // `upperKey` is the name's upper-case key (UpperKey in Utf8Text.h).
    bool matchesKey(std::string_view upperKey) const;
    // Convenience for a raw name.
    bool matches(std::string_view rawName) const;

private:
    std::string key_;
    bool everything_ = false;
    bool nothing_ = false;
};
