// The labels of a batch or the copies of a document printed through the print library's C
// exports (TAVLoad, SetMark, TAVPrint, TAVDestroy), as an outside program prints them: the
// designer prints this way, so that what it prints is what the library prints.
#pragma once

#include "printengine/BatchPrinter.h"

#include <chrono>
#include <memory>
#include <string>

namespace tav::engine {

class ExportsLabelSink final : public LabelSink {
public:
    // Loads the template at `path` into the library and reads it once more for the batch's
    // checks of which columns fill a mark. Fails when the library cannot load it. Jobs are
    // named by batchJobName and paced by `pause`.
    static Result<std::unique_ptr<ExportsLabelSink>> create(const std::string& path,
                                                            std::chrono::milliseconds pause);
    // Empties the library's template (TAVDestroy).
    ~ExportsLabelSink() override;
    ExportsLabelSink(const ExportsLabelSink&) = delete;
    ExportsLabelSink& operator=(const ExportsLabelSink&) = delete;

    // The template as read, with the marks the library's copy has: what a BatchPrinter checks
    // the columns against. The values go to the library, never into it.
    tpl::Template& layout() { return m_layout; }

    std::optional<MarkOutcome> fillMark(const std::string& name, const std::string& value) override;
    // Prints the library's template as the row's marks left it; `tpl` is not drawn.
    PrintOutcome output(const tpl::Template& tpl, std::size_t position) override;

private:
    explicit ExportsLabelSink(std::chrono::milliseconds pause) : m_pacer(pause) {}

    tpl::Template m_layout;
    JobPacer m_pacer;
};

} // namespace tav::engine
