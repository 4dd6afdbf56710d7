#include "cli/DataSourceRows.h"

namespace tav::cli {

std::string DataSourceRows::read(engine::BatchRowReceiver& receiver) {
    data::RowHandler handler;
    handler.onTitles = [&](const std::vector<std::string>& titles) {
        return receiver.titles(titles);
    };
    handler.onRow = [&](const std::vector<std::string>& cells) { return receiver.row(cells); };
    const data::Status status = m_source.read(handler);
    m_source.close();
    return status.error();
}

} // namespace tav::cli
