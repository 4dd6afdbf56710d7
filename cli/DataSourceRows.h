// The rows of a data source handed to the batch runner, which knows no data sources.
#pragma once

#include "datasource/DataSource.h"
#include "printengine/BatchRun.h"

namespace tav::cli {

enum class RowReading {
    Streamed,         // each row goes on as it is read: memory stays flat however many rows
    WholeResultFirst, // every row is read, and the source closed, before the first goes on
};

class DataSourceRows final : public engine::BatchRows {
public:
    // A database batch to a printer reads the whole result first: a server drops a connection
    // whose client stops reading for longer than its write timeout, as a slow printer or the
    // pause between jobs would make it, and the rows not yet read would be lost.
    explicit DataSourceRows(data::DataSource& source, RowReading reading = RowReading::Streamed)
        : m_source(source), m_reading(reading) {}
    std::string read(engine::BatchRowReceiver& receiver) override;

private:
    std::string readWholeFirst(engine::BatchRowReceiver& receiver);

    data::DataSource& m_source;
    RowReading m_reading;
};

} // namespace tav::cli
