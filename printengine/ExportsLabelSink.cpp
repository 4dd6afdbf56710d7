#include "printengine/ExportsLabelSink.h"

#include "printengine/MarkText.h"
#include "tavprint.h"
#include "template/TemplateReader.h"

#include <algorithm>

namespace tav::engine {

Result<std::unique_ptr<ExportsLabelSink>>
ExportsLabelSink::create(const std::string& path, std::chrono::milliseconds pause) {
    std::unique_ptr<ExportsLabelSink> sink(new ExportsLabelSink(pause));
    if (TAVLoad(path.c_str()) == 0)
        return Status::failure("the print library cannot load the template " + path);
    // Read by the library's own reader, so that the elements are those the library holds.
    if (auto read = tpl::readTemplateFile(path, tpl::ReaderVariant::Engine, sink->m_layout); !read)
        return Status::failure(read.error());
    return sink;
}

ExportsLabelSink::~ExportsLabelSink() {
    TAVDestroy();
}

std::optional<MarkOutcome> ExportsLabelSink::fillMark(const std::string& name,
                                                      const std::string& value) {
    const bool found =
        std::any_of(m_layout.elements.begin(), m_layout.elements.end(),
                    [&](const tpl::TemplateElement& e) { return markContains(e.mark, name); });
    if (!found)
        return MarkOutcome::NoSuchMark;
    if (SetMark(name.c_str(), value.c_str()) != 0)
        return MarkOutcome::Set;
    // A mark was found, so SetMark answers 0 only for a picture element: an empty value names no
    // file and keeps its picture; any other names a file that cannot be read.
    return value.empty() ? MarkOutcome::PictureKept : MarkOutcome::PictureUnreadable;
}

PrintOutcome ExportsLabelSink::output(const tpl::Template&, std::size_t position) {
    m_pacer.beforeJob();
    const std::string jobName = batchJobName(position);
    if (TAVPrint(jobName.c_str()) == 0)
        return PrintOutcome::failure(PrintStatus::Refused,
                                     "the print library could not print " + jobName);
    return PrintOutcome::success();
}

} // namespace tav::engine
