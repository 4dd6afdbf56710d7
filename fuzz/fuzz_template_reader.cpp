// Feeds arbitrary bytes to a template reader (the engine's or the editor's), then writes and
// re-reads what it kept: nothing may crash, leak or allocate beyond what the input can hold, and a
// template that was read must survive a write and a read unchanged.
#include "template/TemplateReader.h"
#include "template/TemplateWriter.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tav::tpl;
    Template tpl;
    if (!readTemplateBytes({data, size}, TAV_FUZZ_READER, tpl))
        return 0;
    // The writer leaves out elements beyond 499.9 mm, so compare after one normalising pass.
    Template once;
    readTemplateBytes(serializeTemplate(tpl), ReaderVariant::Editor, once);
    const auto bytes = serializeTemplate(once);
    Template twice;
    readTemplateBytes(bytes, ReaderVariant::Editor, twice);
    // Bytes, not values, are compared: a stored zoom may be a NaN.
    if (serializeTemplate(twice) != bytes)
        std::abort();
    return 0;
}
