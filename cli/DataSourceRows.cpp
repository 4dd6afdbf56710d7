#include "cli/DataSourceRows.h"

#include "platform/Interruption.h"

namespace tav::cli {
namespace {

// A program asked to stop reads no further row and says so, so that a document is never
// finished with the rows read until then.
constexpr const char* kStopped = "stopped by a signal";

bool stopped() {
    return platform::interruptionSignal() != 0;
}

// A row as it was read: its cells and the characters they could not hold.
struct ReadRow {
    std::vector<std::string> cells;
    std::vector<engine::UnprintableCharacter> unprintable;
};

} // namespace

std::string DataSourceRows::read(engine::BatchRowReceiver& receiver) {
    if (m_reading == RowReading::WholeResultFirst)
        return readWholeFirst(receiver);
    std::vector<engine::UnprintableCharacter> unprintable;
    data::RowHandler handler;
    handler.onTitles = [&](const std::vector<std::string>& titles) {
        return receiver.titles(titles);
    };
    handler.onUnprintable = [&](std::size_t column, std::string_view character) {
        unprintable.push_back({column, std::string(character)});
    };
    handler.onRow = [&](const std::vector<std::string>& cells) {
        if (stopped())
            return false;
        const bool more = receiver.row(cells, unprintable);
        unprintable.clear();
        return more;
    };
    const data::Status status = m_source.read(handler);
    m_source.close();
    return stopped() ? kStopped : status.error();
}

std::string DataSourceRows::readWholeFirst(engine::BatchRowReceiver& receiver) {
    std::vector<std::string> titles;
    std::vector<ReadRow> rows;
    std::vector<engine::UnprintableCharacter> unprintable;
    data::RowHandler handler;
    handler.onTitles = [&](const std::vector<std::string>& read) {
        titles = read;
        return true;
    };
    handler.onUnprintable = [&](std::size_t column, std::string_view character) {
        unprintable.push_back({column, std::string(character)});
    };
    handler.onRow = [&](const std::vector<std::string>& cells) {
        rows.push_back({cells, std::move(unprintable)});
        unprintable.clear();
        return !stopped();
    };
    const data::Status status = m_source.read(handler);
    m_source.close();
    if (stopped())
        return kStopped;
    if (!status)
        return status.error();
    if (!receiver.titles(titles))
        return {};
    for (const ReadRow& row : rows)
        if (stopped() || !receiver.row(row.cells, row.unprintable))
            break;
    return stopped() ? kStopped : std::string();
}

} // namespace tav::cli
