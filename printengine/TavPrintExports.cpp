// The C exports of libtavprint. Each one copies its arguments and runs the engine through
// guardExport, which turns every outcome, an exception included, into its documented result.
#define TAV_BUILDING_LIBRARY
#include "tavprint.h"

#include "dotgauge.h"

#include "common/ExportGuard.h"
#include "printengine/EngineState.h"
#include "printengine/Marks.h"
#include "printengine/PrintJob.h"

using tav::guardExport;
using tav::engine::copyArgument;
using tav::engine::engineState;

extern "C" {

TAV_API int TAV_CALL TAVLoad(const char* path) {
    return guardExport([&] { return tav::engine::loadTemplate(engineState(), copyArgument(path)); },
                       // Out of memory while reading: whatever was read is dropped.
                       [] { tav::tpl::clearTemplate(engineState().currentTemplate); });
}

TAV_API void TAV_CALL TAVDestroy(void) {
    tav::tpl::clearTemplate(engineState().currentTemplate);
}

TAV_API int TAV_CALL GetTotal(void) {
    return tav::tpl::elementCount(engineState().currentTemplate);
}

TAV_API int TAV_CALL SetMark(const char* name, const char* value) {
    return guardExport([&] {
        return tav::engine::setMark(engineState().currentTemplate, copyArgument(name),
                                    copyArgument(value), tav::engine::libraryPictureMaker());
    });
}

TAV_API const char* TAV_CALL GetMark(const char* name) {
    auto& state = engineState();
    guardExport(
        [&] { state.markResult = tav::engine::getMark(state.currentTemplate, copyArgument(name)); },
        [&] { state.markResult.clear(); });
    return state.markResult.c_str();
}

TAV_API int TAV_CALL GetSame(const char* name) {
    return guardExport(
        [&] { return tav::engine::getSame(engineState().currentTemplate, copyArgument(name)); });
}

TAV_API int TAV_CALL TAVPrint(const char* documentName) {
    return guardExport([&] {
        auto& state = engineState();
        tav::engine::PrintRequest request;
        request.jobName = copyArgument(documentName);
        request.screenDpi = GetDPI();
        return tav::engine::printTemplate(state.currentTemplate, request, state.printSpooler());
    });
}

} // extern "C"
