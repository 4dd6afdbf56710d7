// The rows of a data source handed to the batch runner, which knows no data sources.
#pragma once

#include "datasource/DataSource.h"
#include "printengine/BatchRun.h"

namespace tav::cli {

class DataSourceRows final : public engine::BatchRows {
public:
    explicit DataSourceRows(data::DataSource& source) : m_source(source) {}
    std::string read(engine::BatchRowReceiver& receiver) override;

private:
    data::DataSource& m_source;
};

} // namespace tav::cli
