#include "web/request_headers.h"

#include <gtest/gtest.h>

#include <string>

namespace vorenn {
namespace {

const std::string kAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
const std::string kLanguage = "Accept-Language: zh-cn\r\n";
const std::string kContentType = "Content-Type: application/x-www-form-urlencoded\r\n";
const std::string kUrl = "http://h/game/do.php";
const std::string kReferer = "Referer: " + kUrl + "\r\n";

TEST(RequestHeaders, DefaultsAreAddedOnlyWhereTheCallerGaveNone) {
  struct Row {
    std::string extra;
    std::string expected;
  } rows[] = {
      {"", kAccept + kReferer + kLanguage},
      {"X-A: 1\r\n", "X-A: 1\r\n" + kAccept + kReferer + kLanguage},
      // The probes ignore letter case and look anywhere in the text.
      {"accept: text/html\r\n", "accept: text/html\r\n" + kReferer + kLanguage},
      {"REFERER: x\r\nACCEPT-LANGUAGE: en\r\n", "REFERER: x\r\nACCEPT-LANGUAGE: en\r\n" + kAccept},
      {"X-Accept: y\r\n", "X-Accept: y\r\n" + kReferer + kLanguage},
      // "Accept-Language: " does not count as an accept line.
      {"Accept-Language: en\r\n", "Accept-Language: en\r\n" + kAccept + kReferer},
      // A caller's line without its line end runs into the next one.
      {"X-B: 2", "X-B: 2" + kAccept + kReferer + kLanguage},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.extra);
    EXPECT_EQ(CompleteHeaders(r.extra, kUrl), r.expected);
  }
}

TEST(RequestHeaders, PostAddsContentTypeUnlessGivenAndLengthAlways) {
  struct Row {
    std::string headers;
    size_t length;
    std::string expected;
  } rows[] = {
      {"", 0, kContentType + "Content-Length: 0\r\n"},
      {"X: 1\r\n", 39, "X: 1\r\n" + kContentType + "Content-Length: 39\r\n"},
      {"content-type: text/plain\r\nContent-Length: 5\r\n", 7,
       "content-type: text/plain\r\nContent-Length: 5\r\nContent-Length: 7\r\n"},
  };
  for (const Row& r : rows) {
    std::string h = r.headers;
    AddPostHeaders(h, r.length);
    EXPECT_EQ(h, r.expected);
  }
}

TEST(RequestHeaders, MethodsAndBlanks) {
  EXPECT_EQ(ClassifyMethod(""), RequestMethod::Get);
  EXPECT_EQ(ClassifyMethod("get"), RequestMethod::Get);
  EXPECT_EQ(ClassifyMethod("post"), RequestMethod::Post);
  EXPECT_EQ(ClassifyMethod("PoSt"), RequestMethod::Post);
  EXPECT_EQ(ClassifyMethod("PUT"), RequestMethod::Unsupported);
  EXPECT_EQ(ClassifyMethod(" GET"), RequestMethod::Unsupported);

  EXPECT_FALSE(IsSupplied(""));
  EXPECT_FALSE(IsSupplied("   "));
  EXPECT_FALSE(IsSupplied(" \xA1\xA1 \xA1\xA1"));  // full-width blanks too
  EXPECT_TRUE(IsSupplied(" proxy:8080 "));
  EXPECT_TRUE(IsSupplied("\t"));  // only blanks count as empty
}

}  // namespace
}  // namespace vorenn
