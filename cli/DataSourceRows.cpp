#include "cli/DataSourceRows.h"

namespace tav::cli {

std::string DataSourceRows::read(engine::BatchRowReceiver& receiver) {
    if (m_reading == RowReading::WholeResultFirst)
        return readWholeFirst(receiver);
    data::RowHandler handler;
    handler.onTitles = [&](const std::vector<std::string>& titles) {
        return receiver.titles(titles);
    };
    handler.onRow = [&](const std::vector<std::string>& cells) { return receiver.row(cells); };
    const data::Status status = m_source.read(handler);
    m_source.close();
    return status.error();
}

std::string DataSourceRows::readWholeFirst(engine::BatchRowReceiver& receiver) {
    auto table = m_source.readTable();
    m_source.close();
    if (!table)
        return table.error();
    if (!receiver.titles(table.value().titles))
        return {};
    for (const auto& cells : table.value().rows)
        if (!receiver.row(cells))
            break;
    return {};
}

} // namespace tav::cli
