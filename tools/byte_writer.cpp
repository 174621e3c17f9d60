#include "tools/byte_writer.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace vorenn::tools {

std::string ToGbk(std::string_view utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == iconv_t(-1)) throw std::runtime_error("this system's iconv has no GBK converter");
  std::string in(utf8);
  std::string out(in.size() * 2 + 4, '\0');
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == size_t(-1)) throw std::runtime_error("text has no GBK form: \"" + in + "\"");
  out.resize(out.size() - outLeft);
  return out;
}

void ByteWriter::U32(uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(uint8_t(v >> shift));
}

void ByteWriter::Text(std::string_view gbk) {
  U32(uint32_t(gbk.size()));
  Raw(gbk);
}

void ByteWriter::Buffer(const std::vector<uint8_t>& bytes) {
  U32(uint32_t(bytes.size()));
  Raw(bytes);
}

void ByteWriter::Strz(std::string_view gbk) {
  Raw(gbk);
  U8(0);
}

}  // namespace vorenn::tools
