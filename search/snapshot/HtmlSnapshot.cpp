#include "snapshot/HtmlSnapshot.h"

#include "base/PathText.h"
#include "scope/ScopeText.h"
#include "snapshot/SnapshotPage.h"
#include "snapshot/SnapshotParts.h"
#include "snapshot/SnapshotText.h"
#include "snapshot/SnapshotTree.h"

namespace {

// The page allows its one script and its one style and nothing else: no request for an image, a
// font, a frame or a connection, no form, no other base address.
std::string contentPolicy(const SnapshotPageText& page) {
    return "default-src 'none'; script-src " + ContentHash(page.script) + "; style-src " +
           ContentHash(page.style) + "; base-uri 'none'; form-action 'none'";
}

// "mindestens A, höchstens B" and the like: the ends of a range that are set.
template <typename Value, typename Text>
std::string rangeText(const std::optional<Value>& low, std::string_view lowWord,
                      const std::optional<Value>& high, std::string_view highWord, Text&& text) {
    std::string range;
    if (low)
        range.append(lowWord).append(text(*low));
    if (low && high)
        range.append(", ");
    if (high)
        range.append(highWord).append(text(*high));
    return range;
}

std::string bytesText(std::int64_t bytes) {
    return std::to_string(bytes) + " Bytes";
}

std::string timeText(FileTime time) {
    return ScopeTimeText(time).toStdString();
}

} // namespace

HtmlSnapshot::HtmlSnapshot(LineSink& lines, const RunOutcome& outcome,
                           std::optional<DigestAlgorithm> digest)
    : lines_(lines), outcome_(outcome), digest_(digest) {
    if (!digest_)
        return;
    const std::string name(DigestInfo(*digest_).shownName);
    addColumn(name, [](const EntryRecord& record) { return std::string(record.digest); });
    addFact("Prüfsummen", name + " jeder Datei");
}

HtmlSnapshot::~HtmlSnapshot() = default;

void HtmlSnapshot::addColumn(std::string title,
                             std::function<std::string(const EntryRecord&)> text) {
    columns_.push_back({std::move(title), std::move(text)});
}

void HtmlSnapshot::begin(const TSearchFiles& settings, FileTime created) {
    settings_ = settings;
    created_ = created;
    addScopeFacts(settings.Scope);
    SnapshotTree::ExtraTexts extraTexts;
    if (!columns_.empty()) {
        extraTexts = [this](const EntryRecord& record, std::string& out) {
            for (const Column& column : columns_) {
                AppendDataText(out, column.text(record));
                out.push_back('\n');
            }
        };
    }
    tree_ = std::make_unique<SnapshotTree>(settings_, std::move(extraTexts));
}

// How the search was narrowed, in the words of the extended listing's header.
void HtmlSnapshot::addScopeFacts(const SearchScope& scope) {
    if (scope.hasExclusions())
        addFact("Ausschließen", PathTextBytes(scope.Exclusions).toStdString());
    if (scope.OneFileSystem)
        addFact("Dateisysteme", "nur das des Suchverzeichnisses");
    if (scope.MaxDepth)
        addFact("Tiefe", "höchstens " + std::to_string(*scope.MaxDepth) + " Ebenen");
    if (scope.filtersBySize()) {
        addFact("Größe",
                rangeText(scope.MinSize, "mindestens ", scope.MaxSize, "höchstens ", bytesText));
    }
    if (scope.filtersByTime()) {
        addFact("Geändert",
                rangeText(scope.NewerThan, "nach ", scope.OlderThan, "spätestens ", timeText));
    }
}

void HtmlSnapshot::addFact(std::string label, std::string value) {
    facts_.push_back({std::move(label), std::move(value)});
}

RecordSink::Needs HtmlSnapshot::needs() const {
    Needs needs{true, true, true};
    needs.digest = digest_;
    return needs;
}

void HtmlSnapshot::beginFolder(std::string_view folderText) {
    tree_->beginFolder(folderText);
}

void HtmlSnapshot::entry(const EntryRecord& record) {
    tree_->entry(record);
}

void HtmlSnapshot::endFolder() {}

// The page's HTML with its places filled: "@NAME@" stands for what that name gives.
void HtmlSnapshot::endRun() {
    tree_->finish(outcome_);
    const SnapshotPageText& text = SnapshotPage();
    PageLines page(lines_);
    std::string_view html = text.html;
    for (std::size_t at = html.find('@'); at != std::string_view::npos; at = html.find('@')) {
        const std::size_t end = html.find('@', at + 1);
        const std::string_view place = html.substr(at + 1, end - at - 1);
        page.add(html.substr(0, at));
        if (place == "POLICY")
            page.add(contentPolicy(text));
        else if (place == "TITLE")
            page.add(SnapshotTitle(settings_));
        else if (place == "STYLE")
            page.add(text.style);
        else if (place == "SCRIPT")
            page.add(text.script);
        else if (place == "HEADER")
            WriteSnapshotHeader(page, {settings_, created_, outcome_, facts_}, *tree_);
        else if (place == "DATA")
            WriteSnapshotData(page, *tree_, created_, columns_);
        html.remove_prefix(end + 1);
    }
    page.add(html);
    if (!page.line().empty())
        page.endLine();
}
