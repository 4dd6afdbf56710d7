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
    if (!read)
        return 0;
    const LabLabel& label = read.value();
    // Records may overlap, but no single record can hold more than the file.
    for (const auto& o : label.objects)
        if (o.text.size() + o.payload.size() > size)
            std::abort();
    for (const auto& t : label.texts)
        if (t.description.size() > size)
            std::abort();
    const LabImport import = labImport(label);
    if (import.additions.elements.size() > label.objects.size() + label.texts.size())
        std::abort();
    return 0;
}
