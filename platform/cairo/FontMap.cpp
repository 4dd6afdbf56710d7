#include "platform/cairo/FontMap.h"

#include "platform/cairo/FontAliases.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <chrono>
#include <cstdio>
#include <mutex>

namespace tav::platform {

namespace {

// How often a canvas may ask fontconfig whether the font folders changed on disk.
constexpr auto kFontCheckInterval = std::chrono::seconds(1);

FcConfig* buildFontConfig() {
    FcConfig* built = FcInitLoadConfigAndFonts();
    if (built == nullptr) {
        std::fprintf(stderr, "tav: fontconfig could not load its configuration\n");
        return nullptr;
    }
    const auto* xml = reinterpret_cast<const FcChar8*>(kFontAliasesXml);
    if (!FcConfigParseAndLoadFromMemory(built, xml, FcTrue)) {
        std::fprintf(stderr, "tav: the font aliases could not be loaded\n");
    }
    FcConfigSetRescanInterval(built, 0);
    return built;
}

// One configuration for the process: the system's configuration and fonts with the aliases
// parsed on top. It is kept apart from fontconfig's current configuration, which fontconfig
// rebuilds from the files on disk when fonts change and would then lose aliases loaded from
// memory; so instead of fontconfig's own rescanning, the configuration is built anew (aliases
// included) when a font folder changed, and every thread's font map takes the new one on its
// next use. Replaced configurations are never destroyed: a font map of another thread may still
// be laying out text with one, and fonts are installed a handful of times in a process's life.
class EngineFontConfig {
public:
    // The current configuration and its generation; rebuilt first when `force`, or when a font
    // folder changed on disk and the last check is long enough ago.
    FcConfig* current(unsigned& generation, bool force = false) {
        std::lock_guard lock(m_mutex);
        const auto now = std::chrono::steady_clock::now();
        if (m_config == nullptr && !m_triedOnce) {
            m_triedOnce = true;
            m_config = buildFontConfig();
            m_lastCheck = now;
        } else if (m_config != nullptr && (force || (now - m_lastCheck >= kFontCheckInterval &&
                                                     !FcConfigUptoDate(m_config)))) {
            m_lastCheck = now;
            if (FcConfig* rebuilt = buildFontConfig()) {
                m_config = rebuilt;
                ++m_generation;
            }
        } else if (now - m_lastCheck >= kFontCheckInterval) {
            m_lastCheck = now;
        }
        generation = m_generation;
        return m_config;
    }

private:
    std::mutex m_mutex;
    FcConfig* m_config = nullptr;
    bool m_triedOnce = false;
    unsigned m_generation = 0;
    std::chrono::steady_clock::time_point m_lastCheck{};
};

EngineFontConfig& engineFontConfig() {
    static EngineFontConfig config;
    return config;
}

struct ThreadFontMap {
    PangoFontMap* map = nullptr;
    bool fontconfig = false;
    unsigned generation = 0;
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
        } else if (FcConfig* config = engineFontConfig().current(holder.generation)) {
            pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
            holder.fontconfig = true;
        }
        holder.map = map;
    } else if (holder.fontconfig) {
        unsigned generation = 0;
        FcConfig* config = engineFontConfig().current(generation);
        if (generation != holder.generation && config != nullptr) {
            // Drops the map's cached fonts and font lists as well.
            pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(holder.map), config);
            holder.generation = generation;
        }
    }
    return holder.map;
}

void reloadEngineFonts() {
    unsigned generation = 0;
    engineFontConfig().current(generation, true);
}

} // namespace tav::platform
