#include "datasource/CsvSource.h"

#include "platform/Charset.h"
#include "platform/Utf8.h"

namespace tav::data {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kBlockSize = 64 * 1024;

bool hasHighByte(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

} // namespace

CsvRowReader::CsvRowReader(CsvEncoding encoding, const RowHandler& handler,
                           std::size_t maxFieldBytes)
    : m_encoding(encoding == CsvEncoding::Gbk ? CsvEncoding::Gbk : CsvEncoding::Utf8),
      m_handler(handler), m_parser([this](std::vector<std::string>& fields,
                                          std::size_t line) { return takeRecord(fields, line); },
                                   maxFieldBytes) {}

bool CsvRowReader::fail(std::string message) {
    m_error = std::move(message);
    m_stopped = true;
    return false;
}

bool CsvRowReader::feed(std::string_view block) {
    if (m_stopped)
        return false;
    if (!m_headDone) {
        // A byte order mark may arrive split over the first blocks.
        m_head.append(block);
        if (m_head.size() < kByteOrderMark.size() && kByteOrderMark.starts_with(m_head))
            return true;
        m_headDone = true;
        std::string head = std::move(m_head);
        std::string_view rest = head;
        if (m_encoding == CsvEncoding::Utf8 && rest.starts_with(kByteOrderMark))
            rest.remove_prefix(kByteOrderMark.size());
        return m_parser.feed(rest) && !m_stopped;
    }
    return m_parser.feed(block) && !m_stopped;
}

bool CsvRowReader::takeRecord(std::vector<std::string>& fields, std::size_t line) {
    if (m_encoding == CsvEncoding::Utf8) {
        for (std::size_t column = 0; column < fields.size(); ++column) {
            std::string& field = fields[column];
            if (!hasHighByte(field))
                continue;
            if (!platform::isUtf8(field))
                return fail("line " + std::to_string(line) + " is not UTF-8 text");
            field = m_titles.empty() ? platform::utf8ToGbkReplacing(field)
                                     : cellToGbk(field, column, m_handler);
        }
    }
    if (m_titles.empty()) {
        m_titles = std::move(fields);
        return true;
    }
    if (fields.size() > m_titles.size()) {
        for (std::size_t i = m_titles.size(); i < fields.size(); ++i)
            if (!fields[i].empty())
                return fail("line " + std::to_string(line) + " has " +
                            std::to_string(fields.size()) + " fields, but the title row has " +
                            std::to_string(m_titles.size()));
    }
    fields.resize(m_titles.size());
    if (!m_titlesSent) {
        m_titlesSent = true;
        if (m_handler.onTitles && !m_handler.onTitles(m_titles)) {
            m_stopped = true;
            return false;
        }
    }
    ++m_rowCount;
    if (m_handler.onRow && !m_handler.onRow(fields)) {
        m_stopped = true;
        return false;
    }
    return true;
}

Status CsvRowReader::finish() {
    if (!m_headDone) {
        m_headDone = true;
        std::string head = std::move(m_head);
        m_parser.feed(head);
    }
    if (m_error)
        return Status::failure(*m_error);
    Status parsed = m_parser.finish();
    if (m_error)
        return Status::failure(*m_error);
    if (!parsed)
        return parsed;
    if (m_stopped)
        return Status::success();
    if (m_titles.empty())
        return Status::failure("the file is empty: it has no title row");
    if (m_rowCount == 0)
        return noDataStatus();
    return Status::success();
}

Status readCsvText(std::string_view text, CsvEncoding encoding, const RowHandler& handler,
                   std::size_t maxFieldBytes, std::string* note) {
    CsvEncodingScan scan(encoding);
    scan.feed(text);
    auto choice = scan.finish();
    if (!choice)
        return choice.status();
    if (note)
        *note = choice.value().note;
    CsvRowReader reader(choice.value().encoding, handler, maxFieldBytes);
    reader.feed(text);
    return reader.finish();
}

Status CsvSource::open() {
    if (m_file.isOpen())
        return Status::success();
    if (auto opened = m_file.open(m_path); !opened)
        return Status::failure("cannot open the file " + messageToUtf8(m_path) + ": " +
                               (opened.error().empty() ? "no such file" : opened.error()));
    return Status::success();
}

Result<CsvEncodingChoice> CsvSource::scanEncoding() {
    CsvEncodingScan scan(m_encoding);
    std::string block(kBlockSize, '\0');
    for (;;) {
        auto got = m_file.read(block);
        if (!got)
            return Result<CsvEncodingChoice>::failure("cannot read the file " +
                                                      messageToUtf8(m_path) + ": " + got.error());
        if (got.value() == 0)
            break;
        scan.feed(std::string_view(block.data(), got.value()));
    }
    return scan.finish();
}

Status CsvSource::read(const RowHandler& handler) {
    if (Status opened = open(); !opened)
        return opened;
    // Two passes over the file, each reading one block at a time: the first decides the
    // encoding from every line, the second hands on the rows. Each read starts from the
    // beginning, so that a source can be read again.
    if (auto rewound = m_file.rewind(); !rewound)
        return Status::failure("cannot read the file " + messageToUtf8(m_path) + ": " +
                               rewound.error());
    auto choice = scanEncoding();
    if (!choice)
        return Status::failure(messageToUtf8(m_path) + ": " + choice.error());
    m_encodingRead = choice.value().encoding;
    if (!choice.value().note.empty() && m_noteHandler)
        m_noteHandler(messageToUtf8(m_path) + ": " + choice.value().note);
    if (auto rewound = m_file.rewind(); !rewound)
        return Status::failure("cannot read the file " + messageToUtf8(m_path) + ": " +
                               rewound.error());

    CsvRowReader reader(m_encodingRead, handler, m_maxFieldBytes);
    std::string block(kBlockSize, '\0');
    for (;;) {
        auto got = m_file.read(block);
        if (!got)
            return Status::failure("cannot read the file " + messageToUtf8(m_path) + ": " +
                                   got.error());
        if (got.value() == 0 || !reader.feed(std::string_view(block.data(), got.value())))
            break;
    }
    Status finished = reader.finish();
    if (!finished)
        return Status::failure(messageToUtf8(m_path) + ": " + finished.error());
    return finished;
}

void CsvSource::close() {
    m_file.close();
}

} // namespace tav::data
