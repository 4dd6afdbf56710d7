#include "printengine/EngineState.h"

#include "platform/Charset.h"
#include "platform/SystemSpooler.h"
#include "template/TemplateReader.h"

namespace tav::engine {
namespace {

// A namespace-scope object: constructed when the library is loaded, destroyed when it is
// unloaded, so the template exists before the first export is called.
EngineState g_state;

} // namespace

EngineState& engineState() {
    return g_state;
}

platform::Spooler& EngineState::printSpooler() {
    if (!spooler)
        spooler = platform::createSystemSpooler();
    return *spooler;
}

std::string copyArgument(const char* text) {
    return text ? std::string(text) : std::string();
}

tpl::ReadOutcome loadTemplate(EngineState& state, const std::string& path) {
    auto status = tpl::readTemplateFile(path, tpl::ReaderVariant::Engine, state.currentTemplate);
    if (status.code() == tpl::ReadStatus::NoFile) {
        // Callers pass GBK paths; this file system names files in UTF-8. The bytes as given
        // come first, so that a caller who already passes UTF-8 is served as before. A file
        // found under the converted name that cannot be read empties the engine like any other.
        const auto utf8 = platform::gbkToUtf8Strict(path);
        if (utf8 && *utf8 != path)
            status =
                tpl::readTemplateFile(*utf8, tpl::ReaderVariant::Engine, state.currentTemplate);
    }
    return status;
}

} // namespace tav::engine
