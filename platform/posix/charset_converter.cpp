// The system's iconv.
#include "platform/charset_converter.h"

#include <cerrno>
#include <iconv.h>
#include <string>
#include <utility>
#include <vector>

namespace vorenn::platform {
namespace {

// Opening an iconv descriptor costs far more than a short conversion, and the game converts every
// "\u" escape on its own; so each thread keeps the descriptors it has finished with, reset to the
// initial state, for the next conversion of the same pair.
class IconvCache {
 public:
  ~IconvCache() {
    for (auto& e : idle_) iconv_close(e.cd);
  }
  iconv_t Acquire(const std::string& from, const std::string& to) {
    for (size_t i = 0; i < idle_.size(); ++i) {
      if (idle_[i].from == from && idle_[i].to == to) {
        iconv_t cd = idle_[i].cd;
        idle_.erase(idle_.begin() + long(i));
        return cd;
      }
    }
    return iconv_open(to.c_str(), from.c_str());
  }
  void Release(std::string from, std::string to, iconv_t cd) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (idle_.size() >= kMaxIdle) {
      iconv_close(cd);
      return;
    }
    idle_.push_back({std::move(from), std::move(to), cd});
  }

 private:
  static constexpr size_t kMaxIdle = 8;
  struct Entry {
    std::string from, to;
    iconv_t cd;
  };
  std::vector<Entry> idle_;
};

IconvCache& Cache() {
  thread_local IconvCache cache;
  return cache;
}

CharsetStep StepOfErrno() {
  switch (errno) {
    case E2BIG: return CharsetStep::OutputFull;
    case EINVAL: return CharsetStep::Incomplete;
    default: return CharsetStep::Invalid;
  }
}

class IconvConverter final : public CharsetConverter {
 public:
  IconvConverter(std::string from, std::string to, iconv_t cd) : from_(std::move(from)), to_(std::move(to)), cd_(cd) {}
  ~IconvConverter() override { Cache().Release(std::move(from_), std::move(to_), cd_); }

  CharsetStep Convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) override {
    if (inLeft == 0) return CharsetStep::Done;
    auto* src = const_cast<char*>(in);  // iconv's historical signature; it does not write the input
    size_t r = iconv(cd_, &src, &inLeft, &out, &outLeft);
    in = src;
    return r == size_t(-1) ? StepOfErrno() : CharsetStep::Done;
  }
  CharsetStep Finish(char*& out, size_t& outLeft) override {
    return iconv(cd_, nullptr, nullptr, &out, &outLeft) == size_t(-1) ? StepOfErrno() : CharsetStep::Done;
  }

 private:
  std::string from_, to_;
  iconv_t cd_;
};

}  // namespace

std::unique_ptr<CharsetConverter> OpenCharsetConverter(std::string_view from, std::string_view to) {
  std::string f(from), t(to);
  iconv_t cd = Cache().Acquire(f, t);
  if (cd == iconv_t(-1)) return nullptr;
  return std::make_unique<IconvConverter>(std::move(f), std::move(t), cd);
}

}  // namespace vorenn::platform
