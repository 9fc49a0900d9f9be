// The snapshot's data: plain-text script elements, which the browser never runs, laid out as
// page/data.js reads them. Each section begins with a line feed and ends every line with one.

#include "snapshot/SnapshotParts.h"
#include "snapshot/SnapshotText.h"
#include "snapshot/SnapshotTree.h"

#include <charconv>

namespace {

void appendBase36(std::string& out, std::uint64_t value) {
    char digits[16];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), value, 36).ptr;
    out.append(digits, end);
}

// `to - from` in base 36, exact for any two times: "-" before a negative difference, "+"
// before any other when `plus`.
void appendDifference(std::string& out, std::int64_t from, std::int64_t to, bool plus) {
    const auto a = static_cast<std::uint64_t>(to);
    const auto b = static_cast<std::uint64_t>(from);
    if (to >= from) {
        if (plus)
            out.push_back('+');
        appendBase36(out, a - b);
    } else {
        out.push_back('-');
        appendBase36(out, b - a);
    }
}

void appendDecimal(std::string& out, std::int64_t value) {
    char digits[24];
    out.append(digits, std::to_chars(std::begin(digits), std::end(digits), value).ptr);
}

void openSection(PageLines& page, std::string_view type, std::string_view id) {
    page.add("<script type=\"");
    page.add(type);
    page.add("\" id=\"");
    page.add(id);
    page.add("\">");
    page.endLine();
}

void closeSection(PageLines& page) {
    page.add("</script>");
    page.endLine();
}

// {"created":<seconds>,"columns":[<titles>]}: a JSON string holds no "<" here either.
void writeHead(PageLines& page, FileTime created,
               const std::vector<HtmlSnapshot::Column>& columns) {
    openSection(page, "application/json", "fi-head");
    std::string& line = page.line();
    line.append("{\"created\":");
    appendDecimal(line, created.seconds);
    line.append(",\"columns\":[");
    for (std::size_t i = 0; i < columns.size(); ++i) {
        line.append(i == 0 ? "\"" : ",\"");
        AppendJsonDataText(line, columns[i].title);
        line.push_back('"');
    }
    line.append("]}");
    page.endLine();
    closeSection(page);
}

// The UTF-16 length of the folder's block of names, as the page counts offsets.
std::size_t namesLength(const SnapshotTree& tree, const SnapshotTree::Folder& folder,
                        std::string& scratch) {
    std::size_t length = 0;
    for (const SnapshotTree::File& file : folder.files) {
        scratch.clear();
        length += AppendDataText(scratch, tree.fileName(folder, file)) + 1;
    }
    return length;
}

// "parent flags files totalFiles totalBytes mtime length name", a line per folder.
void writeFolders(PageLines& page, const SnapshotTree& tree, FileTime created) {
    openSection(page, "text/plain", "fi-folders");
    std::vector<std::size_t> position(tree.folderCount());
    for (std::size_t i = 0; i < tree.order().size(); ++i)
        position[static_cast<std::size_t>(tree.order()[i])] = i;
    std::string scratch;
    for (const int index : tree.order()) {
        const SnapshotTree::Folder& folder = tree.folder(index);
        std::string& line = page.line();
        appendBase36(line,
                     folder.parent < 0 ? 0 : position[static_cast<std::size_t>(folder.parent)] + 1);
        line.push_back(' ');
        appendBase36(line, (folder.searched ? 1u : 0u) | (folder.unreadable ? 2u : 0u) |
                               (folder.sizesUnreadable ? 4u : 0u) | (folder.loop ? 8u : 0u));
        line.push_back(' ');
        appendBase36(line, folder.files.size());
        line.push_back(' ');
        appendBase36(line, static_cast<std::uint64_t>(folder.totalFiles));
        line.push_back(' ');
        appendDecimal(line, folder.totalBytes);
        line.push_back(' ');
        if (folder.timeKnown)
            appendDifference(line, created.seconds, folder.seconds, false);
        else
            line.push_back('~');
        line.push_back(' ');
        appendBase36(line, namesLength(tree, folder, scratch));
        line.push_back(' ');
        AppendDataText(line, folder.name);
        page.endLine();
    }
    closeSection(page);
}

// Per folder, each file's "size" and the difference of its time to the file's before.
void writeNumbers(PageLines& page, const SnapshotTree& tree, FileTime created) {
    openSection(page, "text/plain", "fi-numbers");
    for (const int index : tree.order()) {
        const SnapshotTree::Folder& folder = tree.folder(index);
        std::string& line = page.line();
        std::int64_t last = created.seconds;
        for (const SnapshotTree::File& file : folder.files) {
            if (&file != folder.files.data())
                line.push_back(' ');
            appendBase36(line, static_cast<std::uint64_t>(std::max<std::int64_t>(file.size, 0)));
            if (file.seconds != last)
                appendDifference(line, last, file.seconds, true);
            last = file.seconds;
        }
        page.endLine();
    }
    closeSection(page);
}

void writeNames(PageLines& page, const SnapshotTree& tree) {
    openSection(page, "text/plain", "fi-names");
    for (const int index : tree.order()) {
        const SnapshotTree::Folder& folder = tree.folder(index);
        for (const SnapshotTree::File& file : folder.files) {
            AppendDataText(page.line(), tree.fileName(folder, file));
            page.endLine();
        }
    }
    closeSection(page);
}

// The texts of column `column`: the tree keeps each file's texts of all columns as lines.
void writeColumn(PageLines& page, const SnapshotTree& tree, std::size_t column) {
    openSection(page, "text/plain", "fi-col-" + std::to_string(column));
    for (const int index : tree.order()) {
        const SnapshotTree::Folder& folder = tree.folder(index);
        const std::string_view extras = folder.extras;
        for (const SnapshotTree::File& file : folder.files) {
            std::size_t start = file.extraOffset;
            for (std::size_t skip = 0; skip < column; ++skip)
                start = extras.find('\n', start) + 1;
            page.add(extras.substr(start, extras.find('\n', start) - start));
            page.endLine();
        }
    }
    closeSection(page);
}

} // namespace

void WriteSnapshotData(PageLines& page, const SnapshotTree& tree, FileTime created,
                       const std::vector<HtmlSnapshot::Column>& columns) {
    writeHead(page, created, columns);
    writeFolders(page, tree, created);
    writeNumbers(page, tree, created);
    writeNames(page, tree);
    for (std::size_t i = 0; i < columns.size(); ++i)
        writeColumn(page, tree, i);
}
