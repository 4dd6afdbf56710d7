// Feeds arbitrary bytes to the CSV reader, whole and split into blocks at a point the input
// chooses: nothing may crash or leak, every row must be as wide as the title row, no title or
// cell may be longer than the field limit the input chooses, and the split reading must give
// exactly what the whole reading gives.
#include "datasource/CsvSource.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Outcome {
    bool ok = false;
    std::string error;
    std::vector<std::vector<std::string>> rows; // the titles first
};

tav::data::RowHandler collect(Outcome& outcome, std::size_t maxFieldBytes) {
    using namespace tav::data;
    auto check = [maxFieldBytes](const std::vector<std::string>& fields) {
        // UTF-8 text only gets shorter on its way to GBK, so the bound on the bytes read
        // holds for what is handed on.
        for (const std::string& field : fields)
            if (field.size() > maxFieldBytes)
                std::abort();
    };
    return RowHandler{[&outcome, check](const std::vector<std::string>& titles) {
                          check(titles);
                          outcome.rows.push_back(titles);
                          return true;
                      },
                      [&outcome, check](const std::vector<std::string>& cells) {
                          check(cells);
                          if (outcome.rows.empty() || cells.size() != outcome.rows[0].size())
                              std::abort();
                          outcome.rows.push_back(cells);
                          return true;
                      }};
}

Outcome readWhole(std::string_view text, tav::data::CsvEncoding encoding,
                  std::size_t maxFieldBytes) {
    Outcome outcome;
    auto handler = collect(outcome, maxFieldBytes);
    auto status = tav::data::readCsvText(text, encoding, handler, maxFieldBytes);
    outcome.ok = status.ok();
    outcome.error = status.error();
    return outcome;
}

// The way a file is read: the encoding decided over all blocks, then the blocks read again.
Outcome readInBlocks(std::string_view text, tav::data::CsvEncoding encoding, std::size_t split,
                     std::size_t maxFieldBytes) {
    using namespace tav::data;
    Outcome outcome;
    CsvEncodingScan scan(encoding);
    scan.feed(text.substr(0, split));
    scan.feed(text.substr(split));
    auto choice = scan.finish();
    if (!choice) {
        outcome.error = choice.error();
        return outcome;
    }
    auto handler = collect(outcome, maxFieldBytes);
    CsvRowReader reader(choice.value().encoding, handler, maxFieldBytes);
    if (reader.feed(text.substr(0, split)))
        reader.feed(text.substr(split));
    Status status = reader.finish();
    outcome.ok = status.ok();
    outcome.error = status.error();
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using tav::data::CsvEncoding;
    if (size < 2)
        return 0;
    // The first byte picks the encoding and where to split the rest; the second the field
    // limit, small enough for the fuzzer to reach.
    auto encoding = static_cast<CsvEncoding>(data[0] % 3);
    const std::size_t maxFieldBytes = 1 + data[1] % 64;
    std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    std::size_t split = text.empty() ? 0 : (data[0] / 3u) % (text.size() + 1);
    Outcome whole = readWhole(text, encoding, maxFieldBytes);
    Outcome split2 = readInBlocks(text, encoding, split, maxFieldBytes);
    if (whole.ok != split2.ok || whole.error != split2.error || whole.rows != split2.rows)
        std::abort();
    // A field above the limit is refused, never cut short.
    const std::string longField(maxFieldBytes + 1, 'x');
    Outcome bounded = readWhole("a\n" + longField + "\n", encoding, maxFieldBytes);
    if (bounded.ok || bounded.error.find("longer than") == std::string::npos)
        std::abort();
    return 0;
}
