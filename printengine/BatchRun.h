// The row loop of a batch, shared by every program that prints one label per data row (tavprint
// batch, the designer's batch window and its copies, the benchmarks): each selected row fills the
// marks named by the column titles and goes to the label sink; the observer hears of every row as
// it goes.
#pragma once

#include "printengine/BatchPrinter.h"
#include "printengine/RowSelection.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace tav::engine {

// A character of a cell that GBK cannot hold (an emoji, a rare character from a utf8mb4
// column); the cell carries '?' in its place.
struct UnprintableCharacter {
    std::size_t column = 0; // from 0
    std::string character;  // UTF-8, or the one byte that was not UTF-8
};

// Takes the rows of a batch as they are read: the titles once, then each data row in order.
class BatchRowReceiver {
public:
    virtual ~BatchRowReceiver() = default;
    // The column titles (GBK). False: stop reading, nothing more is wanted.
    virtual bool titles(const std::vector<std::string>& titles) = 0;
    // One data row (GBK cells, one per title), and the characters its cells could not hold.
    // False: stop reading, nothing more is wanted.
    virtual bool row(const std::vector<std::string>& cells,
                     std::span<const UnprintableCharacter> unprintable) = 0;
};

// The rows of a batch, wherever they are held (a database result, a file, the designer's
// grid). The engine knows no data sources; their users hand the rows over through this.
class BatchRows {
public:
    virtual ~BatchRows() = default;
    // Hands the titles, then every data row, to `receiver`, stopping early when it says so
    // (which is no failure). The reason (UTF-8) when the rows could not be read to the end;
    // empty when they were.
    virtual std::string read(BatchRowReceiver& receiver) = 0;
};

// Hears how a batch goes, row by row.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    virtual void rowPrinted(std::size_t position) = 0;
    // `why` is UTF-8.
    virtual void rowFailed(std::size_t position, const std::string& why) = 0;
    // Something the user should know that fails no row (UTF-8), such as a column that fills
    // no mark.
    virtual void warning(const std::string& text) = 0;
};

struct BatchSummary {
    // No column title names a mark of the template, so every label would be the template's
    // own sample: nothing was printed and the rows were not read.
    bool refused = false;
    std::size_t printed = 0;
    std::size_t failed = 0;
    // The batch stopped at a failure every later row would meet too (endsBatch): its status;
    // Printed when it did not stop.
    PrintStatus stoppedBy = PrintStatus::Printed;
    std::string readError; // the rows could not be read to the end (UTF-8); empty when they were
    // The sink was finished (a document written) only when every row was read and at least one
    // label printed; `finishError` says why finishing failed.
    bool finished = false;
    std::string finishError;
    // The selected rows whose cells held characters GBK cannot hold, failed or (when replaced)
    // printed with '?'.
    std::vector<std::size_t> unprintableRows;
};

struct BatchOptions {
    // Print '?' for characters GBK cannot hold, instead of failing their rows.
    bool replaceUnprintable = false;
    // Rows without any column print the template as it stands (copies) instead of being
    // refused; columns that fill no mark are refused all the same.
    bool allowNoColumns = false;
};

// Before the first row, warns of each column whose title no element's mark contains, and
// refuses the batch when no column fills any mark. Then prints the rows that `selection` picks
// (positions count the data rows from 1, chosen or not) through `printer`, then finishes its sink
// when the rows were read to the end and at least one label was printed. Rows that fail are
// reported and passed over and the batch goes on, unless the failure ends it (endsBatch): then
// it stops at once and nothing is finished.
// A row whose cells hold characters GBK cannot hold fails, naming the column and the
// character, unless `options` say to print them as '?'.
BatchSummary runBatch(BatchRows& rows, BatchPrinter& printer, const RowSelection& selection,
                      BatchObserver& observer, const BatchOptions& options = {});

// `count` copies of the template as it stands through the same loop: rows without columns,
// named and paced like data rows. Stops at the first copy that fails, as the next would too.
BatchSummary printCopies(BatchPrinter& printer, std::size_t count);

} // namespace tav::engine
