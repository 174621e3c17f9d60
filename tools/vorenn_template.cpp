// vorenn-template SOURCE OUT [--cpp FILE] [--ids FILE]
// Builds the window-template segment OUT from the description SOURCE; optionally also the C++
// source that embeds it and the header of ids and handler order.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/segment_writer.h"
#include "tools/template_description.h"

namespace {

bool WriteFile(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), std::streamsize(size));
  return bool(out);
}

int Usage() {
  std::cerr << "usage: vorenn-template SOURCE OUT [--cpp FILE] [--ids FILE]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string cppPath, idsPath;
  for (int i = 3; i < argc; i += 2) {
    std::string option = argv[i];
    if (i + 1 >= argc) return Usage();
    if (option == "--cpp") {
      cppPath = argv[i + 1];
    } else if (option == "--ids") {
      idsPath = argv[i + 1];
    } else {
      return Usage();
    }
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "vorenn-template: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  try {
    auto description = vorenn::tools::ParseDescription(json);
    std::vector<uint8_t> segment = vorenn::tools::WriteSegment(description);
    bool ok = WriteFile(argv[2], segment.data(), segment.size());
    if (ok && !cppPath.empty()) {
      std::string source = vorenn::tools::EmbeddedSegmentSource(segment);
      ok = WriteFile(cppPath, source.data(), source.size());
    }
    if (ok && !idsPath.empty()) {
      std::string header = vorenn::tools::IdsHeader(description);
      ok = WriteFile(idsPath, header.data(), header.size());
    }
    if (!ok) {
      std::cerr << "vorenn-template: cannot write the output\n";
      return 1;
    }
  } catch (const std::exception& e) {
    std::cerr << "vorenn-template: " << argv[1] << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}
