#include "printengine/QueueChoice.h"

#include "platform/Charset.h"
#include "platform/Utf8.h"

namespace tav::engine {
namespace {

using platform::PrinterInfo;

const PrinterInfo* named(const std::vector<PrinterInfo>& queues, std::string_view name) {
    for (const auto& queue : queues) {
        if (sameIgnoringAsciiCase(queue.name, name))
            return &queue;
    }
    return nullptr;
}

const PrinterInfo* described(const std::vector<PrinterInfo>& queues, std::string_view name) {
    for (const auto& queue : queues) {
        if (!queue.description.empty() && queue.description == name)
            return &queue;
    }
    return nullptr;
}

// Steps 1 to 3 for a UTF-8 name.
std::optional<QueueChoice> lookUp(const std::vector<PrinterInfo>& queues, const std::string& name) {
    if (name.empty())
        return std::nullopt;
    if (const PrinterInfo* queue = named(queues, name))
        return QueueChoice{queue->name, QueueMatch::Named};
    if (const PrinterInfo* queue = named(queues, cupsSafeQueueName(name)))
        return QueueChoice{queue->name, QueueMatch::SafeName};
    if (const PrinterInfo* queue = described(queues, name))
        return QueueChoice{queue->name, QueueMatch::Description};
    return std::nullopt;
}

// Names in the mapping file and in the environment may be written in UTF-8 or in GBK.
std::string asUtf8(const std::string& text) {
    return platform::isUtf8(text) ? text : platform::gbkToUtf8(text);
}

} // namespace

const char* toString(QueueMatch match) {
    switch (match) {
    case QueueMatch::Named:
        return "the queue of that name";
    case QueueMatch::SafeName:
        return "the queue of that name with the characters CUPS refuses made \"_\"";
    case QueueMatch::Description:
        return "the queue of that description";
    case QueueMatch::Mapping:
        return "the printer mapping in printers.conf";
    case QueueMatch::Environment:
        return "TAV_PRINTER";
    case QueueMatch::Default:
        return "the default printer";
    }
    return "";
}

std::string cupsSafeQueueName(std::string_view name) {
    std::string safe(name);
    for (char& c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7F || c == '/' || c == '\\' || c == '?' || c == '\'' ||
            c == '"' || c == '#' || c == '@')
            c = '_';
    }
    return safe;
}

std::optional<QueueChoice> chooseQueue(const std::string& printerName,
                                       const std::vector<PrinterInfo>& queues,
                                       const PrinterSettings& settings, const char* environment) {
    if (environment && *environment) {
        if (auto found = lookUp(queues, asUtf8(environment)))
            return QueueChoice{found->queue, QueueMatch::Environment};
    } else if (!printerName.empty()) {
        const std::string utf8 = platform::gbkToUtf8(printerName);
        if (auto found = lookUp(queues, utf8))
            return found;
        // The file may hold the name in GBK, as templates do, or in UTF-8.
        auto mapped = settings.mappedQueue(printerName);
        if (!mapped && utf8 != printerName)
            mapped = settings.mappedQueue(utf8);
        if (mapped) {
            if (auto found = lookUp(queues, asUtf8(*mapped)))
                return QueueChoice{found->queue, QueueMatch::Mapping};
        }
    }
    for (const auto& queue : queues) {
        if (queue.isDefault)
            return QueueChoice{queue.name, QueueMatch::Default};
    }
    return std::nullopt;
}

} // namespace tav::engine
