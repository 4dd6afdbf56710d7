// Rows from a CSV file whose first record holds the column titles.
//
// Encoding: CsvEncoding::Detect (the default) takes a file that starts with the UTF-8 byte order
// mark as UTF-8; otherwise it looks at the first block of the file (64 KiB) that holds a byte
// above 0x7F: when that block is well-formed UTF-8 the file is UTF-8, else GBK. UTF-8 text is
// converted to GBK, with '?' for each character GBK lacks; GBK text is passed on as it is. A
// caller that knows the encoding says so with Utf8 or Gbk. A field that is not UTF-8 in a file
// taken as UTF-8 is an error naming its line, since a file of mixed encodings cannot be read
// right.
//
// Width: a record shorter than the title row is filled up with empty cells; a longer one is an
// error naming its line, unless the fields past the titles are all empty (the trailing commas
// some programs write), which are then dropped. Records are parsed as CsvParser describes.
// A title row without any data row gives kNoDataMessage, as a spreadsheet does.
#pragma once

#include "datasource/CsvParser.h"
#include "datasource/DataSource.h"

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace tav::data {

enum class CsvEncoding { Detect, Utf8, Gbk };

// Turns CSV bytes, fed block by block, into titles and rows for a RowHandler. Memory stays in
// proportion to the longest record, not to the input.
class CsvRowReader {
public:
    CsvRowReader(CsvEncoding encoding, const RowHandler& handler);

    // False once the reading has ended early: the handler stopped it or an error occurred.
    bool feed(std::string_view block);
    // Ends the input; the outcome of the whole reading.
    Status finish();

private:
    bool takeRecord(std::vector<std::string>& fields, std::size_t line);
    bool decideEncoding(std::string_view block);
    bool fail(std::string message);

    CsvEncoding m_encoding;
    const RowHandler& m_handler;
    CsvParser m_parser;
    std::string m_head; // the first bytes, held until a byte order mark can be told apart
    bool m_headDone = false;
    bool m_stopped = false;
    std::optional<std::string> m_error;
    std::vector<std::string> m_titles;
    bool m_titlesSent = false;
    std::size_t m_rowCount = 0;
};

// Reads CSV text held in memory.
Status readCsvText(std::string_view text, CsvEncoding encoding, const RowHandler& handler);

class CsvSource final : public DataSource {
public:
    explicit CsvSource(std::string path, CsvEncoding encoding = CsvEncoding::Detect)
        : m_path(std::move(path)), m_encoding(encoding) {}
    ~CsvSource() override { close(); }
    CsvSource(const CsvSource&) = delete;
    CsvSource& operator=(const CsvSource&) = delete;

    Status open() override;
    Status read(const RowHandler& handler) override;
    void close() override;

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::string m_path;
    CsvEncoding m_encoding;
    std::unique_ptr<std::FILE, FileCloser> m_file;
};

} // namespace tav::data
