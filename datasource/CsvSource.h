// Rows from a CSV file whose first record holds the column titles.
//
// Encoding: the whole file is looked at first (CsvEncodingScan), so that it is never read in
// the wrong encoding and no row is handed on from a file that no encoding fits; the rows are
// then streamed in a second pass. UTF-8 text is converted to GBK, with '?' for each character
// GBK lacks; GBK text is passed on as it is.
//
// Width: a record shorter than the title row is filled up with empty cells; a longer one is an
// error naming its line, unless the fields past the titles are all empty (the trailing commas
// some programs write), which are then dropped. Records are parsed as CsvParser describes, with
// its bound on a field's length. A title row without any data row gives kNoDataMessage, as a
// spreadsheet does.
#pragma once

#include "datasource/CsvEncoding.h"
#include "datasource/CsvParser.h"
#include "datasource/DataSource.h"
#include "platform/File.h"

#include <functional>
#include <string>
#include <string_view>

namespace tav::data {

// Turns CSV bytes, fed block by block, into titles and rows for a RowHandler. Memory stays in
// proportion to the longest record, not to the input. `encoding` is the one the bytes are in,
// as CsvEncodingScan decided it (Detect is taken as UTF-8); a leading UTF-8 byte order mark is
// skipped, and a field that is not UTF-8 in UTF-8 text is an error naming its line.
class CsvRowReader {
public:
    CsvRowReader(CsvEncoding encoding, const RowHandler& handler,
                 std::size_t maxFieldBytes = kDefaultMaxCsvFieldBytes);

    // False once the reading has ended early: the handler stopped it or an error occurred.
    bool feed(std::string_view block);
    // Ends the input; the outcome of the whole reading.
    Status finish();

private:
    bool takeRecord(std::vector<std::string>& fields, std::size_t line);
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

// Reads CSV text held in memory, its encoding decided as for a file. `note`, when given,
// receives the note of the encoding's choice (empty when there was no doubt).
Status readCsvText(std::string_view text, CsvEncoding encoding, const RowHandler& handler,
                   std::size_t maxFieldBytes = kDefaultMaxCsvFieldBytes,
                   std::string* note = nullptr);

class CsvSource final : public DataSource {
public:
    // Receives the note of the encoding's choice before the first row, when the file read in
    // both encodings and one was preferred (UTF-8 text).
    using NoteHandler = std::function<void(const std::string& note)>;

    explicit CsvSource(std::string path, CsvEncoding encoding = CsvEncoding::Detect,
                       std::size_t maxFieldBytes = kDefaultMaxCsvFieldBytes)
        : m_path(std::move(path)), m_encoding(encoding), m_maxFieldBytes(maxFieldBytes) {}
    ~CsvSource() override { close(); }
    CsvSource(const CsvSource&) = delete;
    CsvSource& operator=(const CsvSource&) = delete;

    void setNoteHandler(NoteHandler handler) { m_noteHandler = std::move(handler); }

    Status open() override;
    Status read(const RowHandler& handler) override;
    void close() override;

    // The encoding the last read() took the file to be in (Detect before any read).
    CsvEncoding encodingRead() const { return m_encodingRead; }

private:
    Result<CsvEncodingChoice> scanEncoding();

    std::string m_path;
    CsvEncoding m_encoding;
    std::size_t m_maxFieldBytes;
    NoteHandler m_noteHandler;
    CsvEncoding m_encodingRead = CsvEncoding::Detect;
    platform::FileReader m_file;
};

} // namespace tav::data
