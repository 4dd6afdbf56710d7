#include "printengine/EngineState.h"

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
        spooler = platform::createCupsSpooler();
    return *spooler;
}

std::string copyArgument(const char* text) {
    return text ? std::string(text) : std::string();
}

int loadTemplate(EngineState& state, const std::string& path) {
    const auto status =
        tpl::readTemplateFile(path, tpl::ReaderVariant::Engine, state.currentTemplate);
    return status == tpl::ReadStatus::Loaded ? 1 : 0;
}

} // namespace tav::engine
