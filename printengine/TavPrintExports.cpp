// The C exports of libtavprint. Each one copies its arguments, runs the engine and turns every
// outcome, including an exception, into its documented result.
#define TAV_BUILDING_LIBRARY
#include "tavprint.h"

#include "printengine/EngineState.h"

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

TAV_API void TAV_CALL TAVDestroy(void) { tav::tpl::clearTemplate(engineState().currentTemplate); }

TAV_API int TAV_CALL GetTotal(void) { return tav::tpl::elementCount(engineState().currentTemplate); }

} // extern "C"
