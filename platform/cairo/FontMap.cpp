#include "platform/cairo/FontMap.h"

#include "platform/cairo/FontAliases.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <cstdio>
#include <mutex>

namespace tav::platform {

namespace {

// One configuration for the process: the system's configuration and fonts with the aliases
// parsed on top. It is kept apart from fontconfig's current configuration, which fontconfig
// rebuilds from the files on disk when fonts change and would then lose aliases loaded from
// memory; rescanning is off for the same reason.
FcConfig* engineFontConfig() {
    static FcConfig* config = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        FcConfig* built = FcInitLoadConfigAndFonts();
        if (built == nullptr) {
            std::fprintf(stderr, "tav: fontconfig could not load its configuration\n");
            return;
        }
        const auto* xml = reinterpret_cast<const FcChar8*>(kFontAliasesXml);
        if (!FcConfigParseAndLoadFromMemory(built, xml, FcTrue)) {
            std::fprintf(stderr, "tav: the font aliases could not be loaded\n");
        }
        FcConfigSetRescanInterval(built, 0);
        config = built;
    });
    return config;
}

struct ThreadFontMap {
    PangoFontMap* map = nullptr;
    ~ThreadFontMap() {
        if (map != nullptr) {
            g_object_unref(map);
        }
    }
};

} // namespace

PangoFontMap* engineFontMap() {
    thread_local ThreadFontMap holder;
    if (holder.map == nullptr) {
        PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
        if (map == nullptr) {
            // cairo without FreeType support: the platform's own font map, without aliases.
            map = pango_cairo_font_map_new();
        } else if (FcConfig* config = engineFontConfig(); config != nullptr) {
            pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
        }
        holder.map = map;
    }
    return holder.map;
}

} // namespace tav::platform
