// Inserting list rows on the Qt backend (offscreen): the index a caller gets back is where the row
// is, whether the list keeps rows where they are put or sorts them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/qt/qt_backend.h"

// fontconfig keeps a cache for the life of the process; that is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace vorenn::platform {
namespace {

struct Insert {
  int at;
  std::string text;
  int expectedIndex;
};

struct Case {
  const char* name;
  int sort;  // 0 none, 1 ascending, 2 descending
  std::vector<Insert> inserts;
  std::vector<std::string> expectedRows;
};

std::vector<std::string> Rows(WindowHandle list) {
  std::vector<std::string> rows;
  for (int i = 0; i < Native().ListItemCount(list); ++i) rows.push_back(Native().ListItemText(list, i, 0));
  return rows;
}

TEST(QtListInsert, TheReturnedIndexIsWhereTheRowIs) {
  static int argc = 1;
  static char name[] = "qt_list_insert_test";
  static char* argv[] = {name, nullptr};
  if (!HasBackend() || std::string(Native().Name()) != "qt") InstallQtBackend(argc, argv);

  const Case cases[] = {
      {"kept where put", 0, {{0, "b", 0}, {5, "d", 1}, {1, "c", 1}, {0, "a", 0}, {4, "e", 4}}, {"a", "b", "c", "d", "e"}},
      {"ascending", 1, {{0, "m", 0}, {1, "z", 1}, {2, "a", 0}, {0, "n", 2}}, {"a", "m", "n", "z"}},
      {"descending", 2, {{0, "m", 0}, {0, "z", 0}, {0, "a", 2}}, {"z", "m", "a"}},
  };
  for (const Case& c : cases) {
    WindowSpec top;
    top.role = WindowRole::TopLevel;
    top.geometry = {0, 0, 200, 200};
    WindowSpec params;
    params.role = WindowRole::ListView;
    params.parent = Native().CreateNativeWindow(top);
    params.geometry = {0, 0, 200, 200};
    WindowHandle list = Native().CreateNativeWindow(params);
    ListSetup setup;
    setup.sort = c.sort;
    Native().SetListSetup(list, setup);
    Native().InsertListColumn(list, 0, {"a", 50, 0, -1, false});
    Native().InsertListColumn(list, 1, {"b", 50, 0, -1, false});
    for (const Insert& insert : c.inserts) {
      int index = Native().InsertListItem(list, insert.at, {insert.text, -1, 0, 0, 0});
      EXPECT_EQ(index, insert.expectedIndex) << c.name << ": " << insert.text;
      EXPECT_EQ(Native().ListItemText(list, index, 0), insert.text) << c.name;
    }
    EXPECT_EQ(Rows(list), c.expectedRows) << c.name;
    if (c.sort == 1) {  // a row whose first cell changes moves to its place; its other cells go along
      ASSERT_TRUE(Native().SetListItemText(list, 0, 1, "first"));
      ASSERT_TRUE(Native().SetListItemText(list, 0, 0, "p"));
      EXPECT_EQ(Rows(list), (std::vector<std::string>{"m", "n", "p", "z"}));
      EXPECT_EQ(Native().ListItemText(list, 2, 1), "first");
      ASSERT_TRUE(Native().SetListItemText(list, 3, 0, "m"));  // after the equal row above it
      EXPECT_EQ(Rows(list), (std::vector<std::string>{"m", "m", "n", "p"}));
      EXPECT_EQ(Native().InsertListItem(list, 0, {"m", -1, 0, 0, 0}), 2);  // a new row after equal rows
    }
    Native().DestroyNativeWindow(params.parent);
  }
}

}  // namespace
}  // namespace vorenn::platform
