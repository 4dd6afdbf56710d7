// The C exports of libtavprint. Each one copies its arguments, runs the engine and turns every
// outcome, including an exception, into its documented result.
#define TAV_BUILDING_LIBRARY
#include "tavprint.h"

#include "dotgauge.h"

#include "printengine/EngineState.h"
#include "printengine/Marks.h"
#include "printengine/PrintJob.h"

using tav::engine::copyArgument;
using tav::engine::engineState;

extern "C" {

TAV_API int TAV_CALL TAVLoad(const char* path) {
    try {
        return tav::engine::loadTemplate(engineState(), tav::engine::copyArgument(path));
    } catch (...) {
        // Out of memory while reading: whatever was read is dropped.
        tav::tpl::clearTemplate(engineState().currentTemplate);
        return 0;
    }
}

TAV_API void TAV_CALL TAVDestroy(void) {
    tav::tpl::clearTemplate(engineState().currentTemplate);
}

TAV_API int TAV_CALL GetTotal(void) {
    return tav::tpl::elementCount(engineState().currentTemplate);
}

TAV_API int TAV_CALL SetMark(const char* name, const char* value) {
    try {
        return tav::engine::setMark(engineState().currentTemplate, copyArgument(name),
                                    copyArgument(value), tav::engine::libraryPictureMaker());
    } catch (...) {
        return 0;
    }
}

TAV_API const char* TAV_CALL GetMark(const char* name) {
    auto& state = engineState();
    try {
        state.markResult = tav::engine::getMark(state.currentTemplate, copyArgument(name));
    } catch (...) {
        state.markResult.clear();
    }
    return state.markResult.c_str();
}

TAV_API int TAV_CALL GetSame(const char* name) {
    try {
        return tav::engine::getSame(engineState().currentTemplate, copyArgument(name));
    } catch (...) {
        return 0;
    }
}

TAV_API int TAV_CALL TAVPrint(const char* documentName) {
    try {
        auto& state = engineState();
        tav::engine::PrintRequest request;
        request.jobName = copyArgument(documentName);
        request.screenDpi = GetDPI();
        return tav::engine::printTemplate(state.currentTemplate, request, state.printSpooler()).ok()
                   ? 1
                   : 0;
    } catch (...) {
        return 0;
    }
}

} // extern "C"
