#include "format/InventoryFile.h"

#include "format/CsvListing.h"
#include "format/JsonListing.h"
#include "output/ListFileWriter.h"
#include "snapshot/HtmlSnapshot.h"

QString WriteInventoryFile(const KeptRun& run, InventoryFormat format, const QString& fileName) {
    ListFileWriter writer(fileName);
    writer.setLineEnd(format == InventoryFormat::Csv ? "\r\n" : "\n");
    if (QString error = writer.open(); !error.isEmpty())
        return error;
    if (format == InventoryFormat::Csv) {
        CsvListing table(writer);
        table.begin();
        run.records.replay(table);
    } else if (format == InventoryFormat::Json) {
        JsonListing inventory(writer, run.outcome);
        inventory.begin(run.searched, run.created);
        run.records.replay(inventory);
    } else {
        HtmlSnapshot snapshot(writer, run.outcome);
        snapshot.begin(run.searched, run.created);
        run.records.replay(snapshot);
    }
    return writer.commit();
}
