# cmake -DICON=vorenn.ico -DOUT=program_icon_data.cpp -P embed_icon.cmake
# Writes the icon file as a bytes block in the program's constant segment.
file(READ ${ICON} hex HEX)
file(SIZE ${ICON} size)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUT} "// Generated from resources/vorenn.ico by resources/embed_icon.cmake; do not edit.
#include \"resources/program_icon.h\"

#include <cstdint>

#include \"engine/core/memory.h\"

namespace vorenn {
namespace {

struct IconBlock {
  int32_t dimensions;
  int32_t size;
  uint8_t bytes[${size}];
};
static_assert(sizeof(IconBlock::bytes) == kProgramIconSize, \"the icon file is 16958 bytes\");

VORENN_CONST const IconBlock kIcon = {1, ${size}, {
    ${bytes}}};

}  // namespace

const void* ProgramIconBlock() { return &kIcon; }

}  // namespace vorenn
")
