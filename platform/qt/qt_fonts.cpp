#include "platform/qt/qt_fonts.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/gbk_text.h"

namespace vorenn::platform {
namespace {

constexpr size_t kRecordSize = 60;
constexpr size_t kFaceOffset = 28;
constexpr size_t kFaceBytes = 32;
constexpr int kDefaultPixels = 12;
// Heights beyond this come from damaged records; they are drawn at this size.
constexpr int kMaxPixels = 512;

const char kCjkFace[] = "WenQuanYi Zen Hei";
const char kSerifFace[] = "DejaVu Serif";
const char kSansFace[] = "DejaVu Sans";
const char kMonoFace[] = "DejaVu Sans Mono";

struct FaceRow {
  const char* named;  // UTF-8
  const char* installed;
};

// Faces compare without ASCII case, as the system's font mapper does.
constexpr FaceRow kFaces[] = {
    {"宋体", kCjkFace},         {"新宋体", kCjkFace},     {"黑体", kCjkFace},
    {"楷体", kCjkFace},         {"楷体_GB2312", kCjkFace}, {"仿宋", kCjkFace},
    {"仿宋_GB2312", kCjkFace},  {"微软雅黑", kCjkFace},   {"SimSun", kCjkFace},
    {"NSimSun", kCjkFace},      {"SimHei", kCjkFace},     {"Microsoft YaHei", kCjkFace},
    {"Georgia", kSerifFace},    {"Times New Roman", kSerifFace}, {"Serif", kSerifFace},
    {"Arial", kSansFace},       {"Tahoma", kSansFace},    {"Verdana", kSansFace},
    {"MS Sans Serif", kSansFace}, {"MS Shell Dlg", kSansFace}, {"Segoe UI", kSansFace},
    {"System", kSansFace},      {"Courier New", kMonoFace}, {"Courier", kMonoFace},
    {"Fixedsys", kMonoFace},    {"Consolas", kMonoFace},
};

int32_t I32(const std::string& r, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, r.data() + at, 4);
  return int32_t(v);
}

// Qt sizes a font by its character height; a positive record height is the whole cell, so the
// largest pixel size whose line fits the cell is taken.
int PixelSizeForCell(QFont font, int cell) {
  int size = cell;
  for (; size > 1; --size) {
    font.setPixelSize(size);
    if (QFontMetrics(font).height() <= cell) break;
  }
  return size;
}

}  // namespace

QString InstalledFaceOf(const QString& face) {
  for (const FaceRow& row : kFaces) {
    if (face.compare(QString::fromUtf8(row.named), Qt::CaseInsensitive) == 0) return QString::fromUtf8(row.installed);
  }
  return face;
}

QFont DefaultUnitFont() {
  QFont font(QString::fromUtf8(kCjkFace));
  font.setPixelSize(kDefaultPixels);
  return font;
}

QFont FontOfRecord(const std::string& record) {
  if (record.size() < kRecordSize) return DefaultUnitFont();
  std::string gbkFace(record.data() + kFaceOffset, kFaceBytes);
  gbkFace.resize(std::strlen(gbkFace.c_str()));
  QString face = InstalledFaceOf(QString::fromStdString(GbkToUtf8(gbkFace)).trimmed());
  if (face.isEmpty()) face = QString::fromUtf8(kCjkFace);
  QFont font;
  // The CJK face stands behind every face for the characters it lacks; named twice, Qt would
  // work out its system fallback list for the font at once instead of when a character is missing.
  const QString cjk = QString::fromUtf8(kCjkFace);
  font.setFamilies(face == cjk ? QStringList{cjk} : QStringList{face, cjk});
  int32_t height = I32(record, 0);
  if (height < 0) {
    font.setPixelSize(height < -kMaxPixels ? kMaxPixels : -height);
  } else if (height > 0) {
    font.setPixelSize(PixelSizeForCell(font, std::min(height, kMaxPixels)));
  } else {
    font.setPixelSize(kDefaultPixels);
  }
  int32_t weight = I32(record, 16);
  if (weight > 0) font.setWeight(QFont::Weight(std::clamp(weight, 100, 900)));
  font.setItalic(record[20] != 0);
  font.setUnderline(record[21] != 0);
  font.setStrikeOut(record[22] != 0);
  return font;
}

}  // namespace vorenn::platform
