#include "units/list_view_blocks.h"

#include "engine/templates/template_reader.h"

namespace vorenn {

std::vector<platform::ListColumn> ReadColumnBlock(std::span<const uint8_t> block) {
  std::vector<platform::ListColumn> columns;
  TemplateReader in(block);
  while (in.Remaining() > 0) {
    platform::ListColumn c;
    std::span<const uint8_t> imageRight = in.Bytes(1);
    c.image = in.I32();
    c.align = in.I32();
    c.width = in.I32();
    c.title = in.Strz();
    if (in.Failed()) break;
    c.imageOnRight = imageRight[0] != 0;
    columns.push_back(std::move(c));
  }
  return columns;
}

std::vector<InitialItem> ReadItemBlock(std::span<const uint8_t> block) {
  std::vector<InitialItem> items;
  TemplateReader in(block);
  while (in.Remaining() > 0) {
    std::span<const uint8_t> kind = in.Bytes(1);
    InitialItem item;
    item.image = in.I32();
    item.stateImage = in.I32();
    item.indent = in.I32();
    item.value = in.I32();
    item.text = in.Strz();
    in.Strz();
    if (in.Failed()) break;
    if (kind[0] == 0) {
      items.push_back(std::move(item));
    } else if (!items.empty()) {
      items.back().subItems.push_back(std::move(item.text));
    }
  }
  return items;
}

}  // namespace vorenn
