#pragma once

#include <string>
#include <string_view>

// Appends one line of a checksum list as sha256sum and md5sum write it: "HEX  PATH", the path
// being `folder` followed by `name`. A path that holds a backslash, a line feed or a carriage
// return is written with "\\", "\n" and "\r" for them behind a leading backslash, so that every
// path stays on its line and `sha256sum -c` reads it back exactly.
void AppendSumsLine(std::string& line, std::string_view hex, std::string_view folder,
                    std::string_view name);

// A path of such a line read back: the escapes of a line that began with a backslash undone.
// False for an escape that sha256sum does not write.
bool UnescapeSumsPath(std::string_view written, std::string& path);
