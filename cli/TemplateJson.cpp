#include "cli/TemplateJson.h"

#include "cli/JsonWriter.h"
#include "platform/Charset.h"

namespace tav::cli {
namespace {

void writeText(JsonWriter& json, const char* key, const std::string& gbk) {
    json.key(key);
    json.value(platform::gbkToUtf8(gbk));
}

void writePayload(JsonWriter& json, const char* key, const tpl::SharedBytes& bytes) {
    json.key(key);
    json.beginObject();
    json.key("size");
    json.value(static_cast<std::uint64_t>(bytes.size()));
    json.endObject();
}

void writeElement(JsonWriter& json, const tpl::TemplateElement& e) {
    json.beginObject();
    json.key("kind");
    json.value(e.kind);
    const std::pair<const char*, std::int32_t> numbers[] = {{"x", e.box.x},
                                                            {"y", e.box.y},
                                                            {"width", e.box.width},
                                                            {"height", e.box.height},
                                                            {"cornerSize", e.cornerSize},
                                                            {"textColor", e.textColor},
                                                            {"penColor", e.penColor},
                                                            {"penWidth", e.penWidth},
                                                            {"fillColor", e.fillColor}};
    for (const auto& [key, number] : numbers) {
        json.key(key);
        json.value(number);
    }
    json.key("font");
    json.beginObject();
    json.key("angle");
    json.value(e.font.angle);
    const std::pair<const char*, bool> flags[] = {{"bold", e.font.bold},
                                                  {"italic", e.font.italic},
                                                  {"strikeout", e.font.strikeout},
                                                  {"underline", e.font.underline}};
    for (const auto& [key, flag] : flags) {
        json.key(key);
        json.value(flag);
    }
    json.key("size");
    json.value(e.font.size);
    writeText(json, "faceName", e.font.faceName);
    json.endObject();
    json.key("image");
    json.beginObject();
    writePayload(json, "source", e.image.source);
    writePayload(json, "shown", e.image.shown);
    json.key("rotation");
    json.value(e.image.rotation);
    json.key("qrSize");
    json.value(e.image.qrSize);
    json.endObject();
    writeText(json, "content", e.content);
    writeText(json, "mark", e.mark);
    json.endObject();
}

} // namespace

std::string templateToJson(const tpl::Template& tpl) {
    JsonWriter json;
    json.beginObject();
    json.key("page");
    json.beginObject();
    const tpl::PageSettings& page = tpl.page;
    const std::pair<const char*, std::int32_t> numbers[] = {{"paperWidth", page.paperWidth},
                                                            {"paperHeight", page.paperHeight},
                                                            {"orientation", page.orientation},
                                                            {"paperColor", page.paperColor},
                                                            {"printScale", page.printScale}};
    for (const auto& [key, number] : numbers) {
        json.key(key);
        json.value(number);
    }
    json.key("zoom");
    json.value(static_cast<double>(page.zoom));
    writeText(json, "printerName", page.printerName);
    json.endObject();
    json.key("elements");
    json.beginArray();
    for (const auto& element : tpl.elements)
        writeElement(json, element);
    json.endArray();
    json.endObject();
    return json.text();
}

} // namespace tav::cli
