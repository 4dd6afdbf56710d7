// Feeds arbitrary bytes to the .lab reader and the import's translation: nothing may crash,
// read outside the input or leak, and an accepted label must hold only what the input could.
#include "labfile/LabElements.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tav::lab;
    const std::span<const std::uint8_t> bytes(data, size);
    const LabReadResult read = readLabBytes(bytes);
    if (read.status != LabReadStatus::Ok)
        return 0;
    // Records may overlap, but no single record can hold more than the file.
    for (const auto& o : read.label.objects)
        if (o.text.size() + o.payload.size() > size)
            std::abort();
    for (const auto& t : read.label.texts)
        if (t.description.size() > size)
            std::abort();
    const LabImport import = labImport(read.label);
    if (import.additions.elements.size() > read.label.objects.size() + read.label.texts.size())
        std::abort();
    return 0;
}
