# Writes OUTPUT, a C++ source that holds the snapshot page's HTML (HTML_FILE), its style
# (STYLE_FILE) and its script (the SCRIPT_FILES, joined in their order into one function scope)
# as byte arrays, so that the program carries the page and needs no file of it at run time.
# Run as a build step: cmake -DOUTPUT=... -DHTML_FILE=... -DSTYLE_FILE=... -DSCRIPT_FILES=a;b
# -P EmbedSnapshotPage.cmake

# The bytes of `text` as the body of a char array, ending in the terminating zero.
function(fi_byte_array text out)
    string(HEX "${text}" hex)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    # Forty bytes a line keep the generated source readable for a compiler's messages.
    string(REGEX REPLACE "(('[^']*',){40})" "\\1\n" bytes "${bytes}")
    set(${out} "${bytes}'\\0'" PARENT_SCOPE)
endfunction()

file(READ "${HTML_FILE}" html)
file(READ "${STYLE_FILE}" style)
set(script "(() => {\n'use strict';\n")
foreach(file IN LISTS SCRIPT_FILES)
    file(READ "${file}" part)
    string(APPEND script "${part}")
endforeach()
string(APPEND script "})();\n")

fi_byte_array("${html}" html_bytes)
fi_byte_array("${style}" style_bytes)
fi_byte_array("${script}" script_bytes)

file(WRITE "${OUTPUT}.new" "// Made by cmake/EmbedSnapshotPage.cmake from search/snapshot/page; not to be edited.
#include \"snapshot/SnapshotPage.h\"

namespace {
constexpr char html[] = {
${html_bytes}};
constexpr char style[] = {
${style_bytes}};
constexpr char script[] = {
${script_bytes}};
} // namespace

const SnapshotPageText& SnapshotPage() {
    static const SnapshotPageText page{{html, sizeof html - 1}, {style, sizeof style - 1},
                                       {script, sizeof script - 1}};
    return page;
}
")
# An unchanged page leaves the source as it is, so nothing is compiled again.
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
