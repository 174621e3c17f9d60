#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "tools/template_description.h"
#include "tools/unit_data_writer.h"

namespace vorenn::tools {
namespace {

using Json = nlohmann::ordered_json;

TEST(ParseWord, ReadsNumbersColoursAndDefault) {
  struct Row {
    Json in;
    uint32_t want;
  } rows[] = {
      {7, 7u},
      {-1, 0xFFFFFFFFu},
      {"#FF0000", 0x000000FFu},  // stored as 0x00BBGGRR
      {"#123456", 0x00563412u},
      {"default", 0xFF000000u},
      {"0x52010003", 0x52010003u},
  };
  for (const Row& row : rows) EXPECT_EQ(ParseWord(row.in), row.want) << row.in;
  for (const Json& bad : {Json("red"), Json(4294967296LL), Json(1.5)}) {
    EXPECT_THROW(ParseWord(bad), std::runtime_error) << bad;
  }
}

TEST(EncodeUnitData, RefusesWhatTheTypeCannotRead) {
  EXPECT_TRUE(EncodeUnitData("Label", Json()).empty());
  EXPECT_THROW(EncodeUnitData("Label", Json{{"version", 3}}), std::runtime_error);
  EXPECT_THROW(EncodeUnitData("Label", Json{{"version", 2}, {"colour", 1}}), std::runtime_error);
  EXPECT_THROW(EncodeUnitData("Slider", Json{{"version", 1}}), std::runtime_error);
  EXPECT_THROW(EncodeFont(Json{{"face", std::string(32, 'x')}}), std::runtime_error);
  // Version gates: a version-1 edit box stops before the fields that version 2 adds.
  EXPECT_EQ(EncodeUnitData("EditBox", Json{{"version", 2}}).size(),
            EncodeUnitData("EditBox", Json{{"version", 1}}).size() + 20);
}

std::string Description(const std::string& units) {
  return R"({"handlers": ["A"], "windows": [{"id": "0x52010003", "code": "W", "words": [0, 0],
             "units": [)" + units + "]}]}";
}

const char* kWindow =
    R"({"id": "0x06010002", "type": "window", "name": "w", "code": "Self", "geometry": [0, 0, 1, 1],
        "flags": "V--", "events": [[0, "A"]]})";

TEST(ParseDescription, NamesTheFault) {
  struct Row {
    std::string units;
    const char* fault;
  } rows[] = {
      {R"({"id": 1, "type": "Label", "name": "l", "code": "L", "geometry": [0, 0, 1, 1],
          "flags": "---", "events": []})", "first record"},
      {std::string(kWindow) + R"(, {"id": "0x16000001", "type": "Label", "name": "l", "code": "L",
        "container": "nowhere", "geometry": [0, 0, 1, 1], "flags": "---", "events": []})", "no unit named"},
      {std::string(kWindow) + R"(, {"id": "0x16000001", "type": "Label", "name": "l", "code": "L",
        "geometry": [0, 0, 1, 1], "flags": "---", "events": [[0, "B"]]})", "unknown handler"},
      {std::string(kWindow) + R"(, {"id": "0x06010002", "type": "Label", "name": "l", "code": "L",
        "geometry": [0, 0, 1, 1], "flags": "---", "events": []})", "duplicate unit id"},
      {std::string(kWindow) + R"(, {"id": "0x16000001", "type": "Label", "name": "l", "code": "L",
        "geometry": [0, 0, 1, 1], "flags": "X--", "events": []})", "out of place"},
  };
  for (const Row& row : rows) {
    try {
      ParseDescription(Description(row.units));
      ADD_FAILURE() << "accepted: " << row.units;
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find(row.fault), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace vorenn::tools
