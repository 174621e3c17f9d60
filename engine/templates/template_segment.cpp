// Reading the template segment (format in engine/templates/window_template.h) into the template
// table.
#include "engine/templates/window_template.h"

#include <utility>

#include "engine/core/memory.h"
#include "engine/core/runtime_error.h"
#include "engine/core/runtime_value.h"
#include "engine/templates/internal/window_template_internal.h"
#include "engine/templates/template_reader.h"

namespace vorenn {

void ReportTemplateError() {
  VORENN_CONST static const char kMessage[] = "载入窗口模板数据段出错!";
  ReportRuntimeError(kMessage, 0);
}

namespace {

void Check(const TemplateReader& in) {
  if (in.Failed()) ReportTemplateError();
}

// -1 is "no handler"; offsets become table index + 1.
HandlerRef FixUpHandler(int32_t offset) {
  if (offset == -1) return kNoHandler;
  if (offset < 0) ReportTemplateError();
  return HandlerRef(offset) + 1;
}

void ReadMenuItemTail(TemplateReader& in, UnitRecord& record) {
  record.flags = in.U32();
  record.menuCaption = std::string(in.Text());
  record.menuShortcut = in.U32();
  int32_t handler = in.I32();
  Check(in);
  record.events.push_back({0, FixUpHandler(handler)});
  std::span<const uint8_t> rest = in.Rest();
  record.unitData.assign(rest.begin(), rest.end());
}

void ReadUnitTail(TemplateReader& in, UnitRecord& record) {
  in.U32();  // window slot
  record.left = in.I32();
  record.top = in.I32();
  record.width = in.I32();
  record.height = in.I32();
  in.U32();  // cursor slot
  record.container = in.U32();
  uint32_t childCount = in.Count(4);
  for (uint32_t i = 0; i < childCount; ++i) record.children.push_back(in.U32());
  std::span<const uint8_t> cursor = in.Buffer();
  record.cursorData.assign(cursor.begin(), cursor.end());
  record.tag = std::string(in.Strz());
  record.reserved2 = in.U32();
  record.flags = in.U32();
  record.tabOrder = in.U32();
  uint32_t eventCount = in.Count(8);
  Check(in);
  for (uint32_t i = 0; i < eventCount; ++i) {
    int32_t event = in.I32();
    int32_t handler = in.I32();
    record.events.push_back({event, FixUpHandler(handler)});
  }
  for (uint32_t& word : record.reserved3) word = in.U32();
  Check(in);
  std::span<const uint8_t> rest = in.Rest();
  record.unitData.assign(rest.begin(), rest.end());
}

UnitRecord ReadRecord(std::span<const uint8_t> bytes, uint32_t id) {
  TemplateReader in(bytes);
  UnitRecord record;
  record.id = id;
  record.type = in.U32();
  record.eventOwner = in.U32();
  for (uint32_t& word : record.reserved) word = in.U32();
  record.name = std::string(in.Strz());
  record.remark = std::string(in.Strz());
  Check(in);
  if (record.IsMenuItem()) {
    ReadMenuItemTail(in, record);
  } else {
    ReadUnitTail(in, record);
  }
  return record;
}

std::vector<UnitRecord> ReadUnitList(std::span<const uint8_t> list, uint32_t count) {
  TemplateReader in(list);
  std::vector<uint32_t> ids(count), offsets(count);
  for (uint32_t& id : ids) id = in.U32();
  for (uint32_t& offset : offsets) offset = in.U32();
  Check(in);
  std::span<const uint8_t> records = in.Rest();
  std::vector<UnitRecord> result;
  result.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    if (offsets[i] > records.size()) ReportTemplateError();
    TemplateReader at(records.subspan(offsets[i]));
    std::span<const uint8_t> record = at.Buffer();
    Check(at);
    result.push_back(ReadRecord(record, ids[i]));
  }
  return result;
}

WindowTemplate ReadWindowTemplate(TemplateReader& in, uint32_t id) {
  WindowTemplate tmpl;
  tmpl.id = id;
  tmpl.wordA = in.U32();
  tmpl.wordB = in.U32();
  tmpl.name = std::string(in.Text());
  tmpl.remark = std::string(in.Text());
  // Every record takes at least its id, its offset and its length word.
  uint32_t count = in.Count(12);
  std::span<const uint8_t> list = in.Buffer();
  Check(in);
  if (count == 0 || list.size() < size_t(count) * 8) ReportTemplateError();
  tmpl.records = ReadUnitList(list, count);
  return tmpl;
}

}  // namespace

bool UnitRecord::IsMenuItem() const { return type == kTypeMenuItem; }

void LoadTemplateSegment(const uint8_t* data, size_t size) {
  TemplateReader in(data, size);
  uint32_t tableSize = in.U32();
  Check(in);
  if (tableSize % 8 != 0 || tableSize > in.Remaining()) ReportTemplateError();
  size_t windowCount = tableSize / 8;
  std::vector<uint32_t> ids(windowCount);
  for (uint32_t& id : ids) id = in.U32();
  in.Bytes(4 * windowCount);  // object slots
  std::vector<WindowTemplate> templates;
  for (uint32_t id : ids) templates.push_back(ReadWindowTemplate(in, id));
  Check(in);
  ValidateHandlerRefs(templates, RegisteredHandlerCount());
  ReplaceTemplates(std::move(templates));
}

}  // namespace vorenn
