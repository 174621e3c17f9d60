#include "platform/gbk_text.h"

#include <cerrno>
#include <iconv.h>

namespace vorenn::platform {
namespace {

// One conversion descriptor per direction and thread, opened on first use: opening one costs more
// than converting a list row's text, and a long list converts one text per cell.
class Descriptor {
 public:
  Descriptor(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Descriptor() {
    if (Valid()) iconv_close(cd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  bool Valid() const { return cd_ != iconv_t(-1); }
  // Back to the initial state, whatever the last conversion stopped in.
  iconv_t Fresh() {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return cd_;
  }

 private:
  iconv_t cd_;
};

std::string Convert(std::string_view in, Descriptor& descriptor) {
  if (!descriptor.Valid()) return std::string(in);
  iconv_t cd = descriptor.Fresh();
  std::string out;
  out.reserve(in.size() * 3 / 2 + 4);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buf[512];
  while (srcLeft > 0) {
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf, size_t(dst - buf));
    if (r == size_t(-1) && errno != E2BIG) {
      // An invalid or truncated sequence: replace one byte and go on.
      out.push_back('?');
      ++src;
      --srcLeft;
    }
  }
  return out;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
  thread_local Descriptor descriptor("UTF-8", "GBK");
  return Convert(gbk, descriptor);
}

std::string Utf8ToGbk(std::string_view utf8) {
  thread_local Descriptor descriptor("GBK", "UTF-8");
  return Convert(utf8, descriptor);
}

}  // namespace vorenn::platform
