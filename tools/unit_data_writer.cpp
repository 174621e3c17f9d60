#include "tools/unit_data_writer.h"

#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include "tools/byte_writer.h"

namespace vorenn::tools {
namespace {

using Json = nlohmann::ordered_json;

enum class Kind { Word, Text, Buffer, Columns, Colours6, Reserved };

struct Field {
  const char* key;
  Kind kind;
  int sinceVersion = 0;
};

struct TypeLayout {
  uint32_t code;
  int highestVersion;
  std::vector<Field> fields;
};

constexpr Kind W = Kind::Word;
constexpr Kind T = Kind::Text;
constexpr Kind B = Kind::Buffer;

// Field order per type; unnamed properties are keyed by their index ("p12").
const std::map<std::string, TypeLayout, std::less<>>& Layouts() {
  static const std::map<std::string, TypeLayout, std::less<>> layouts = {
      {"window",
       {0x00010001, 6,
        {{"border", W}, {"p12", W}, {"background", W}, {"maxButton", W}, {"minButton", W},
         {"controlBox", W}, {"position", W}, {"p19", W}, {"p14", W}, {"enterMovesFocus", W},
         {"escCloses", W}, {"p23", W}, {"p25", W}, {"p26", W, 2}, {"p27", W, 3}, {"p28", W, 3},
         {"p29", W, 4}, {"p30", W, 5}, {"className", T, 6}, {"p11", B}, {"p13", B}, {"p20", B},
         {"title", T}, {"p24", T}}}},
      {"Label",
       {0x0001000A, 2,
        {{"effect", W}, {"p11", W}, {"border", W}, {"p12", W}, {"p13", W}, {"p14", W},
         {"textColour", W}, {"background", W}, {"p19", W}, {"p20", W}, {"p21", W}, {"p22", W},
         {"p23", W}, {"hAlign", W}, {"vAlign", W}, {"wrap", W}, {"font", B}, {"picture", B},
         {"caption", T}, {"p27", T, 2}, {"p28", T, 2}}}},
      {"Button",
       {0x0001000B, 1,
        {{"buttonType", W}, {"hAlign", W}, {"vAlign", W}, {"picture", B}, {"font", B},
         {"caption", T}}}},
      {"EditBox",
       {0x00010005, 2,
        {{"border", W}, {"textColour", W}, {"background", W}, {"p13", W}, {"p14", W}, {"p15", W},
         {"p16", W}, {"p17", W}, {"inputMode", W}, {"passwordChar", T}, {"p20", W}, {"p21", W},
         {"p22", W}, {"p23", W}, {"selectionStart", W}, {"selectionLength", W}, {"font", B},
         {"content", T}, {"p26", T}, {"p27", W, 2}, {"p28", W, 2}, {"", Kind::Reserved, 2},
         {"", Kind::Reserved, 2}, {"", Kind::Reserved, 2}}}},
      {"GroupBox",
       {0x00010009, 1, {{"align", W}, {"p10", W}, {"p11", W}, {"font", B}, {"caption", T}}}},
      {"DrawPanel",
       {0x00010008, 1,
        {{"p8", W}, {"p9", W}, {"p11", W}, {"p12", W}, {"p13", W}, {"p14", W}, {"p15", W},
         {"p16", W}, {"p17", W}, {"p18", W}, {"p19", W}, {"p20", W}, {"p21", W}, {"picture", B},
         {"font", B}}}},
      {"VScrollBar",
       {0x00010012, 1,
        {{"minimum", W}, {"maximum", W}, {"pageStep", W}, {"lineStep", W}, {"position", W},
         {"followThumb", W}}}},
      {"Timer", {0x00010020, 1, {{"period", W}}}},
      {"SuperBtn",
       {0x00030001, 2,
        {{"frameStyle", W}, {"toggle", W}, {"checked", W}, {"layout", W}, {"p12", W}, {"p13", W},
         {"p14", W}, {"image0Transparent", W}, {"image1Transparent", W}, {"defaultColours", W},
         {"p30", W}, {"defaultButton", W}, {"colours", Kind::Colours6}, {"image0", B},
         {"image1", B}, {"font", B}, {"icon1", B}, {"icon2", B}, {"caption", T}, {"toolTip", T},
         {"image2Transparent", W, 2}, {"image2", B, 2}}}},
      {"ListView",
       {0x00050004, 1,
        {{"border", W}, {"textColour", W}, {"textBackground", W}, {"background", W},
         {"viewType", W}, {"iconAlign", W}, {"autoArrange", W}, {"labelWrap", W},
         {"hideHeaders", W}, {"clickableHeaders", W}, {"fullRowSelect", W}, {"gridLines", W},
         {"headerDragDrop", W}, {"hotTracking", W}, {"handCursor", W}, {"underlineCold", W},
         {"underlineHot", W}, {"editLabels", W}, {"sort", W}, {"checkBoxes", W},
         {"flatScrollBars", W}, {"singleSelection", W}, {"selection", W},
         {"alwaysShowSelection", W}, {"font", B}, {"headerImages", B}, {"itemImages", B},
         {"columns", Kind::Columns}, {"stateImages", B}, {"items", B}}}},
  };
  return layouts;
}

const TypeLayout& LayoutOf(std::string_view typeName) {
  auto it = Layouts().find(typeName);
  if (it == Layouts().end()) throw std::runtime_error("unknown unit type \"" + std::string(typeName) + "\"");
  return it->second;
}

std::vector<uint8_t> EncodeBuffer(const Json& value) {
  if (value.is_null() || (value.is_string() && value.get<std::string>().empty())) return {};
  if (value.is_object()) return EncodeFont(value);
  throw std::runtime_error("a buffer is empty or a font object");
}

// Column definitions: image-right byte, image index, alignment, width, zero-terminated title.
std::vector<uint8_t> EncodeColumns(const Json& columns) {
  ByteWriter out;
  if (columns.is_null()) return {};
  for (const Json& c : columns) {
    out.U8(uint8_t(c.value("imageRight", 0)));
    out.I32(c.value("image", -1));
    out.I32(c.value("align", 0));
    out.I32(c.at("width").get<int32_t>());
    out.Strz(ToGbk(c.at("title").get<std::string>()));
  }
  return out.Take();
}

void EncodeField(ByteWriter& out, const Field& field, const Json& data) {
  const Json none;
  const Json& value = field.kind != Kind::Reserved && data.contains(field.key) ? data.at(field.key) : none;
  switch (field.kind) {
    case Kind::Word:
      out.U32(value.is_null() ? 0 : ParseWord(value));
      break;
    case Kind::Text:
      out.Text(value.is_null() ? std::string() : ToGbk(value.get<std::string>()));
      break;
    case Kind::Buffer:
      out.Buffer(EncodeBuffer(value));
      break;
    case Kind::Columns:
      out.Buffer(EncodeColumns(value));
      break;
    case Kind::Colours6:
      for (size_t i = 0; i < 6; ++i) out.U32(value.is_null() ? 0 : ParseWord(value.at(i)));
      break;
    case Kind::Reserved:
      out.U32(0);
      break;
  }
}

}  // namespace

uint32_t TypeCodeByName(std::string_view typeName) { return LayoutOf(typeName).code; }

uint32_t ParseWord(const Json& value) {
  if (value.is_number_integer()) {
    int64_t v = value.get<int64_t>();
    if (v < INT32_MIN || v > int64_t(UINT32_MAX)) throw std::runtime_error("number out of 32-bit range");
    return uint32_t(v);
  }
  if (!value.is_string()) throw std::runtime_error("a word is a number or a string");
  std::string s = value.get<std::string>();
  if (s == "default") return 0xFF000000u;
  if (s.size() == 7 && s[0] == '#') {
    uint32_t rgb = uint32_t(std::stoul(s.substr(1), nullptr, 16));
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  }
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    return uint32_t(std::stoul(s.substr(2), nullptr, 16));
  }
  throw std::runtime_error("unreadable word \"" + s + "\"");
}

std::vector<uint8_t> EncodeFont(const Json& font) {
  static const std::set<std::string> known = {"face",   "height",    "width",     "escapement",
                                              "weight", "italic",    "underline", "strikeOut",
                                              "charset", "quality",  "pitchAndFamily"};
  for (const auto& [key, _] : font.items()) {
    if (!known.count(key)) throw std::runtime_error("unknown font key \"" + key + "\"");
  }
  ByteWriter out;
  out.I32(font.value("height", 0));
  out.I32(font.value("width", 0));
  out.I32(font.value("escapement", 0));
  out.I32(font.value("escapement", 0));  // orientation follows the escapement
  out.I32(font.value("weight", 400));
  out.U8(uint8_t(font.value("italic", 0)));
  out.U8(uint8_t(font.value("underline", 0)));
  out.U8(uint8_t(font.value("strikeOut", 0)));
  out.U8(uint8_t(font.value("charset", 0)));
  out.U8(0);  // output precision
  out.U8(0);  // clip precision
  out.U8(uint8_t(font.value("quality", 0)));
  out.U8(uint8_t(font.value("pitchAndFamily", 0)));
  std::string face = ToGbk(font.at("face").get<std::string>());
  if (face.size() > 31) throw std::runtime_error("font face longer than 31 bytes");
  face.resize(32, '\0');
  out.Raw(face);
  return out.Take();
}

std::vector<uint8_t> EncodeUnitData(std::string_view typeName, const Json& data) {
  const TypeLayout& layout = LayoutOf(typeName);
  if (data.is_null()) return {};
  int version = data.at("version").get<int>();
  if (version < 0 || version > layout.highestVersion) {
    throw std::runtime_error("version " + std::to_string(version) + " is above the type's highest");
  }
  std::set<std::string> keys = {"version"};
  for (const Field& f : layout.fields) {
    if (f.kind != Kind::Reserved) keys.insert(f.key);
  }
  for (const auto& [key, _] : data.items()) {
    if (!keys.count(key)) throw std::runtime_error("unknown unit-data key \"" + key + "\"");
  }
  ByteWriter out;
  out.U32(uint32_t(version));
  for (const Field& f : layout.fields) {
    if (version >= f.sinceVersion) EncodeField(out, f, data);
  }
  return out.Take();
}

}  // namespace vorenn::tools
