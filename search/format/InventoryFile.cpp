#include "format/InventoryFile.h"

#include "format/CsvListing.h"
#include "format/JsonListing.h"
#include "format/SumsListing.h"
#include "output/ListFileWriter.h"
#include "snapshot/HtmlSnapshot.h"

QString WriteInventoryFile(const KeptRun& run, InventoryFormat format, const QString& fileName,
                           const JsonListing::Tool& tool) {
    ListFileWriter writer(fileName);
    writer.setLineEnd(format == InventoryFormat::Csv ? "\r\n" : "\n");
    if (QString error = writer.open(); !error.isEmpty())
        return error;
    const std::optional<DigestAlgorithm> digest = run.records.digest();
    if (format == InventoryFormat::Csv) {
        CsvListing table(writer, digest);
        table.begin();
        run.records.replay(table);
    } else if (format == InventoryFormat::Sums) {
        SumsListing sums(writer, digest.value_or(DigestAlgorithm::Sha256));
        run.records.replay(sums);
    } else if (format == InventoryFormat::Json) {
        JsonListing inventory(writer, run.outcome, digest);
        inventory.begin(run.searched, run.created, tool);
        run.records.replay(inventory);
    } else {
        HtmlSnapshot snapshot(writer, run.outcome, digest);
        snapshot.begin(run.searched, run.created);
        run.records.replay(snapshot);
    }
    return writer.commit();
}
