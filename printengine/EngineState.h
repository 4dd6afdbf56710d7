// The print engine's process-wide state: the one loaded template and the text last returned by
// GetMark. The exports work on it; tests drive it directly.
#pragma once

#include "platform/Spooler.h"
#include "template/Template.h"
#include "template/TemplateReader.h"

#include <memory>
#include <string>

namespace tav::engine {

struct EngineState {
    tpl::Template currentTemplate;
    std::string markResult; // owned here so that the pointer GetMark returns stays valid
    std::unique_ptr<platform::Spooler> spooler; // made when the first job is printed

    // The spooler jobs go to: the system's (CUPS) unless one was put in place.
    platform::Spooler& printSpooler();
};

// The state of this process, created when the library is loaded and released when it is
// unloaded.
EngineState& engineState();

// Copies a C argument: a null pointer is the empty text.
std::string copyArgument(const char* text);

// Loads the template file at `path` (GBK, or the file system's own bytes) into `state`; the
// outcome of the read that counted (see TAVLoad).
tpl::ReadOutcome loadTemplate(EngineState& state, const std::string& path);

} // namespace tav::engine
