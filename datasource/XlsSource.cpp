#include "datasource/XlsSource.h"

#include "platform/Charset.h"
#include "platform/File.h"

#include <cstdio>
#include <freexl.h>

namespace tav::data {
namespace {

std::string describeFreexlError(int code) {
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return "the file does not exist or cannot be read";
    case FREEXL_INSUFFICIENT_MEMORY:
        return "there is not enough memory to read it";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
        return "it is not an Excel 97-2003 workbook (.xls), or it is damaged";
    case FREEXL_BIFF_UNSELECTED_SHEET:
    case FREEXL_BIFF_ILLEGAL_SHEET_INDEX:
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return "it holds no worksheet, or it is damaged";
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER:
        return "its text is in a character set that cannot be read";
    default:
        return "the workbook is damaged or of an unsupported kind (FreeXL error " +
               std::to_string(code) + ")";
    }
}

// The cell's text as GBK; `unprintable` (for data rows) hears of the characters GBK lacks.
std::string cellText(const FreeXL_CellValue& cell, std::size_t column,
                     const RowHandler& unprintable) {
    char number[64];
    switch (cell.type) {
    case FREEXL_CELL_INT:
        std::snprintf(number, sizeof number, "%d", cell.value.int_value);
        return number;
    case FREEXL_CELL_DOUBLE:
        std::snprintf(number, sizeof number, "%.15g", cell.value.double_value);
        return number;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return cell.value.text_value ? cellToGbk(cell.value.text_value, column, unprintable)
                                     : std::string();
    default:
        return {};
    }
}

} // namespace

Status XlsSource::open() {
    if (m_handle)
        return Status::success();
    std::string failedFile = "cannot open the workbook " + messageToUtf8(m_path) + ": ";
    // FreeXL opens the path itself and would wait on a FIFO: look first without blocking.
    const auto readable = platform::checkReadableFile(m_path);
    switch (readable.code()) {
    case platform::FileReadStatus::Read:
        break;
    case platform::FileReadStatus::NotFound:
        return Status::failure(failedFile + describeFreexlError(FREEXL_FILE_NOT_FOUND));
    case platform::FileReadStatus::CannotOpen:
        return Status::failure(failedFile + readable.error());
    }
    const void* handle = nullptr;
    int result = freexl_open(m_path.c_str(), &handle);
    if (result != FREEXL_OK) {
        freexl_close(handle); // FreeXL wants this even after a failed open
        return Status::failure(failedFile + describeFreexlError(result));
    }
    unsigned int protection = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &protection) == FREEXL_OK &&
        protection == FREEXL_BIFF_OBFUSCATED) {
        freexl_close(handle);
        return Status::failure(failedFile + "it is protected with a password; save it without one");
    }
    unsigned int sheets = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0) {
        freexl_close(handle);
        return Status::failure(failedFile + describeFreexlError(FREEXL_BIFF_WORKBOOK_NOT_FOUND));
    }
    if (int selected = freexl_select_active_worksheet(handle, 0); selected != FREEXL_OK) {
        freexl_close(handle);
        return Status::failure(failedFile + describeFreexlError(selected));
    }
    m_handle = handle;
    return Status::success();
}

Status XlsSource::read(const RowHandler& handler) {
    if (Status opened = open(); !opened)
        return opened;
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (int result = freexl_worksheet_dimensions(m_handle, &rows, &columns); result != FREEXL_OK)
        return Status::failure("cannot read the first worksheet: " + describeFreexlError(result));
    if (columns == 0 || rows <= 1)
        return noDataStatus();

    std::vector<std::string> cells(columns);
    const RowHandler titleRow; // titles that GBK cannot hold match no mark, and are not cells
    auto readRow = [&](unsigned int row) -> Status {
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue cell{};
            int result = freexl_get_cell_value(m_handle, row, column, &cell);
            if (result != FREEXL_OK)
                return Status::failure("cannot read the cell in row " + std::to_string(row + 1) +
                                       ", column " + std::to_string(column + 1) + ": " +
                                       describeFreexlError(result));
            cells[column] = cellText(cell, column, row == 0 ? titleRow : handler);
        }
        return Status::success();
    };

    if (Status titles = readRow(0); !titles)
        return titles;
    if (handler.onTitles && !handler.onTitles(cells))
        return Status::success();
    for (unsigned int row = 1; row < rows; ++row) {
        if (Status read = readRow(row); !read)
            return read;
        if (handler.onRow && !handler.onRow(cells))
            break;
    }
    return Status::success();
}

void XlsSource::close() {
    if (m_handle)
        freexl_close(m_handle);
    m_handle = nullptr;
}

} // namespace tav::data
