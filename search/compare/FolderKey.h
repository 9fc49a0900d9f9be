#pragma once

#include <string>
#include <string_view>

// A folder text as a listing shows it (UTF-8, ending in "/"), spelt the one way a comparison
// matches it: "//" is one "/", and a "." component names the folder it stands in, so "t/./" and
// "t//" are "t/". A "./" at the start of a relative text stays, as does every "..".
std::string FolderKey(std::string_view shownFolderText);

// The folder text of a raw path as the search reports it (bytes, perhaps without the final
// "/"), shown as the listing shows it and spelt as FolderKey spells it.
std::string FolderKeyOfRawPath(std::string_view rawPath);
