// Rows from the first worksheet of an Excel 97-2003 workbook (.xls, BIFF8), read with FreeXL.
//
// The sheet's used range is read from its top-left cell A1: the first row gives the column
// titles, the following rows the data, and every column counts, however many there are. Cells
// become text: integers without a decimal point, other numbers with up to 15 significant digits
// (%.15g), dates as YYYY-MM-DD, times as HH:MM:SS and both as YYYY-MM-DD HH:MM:SS, empty cells
// as empty text. Text is converted from UTF-8 to GBK, with '?' for each character GBK lacks.
// A sheet without a data row gives kNoDataMessage; a workbook protected with a password cannot
// be read and says so.
#pragma once

#include "datasource/DataSource.h"

#include <string>

namespace tav::data {

class XlsSource final : public DataSource {
public:
    explicit XlsSource(std::string path) : m_path(std::move(path)) {}
    ~XlsSource() override { close(); }
    XlsSource(const XlsSource&) = delete;
    XlsSource& operator=(const XlsSource&) = delete;

    Status open() override;
    Status read(const RowHandler& handler) override;
    void close() override;

private:
    std::string m_path;
    const void* m_handle = nullptr;
};

} // namespace tav::data
