#pragma once

#include <string>
#include <string_view>

// The page that shows a snapshot, compiled in from the files in page/: its HTML with the places
// that each snapshot fills ("@POLICY@", "@TITLE@", "@HEADER@", "@DATA@"; "@STYLE@" and
// "@SCRIPT@" take the style and the script below), its style, and its script.
struct SnapshotPageText {
    std::string_view html;
    std::string_view style;
    std::string_view script;
};

const SnapshotPageText& SnapshotPage();

// "'sha256-<base64>'": how a Content-Security-Policy allows exactly this inline style or script.
std::string ContentHash(std::string_view text);
