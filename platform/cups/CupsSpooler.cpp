#include "platform/cups/CupsSpooler.h"

#include "platform/Interruption.h"
#include "platform/SystemSpooler.h"

#include <cups/cups.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <utility>

namespace tav::platform {

namespace {

// What one connection needs closed, and the destinations read over it.
class Connection {
public:
    Connection(const std::string& server, int port) {
        const char* host = server.empty() ? cupsServer() : server.c_str();
        m_http = httpConnect2(host, port == 0 ? ippPort() : port, nullptr, AF_UNSPEC,
                              cupsEncryption(), 1, 10000, nullptr);
    }
    ~Connection() {
        cupsFreeDests(m_destCount, m_dests);
        httpClose(m_http);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    http_t* http() const { return m_http; }
    bool connected() const { return m_http != nullptr; }

    // Reads the destinations; false when the scheduler did not answer.
    bool readDestinations() {
        cupsFreeDests(m_destCount, m_dests);
        m_dests = nullptr;
        m_destCount = cupsGetDests2(m_http, &m_dests);
        return !(m_destCount == 0 && unavailable(cupsLastError()));
    }
    std::span<cups_dest_t> destinations() const {
        return {m_dests, static_cast<std::size_t>(std::max(m_destCount, 0))};
    }
    // The queue (not an lpoptions instance of it) called `name`, as CUPS matches names: without
    // regard to case.
    const cups_dest_t* find(const std::string& name) const {
        return cupsGetDest(name.c_str(), nullptr, m_destCount, m_dests);
    }
    const cups_dest_t* findDefault() const {
        for (const cups_dest_t& dest : destinations()) {
            if (dest.is_default && dest.instance == nullptr) {
                return &dest;
            }
        }
        return nullptr;
    }

    static bool unavailable(ipp_status_t status) {
        return status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE ||
               status == IPP_STATUS_ERROR_INTERNAL;
    }

private:
    http_t* m_http = nullptr;
    cups_dest_t* m_dests = nullptr;
    int m_destCount = 0;
};

bool succeeded(ipp_status_t status) {
    return status <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

// A length in millimetres as the media option writes it: at most two decimals, no trailing
// zeros.
std::string millimetres(double mm) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", mm);
    std::string out = text;
    out.erase(out.find_last_not_of('0') + 1);
    if (out.back() == '.') {
        out.pop_back();
    }
    return out;
}

std::string lastError() {
    const char* text = cupsLastErrorString();
    return text != nullptr && *text != '\0' ? text : ippErrorString(cupsLastError());
}

// Checks what can be checked before the scheduler is asked; an empty result means acceptable.
std::string problemWith(const SpoolJob& job) {
    if (job.pdf.size() < 5 || !std::equal(job.pdf.begin(), job.pdf.begin() + 5, "%PDF-")) {
        return "the document is not a PDF";
    }
    if (!(job.pageWidthMm > 0) || !(job.pageHeightMm > 0) || !std::isfinite(job.pageWidthMm) ||
        !std::isfinite(job.pageHeightMm)) {
        return "the page size is not positive";
    }
    if (job.copies < 1) {
        return "the number of copies is not positive";
    }
    return {};
}

} // namespace

CupsSpooler::CupsSpooler(std::string server, int port)
    : m_server(std::move(server)), m_port(port) {}

SpoolStatus CupsSpooler::listPrinters(std::vector<PrinterInfo>& printers) {
    printers.clear();
    Connection connection(m_server, m_port);
    if (!connection.connected() || !connection.readDestinations()) {
        return SpoolStatus::NoScheduler;
    }
    for (const cups_dest_t& dest : connection.destinations()) {
        if (dest.instance != nullptr) {
            continue; // an lpoptions instance, not a queue
        }
        const char* info = cupsGetOption("printer-info", dest.num_options, dest.options);
        printers.push_back({dest.name, dest.is_default != 0, info != nullptr ? info : ""});
    }
    return SpoolStatus::Ok;
}

SpoolStatus CupsSpooler::resolvePrinter(const std::string& name, std::string& queue) {
    queue.clear();
    Connection connection(m_server, m_port);
    if (!connection.connected() || !connection.readDestinations()) {
        return SpoolStatus::NoScheduler;
    }
    const cups_dest_t* dest = name.empty() ? connection.findDefault() : connection.find(name);
    if (dest == nullptr) {
        return name.empty() ? SpoolStatus::NoDefaultPrinter : SpoolStatus::UnknownPrinter;
    }
    queue = dest->name;
    return SpoolStatus::Ok;
}

namespace {

// The queue's own address: classes and printers live under different paths.
std::string queueUri(const cups_dest_t& dest) {
    if (const char* known =
            cupsGetOption("printer-uri-supported", dest.num_options, dest.options)) {
        return known;
    }
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", dest.name);
    return uri;
}

// The printer's attributes `names`; null when the scheduler did not answer. The caller deletes
// the answer.
ipp_t* printerAttributes(http_t* http, const cups_dest_t& dest,
                         std::initializer_list<const char*> names) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    const std::string uri = queueUri(dest);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    std::vector<const char*> list(names);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(list.size()), nullptr, list.data());
    ipp_t* response = cupsDoRequest(http, request, "/");
    if (response != nullptr && !succeeded(ippGetStatusCode(response))) {
        ippDelete(response);
        return nullptr;
    }
    return response;
}

std::optional<int> defaultResolution(ipp_t* response) {
    ipp_attribute_t* attribute =
        ippFindAttribute(response, "printer-resolution-default", IPP_TAG_RESOLUTION);
    if (attribute == nullptr) {
        return std::nullopt;
    }
    int vertical = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    ippGetResolution(attribute, 0, &vertical, &units);
    if (units == IPP_RES_PER_CM) {
        vertical = static_cast<int>(std::lround(vertical * 2.54));
    }
    return vertical > 0 ? std::optional<int>(vertical) : std::nullopt;
}

// Whether a media-size dimension (an integer, or a range for custom sizes) holds `wanted`
// hundredths of a millimetre, to within a millimetre.
bool dimensionHolds(ipp_t* size, const char* name, int wanted) {
    ipp_attribute_t* attribute = ippFindAttribute(size, name, IPP_TAG_ZERO);
    if (attribute == nullptr) {
        return false;
    }
    constexpr int kSlack = 100;
    if (ippGetValueTag(attribute) == IPP_TAG_RANGE) {
        int upper = 0;
        const int lower = ippGetRange(attribute, 0, &upper);
        return wanted >= lower - kSlack && wanted <= upper + kSlack;
    }
    return std::abs(ippGetInteger(attribute, 0) - wanted) <= kSlack;
}

std::optional<PaperMargins> marginsOf(ipp_t* media) {
    ipp_attribute_t* left = ippFindAttribute(media, "media-left-margin", IPP_TAG_INTEGER);
    ipp_attribute_t* top = ippFindAttribute(media, "media-top-margin", IPP_TAG_INTEGER);
    ipp_attribute_t* right = ippFindAttribute(media, "media-right-margin", IPP_TAG_INTEGER);
    ipp_attribute_t* bottom = ippFindAttribute(media, "media-bottom-margin", IPP_TAG_INTEGER);
    if (left == nullptr || top == nullptr) {
        return std::nullopt;
    }
    return PaperMargins{ippGetInteger(left, 0), ippGetInteger(top, 0),
                        right ? ippGetInteger(right, 0) : 0, bottom ? ippGetInteger(bottom, 0) : 0};
}

// The margins of the paper `width` x `height` (hundredths of a millimetre): those of the
// printer's entry for that size (a PPD's imageable area; custom sizes its hardware margins),
// else those of the printer's default paper.
std::optional<PaperMargins> paperMargins(ipp_t* response, int width, int height) {
    if (ipp_attribute_t* database =
            ippFindAttribute(response, "media-col-database", IPP_TAG_BEGIN_COLLECTION)) {
        for (int i = 0; i < ippGetCount(database); ++i) {
            ipp_t* media = ippGetCollection(database, i);
            ipp_attribute_t* size = ippFindAttribute(media, "media-size", IPP_TAG_BEGIN_COLLECTION);
            if (size == nullptr) {
                continue;
            }
            ipp_t* dimensions = ippGetCollection(size, 0);
            if (dimensionHolds(dimensions, "x-dimension", width) &&
                dimensionHolds(dimensions, "y-dimension", height)) {
                if (auto margins = marginsOf(media)) {
                    return margins;
                }
            }
        }
    }
    if (ipp_attribute_t* fallback =
            ippFindAttribute(response, "media-col-default", IPP_TAG_BEGIN_COLLECTION)) {
        return marginsOf(ippGetCollection(fallback, 0));
    }
    return std::nullopt;
}

} // namespace

std::optional<int> CupsSpooler::resolutionDpi(const std::string& queue) {
    Connection connection(m_server, m_port);
    if (!connection.connected() || !connection.readDestinations()) {
        return std::nullopt;
    }
    const cups_dest_t* dest = connection.find(queue);
    if (dest == nullptr) {
        return std::nullopt;
    }
    ipp_t* response = printerAttributes(connection.http(), *dest, {"printer-resolution-default"});
    std::optional<int> dpi = response != nullptr ? defaultResolution(response) : std::nullopt;
    ippDelete(response);
    return dpi;
}

QueueGeometry CupsSpooler::describeQueue(const std::string& queue, double widthMm,
                                         double heightMm) {
    QueueGeometry geometry;
    Connection connection(m_server, m_port);
    if (!connection.connected() || !connection.readDestinations()) {
        return geometry;
    }
    const cups_dest_t* dest = connection.find(queue);
    if (dest == nullptr) {
        return geometry;
    }
    ipp_t* response = printerAttributes(
        connection.http(), *dest,
        {"printer-resolution-default", "media-col-database", "media-col-default"});
    if (response != nullptr) {
        geometry.dpi = defaultResolution(response);
        geometry.margins = paperMargins(response, static_cast<int>(std::lround(widthMm * 100)),
                                        static_cast<int>(std::lround(heightMm * 100)));
    }
    ippDelete(response);
    return geometry;
}

SpoolOutcome CupsSpooler::submit(const SpoolJob& job) {
    if (std::string problem = problemWith(job); !problem.empty())
        return SpoolOutcome::failure(SpoolStatus::Refused, problem);
    if (interruptionSignal() != 0) {
        return SpoolOutcome::failure(SpoolStatus::Refused, "stopped before the job was sent");
    }
    Connection connection(m_server, m_port);
    if (!connection.connected() || !connection.readDestinations()) {
        return SpoolOutcome::failure(SpoolStatus::NoScheduler, "no CUPS scheduler is reachable");
    }
    const cups_dest_t* dest = job.printer.empty() ? nullptr : connection.find(job.printer);
    if (dest == nullptr) {
        return SpoolOutcome::failure(SpoolStatus::UnknownPrinter,
                                     "there is no printer \"" + job.printer + "\"");
    }
    const std::string queue = dest->name;

    // One Print-Job request that carries the whole document. The scheduler makes a job of it
    // only once every byte has arrived, so a send that fails or is stopped halfway leaves
    // nothing in the queue. (A job created first and filled afterwards would wait in the queue,
    // empty or cut short, until the scheduler gave up on it.)
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", queue.c_str());
    ipp_t* request = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, job.title.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 CUPS_FORMAT_PDF);
    int optionCount = 0;
    cups_option_t* options = nullptr;
    optionCount = cupsAddIntegerOption("copies", job.copies, optionCount, &options);
    // The label's own paper size, in the custom size form that PPD-driven queues understand.
    std::string media =
        "Custom." + millimetres(job.pageWidthMm) + "x" + millimetres(job.pageHeightMm) + "mm";
    optionCount = cupsAddOption("media", media.c_str(), optionCount, &options);
    cupsEncodeOptions2(request, optionCount, options, IPP_TAG_OPERATION);
    cupsEncodeOptions2(request, optionCount, options, IPP_TAG_JOB);
    cupsFreeOptions(optionCount, options);

    // Closing the connection before the last byte (the Connection going out of scope) is what
    // withdraws the request.
    const std::string resource = "/printers/" + queue;
    // The length is that of the whole request: its attributes, then the document.
    http_status_t sent = cupsSendRequest(connection.http(), request, resource.c_str(),
                                         ippLength(request) + job.pdf.size());
    constexpr std::size_t kChunk = 64 * 1024;
    for (std::size_t at = 0; at < job.pdf.size() && sent == HTTP_STATUS_CONTINUE; at += kChunk) {
        if (interruptionSignal() != 0) {
            ippDelete(request);
            return SpoolOutcome::failure(
                SpoolStatus::Refused, "stopped while the job was being sent; nothing was queued");
        }
        const std::size_t length = std::min(kChunk, job.pdf.size() - at);
        sent = cupsWriteRequestData(connection.http(),
                                    reinterpret_cast<const char*>(job.pdf.data() + at), length);
    }
    ipp_t* response = sent == HTTP_STATUS_CONTINUE
                          ? cupsGetResponse(connection.http(), resource.c_str())
                          : nullptr;
    ippDelete(request);
    const ipp_status_t status = response != nullptr ? cupsLastError() : IPP_STATUS_ERROR_INTERNAL;
    ipp_attribute_t* idAttribute =
        response != nullptr ? ippFindAttribute(response, "job-id", IPP_TAG_INTEGER) : nullptr;
    const int jobId = idAttribute != nullptr ? ippGetInteger(idAttribute, 0) : 0;
    ippDelete(response);
    if (!succeeded(status) || jobId == 0) {
        if (sent != HTTP_STATUS_CONTINUE) {
            return SpoolOutcome::failure(SpoolStatus::Refused,
                                         "the document was not sent completely: " + lastError());
        }
        const SpoolStatus why = status == IPP_STATUS_ERROR_NOT_FOUND ? SpoolStatus::UnknownPrinter
                                : Connection::unavailable(status)    ? SpoolStatus::NoScheduler
                                                                     : SpoolStatus::Refused;
        return SpoolOutcome::failure(why, "the job was not accepted: " + lastError());
    }

    // Stopped while the scheduler was taking the finished document: take the job back.
    if (interruptionSignal() != 0) {
        std::string error = "stopped while the job was being sent";
        if (!succeeded(cupsCancelJob2(connection.http(), queue.c_str(), jobId, 0))) {
            error += "; job " + std::to_string(jobId) + " could not be cancelled: " + lastError();
        }
        return SpoolOutcome::failure(SpoolStatus::Refused, error);
    }
    return SpoolOutcome::success();
}

std::unique_ptr<Spooler> createSystemSpooler() {
    return std::make_unique<CupsSpooler>();
}

} // namespace tav::platform
