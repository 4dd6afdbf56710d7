// Feeds arbitrary bytes to the CSV reader, whole and split into blocks at a point the input
// chooses: nothing may crash or leak, every row must be as wide as the title row, and the
// split reading must give exactly what the whole reading gives.
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

Outcome readInBlocks(std::string_view text, tav::data::CsvEncoding encoding, std::size_t split) {
    using namespace tav::data;
    Outcome outcome;
    std::size_t width = 0;
    RowHandler handler{[&](const std::vector<std::string>& titles) {
                           width = titles.size();
                           outcome.rows.push_back(titles);
                           return true;
                       },
                       [&](const std::vector<std::string>& cells) {
                           if (cells.size() != width)
                               std::abort();
                           outcome.rows.push_back(cells);
                           return true;
                       }};
    CsvRowReader reader(encoding, handler);
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
    if (size == 0)
        return 0;
    // The first byte picks the encoding and where to split the rest.
    auto encoding = static_cast<CsvEncoding>(data[0] % 3);
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::size_t split = text.empty() ? 0 : (data[0] / 3u) % (text.size() + 1);
    Outcome whole = readInBlocks(text, encoding, text.size());
    Outcome split2 = readInBlocks(text, encoding, split);
    // Detection looks at the first block with a high byte, so only a stated encoding must
    // agree whatever the blocks are.
    if (encoding != CsvEncoding::Detect &&
        (whole.ok != split2.ok || whole.error != split2.error || whole.rows != split2.rows))
        std::abort();
    return 0;
}
