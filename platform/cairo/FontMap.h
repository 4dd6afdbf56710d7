// The pango font map that every cairo canvas lays out text with: the system's fonts plus the
// engine's aliases for the Windows face names that templates use.
#pragma once

#include <pango/pango.h>

namespace tav::platform {

// The calling thread's font map (pango font maps are not shared between threads); created on
// first use, with the fontconfig configuration that holds the aliases. Never null; owned here.
PangoFontMap* engineFontMap();

} // namespace tav::platform
