#include "commands/encoding.h"

#include "commands/data_structure_library_blocks.h"
#include "commands/encoding_converter.h"

namespace vorenn {

using encoding::Step;

std::optional<std::string> ConvertEncoding(std::string_view input, std::string_view from, std::string_view to) {
  auto converter = encoding::OpenConverter(from, to);
  if (!converter) return std::nullopt;
  if (input.empty()) return std::string();

  // The output starts as long as the input and grows by half the input plus 128 bytes each time
  // the converter runs out of room; a conversion that needs more than 12 steps is given up.
  constexpr int kMaxSteps = 12;
  const size_t growth = input.size() / 2 + 128;
  std::string output(input.size(), '\0');
  size_t produced = 0;
  const char* in = input.data();
  size_t inLeft = input.size();
  bool finishing = false;
  for (int step = 0; step < kMaxSteps; ++step) {
    char* out = output.data() + produced;
    size_t outLeft = output.size() - produced;
    Step s = finishing ? Step::Done : converter->Convert(in, inLeft, out, outLeft);
    if (s == Step::Done) {
      finishing = true;
      s = converter->Finish(out, outLeft);
    }
    produced = output.size() - outLeft;
    if (s == Step::Done) {
      output.resize(produced);
      return output;
    }
    if (s != Step::OutputFull) return std::nullopt;
    output.resize(output.size() + growth);
  }
  return std::nullopt;
}

void CmdConvertEncoding(RuntimeValue* result, int argc, RuntimeValue* args) {
  int32_t* success = nullptr;
  if (argc >= 4 && args[3].type == kTypeBool) success = static_cast<int32_t*>(PointerOf(args[3]));
  if (success) *success = 0;
  if (argc < 3 || args[0].type != kTypeBytes || args[1].type != kTypeText || args[2].type != kTypeText) {
    *result = MakePointer(kTypeBytes, nullptr);
    return;
  }
  auto converted = ConvertEncoding(BytesOfBlock(PointerOf(args[0])), TextOfBlock(PointerOf(args[1])),
                                   TextOfBlock(PointerOf(args[2])));
  *result = MakePointer(kTypeBytes, converted ? NewBytesBlock(*converted) : nullptr);
  if (converted && success) *success = 1;
}

const CommandFn kEncodingCommands[kEncodingCommandCount] = {CmdConvertEncoding};

namespace {
intptr_t Notify(int code, intptr_t, intptr_t) { return code == kNotifyStart || code == kNotifyEnd ? 0 : -1; }
}  // namespace

const LibraryDescriptor& EncodingLibrary() {
  static const LibraryDescriptor descriptor{"encoding conversion", Notify, 0, nullptr, kEncodingCommandCount,
                                            kEncodingCommands};
  return descriptor;
}

}  // namespace vorenn
