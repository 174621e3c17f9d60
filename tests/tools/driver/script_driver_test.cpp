// The driver's language against the real program window, line by line, on the headless backend.
// All tests share one started program, so each leaves the window as a later test expects it.
#include "tools/driver/script_driver.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <set>

#include "engine/core/runtime_error.h"
#include "engine/templates/window_template.h"
#include "engine/units/unit_lifecycle.h"
#include "engine/units/unit_properties.h"
#include "platform/gbk_text.h"
#include "tests/tools/driver/program_under_test.h"
#include "tools/driver/headless_host.h"
#include "tools/driver/unit_lookup.h"

namespace vorenn::driver {
namespace {

using nlohmann::json;

class ScriptDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = testing_support::StartProgram();
    ASSERT_NE(backend_, nullptr);
    host_ = std::make_unique<HeadlessHost>(*backend_);
    driver_ = std::make_unique<ScriptDriver>(
        *host_, [this](std::string_view l) { out_.emplace_back(l); }, [this](std::string_view l) { err_.emplace_back(l); });
  }

  // Runs the lines; each must succeed.
  void RunAll(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) ASSERT_TRUE(driver_->Run(line)) << line << "\n" << Errors();
  }
  std::string Errors() const {
    std::string all;
    for (const std::string& e : err_) all += e + "\n";
    return all;
  }
  platform::WindowHandle Handle(const char* utf8Name) {
    std::optional<UnitAt> unit = FindUnitByName(platform::Utf8ToGbk(utf8Name));
    return unit ? HandleOf(*unit) : platform::kNoWindow;
  }
  std::vector<json> Dump() {
    out_.clear();
    RunAll({"dump"});
    std::vector<json> lines;
    for (const std::string& l : out_) lines.push_back(json::parse(l));
    return lines;
  }

  platform::HeadlessBackend* backend_ = nullptr;
  std::unique_ptr<HeadlessHost> host_;
  std::unique_ptr<ScriptDriver> driver_;
  std::vector<std::string> out_, err_;
};

TEST_F(ScriptDriverTest, DumpShowsEveryRecordAtItsTemplateGeometryWithTheHiddenGroupsHidden) {
  const WindowTemplate* tmpl = FindTemplate(LoadedWindows().front()->windowId);
  ASSERT_NE(tmpl, nullptr);
  const std::set<std::string> laidOut = {"分组框_游戏", "画板_技能", "纵向滚动条1"};
  std::vector<json> dump = Dump();
  ASSERT_EQ(dump.size(), 49u + 1u);
  EXPECT_EQ(dump[0]["type"], "window");
  EXPECT_EQ(dump[0]["text"], "Vorenn 1.0");
  for (size_t i = 1; i < tmpl->records.size(); ++i) {
    const UnitRecord& r = tmpl->records[i];
    const json& line = dump[i];
    SCOPED_TRACE(line.dump());
    EXPECT_EQ(line["name"], platform::GbkToUtf8(r.name));
    EXPECT_EQ(line["id"], r.id);
    // The window's set-up moves the sign-in box to the top, and its resize handler lays out the
    // heights of the game box and the skills viewport; everything else stays where it was loaded.
    if (line["name"] == "分组框_登陆") {
      EXPECT_EQ(line["top"], -1);
      continue;
    }
    EXPECT_EQ(line["left"], r.left);
    EXPECT_EQ(line["top"], r.top);
    EXPECT_EQ(line["width"], r.width);
    if (!laidOut.count(line["name"])) {
      EXPECT_EQ(line["height"], r.height);
    }
  }
  std::map<std::string, bool> visible;
  for (const json& line : dump)
    if (line.contains("name")) visible[line["name"]] = line["visible"];
  EXPECT_TRUE(visible["分组框_登陆"]);
  EXPECT_FALSE(visible["分组框_游戏"]);
  EXPECT_FALSE(visible["分组框_创建"]);
  EXPECT_FALSE(visible["超级列表框_排行榜"]);
  EXPECT_EQ(dump[1]["rows"], json::array());
  EXPECT_EQ(dump.back(), json::parse(R"({"tray":false})"));
}

TEST_F(ScriptDriverTest, ExpectComparesByNameOrIndexAndRecordsEachMismatch) {
  struct Row {
    const char* line;
    bool matches;
  };
  const Row rows[] = {
      {"expect 窗口_主 title Vorenn 1.0", true},
      {"expect 窗口_主 8 Vorenn 1.0", true},
      {"expect 窗口_主 title Vorenn(自动离线)", false},
      {"expect 按钮_创建 caption 创建", true},
      {"expect 标签1 caption 角色名：", true},
      {"expect 标签1 caption 角色名", false},
      {"expect 分组框_游戏 visible 0", true},
      {"expect 分组框_游戏 visible false", true},
      {"expect 分组框_游戏 visible 1", false},
      {"expect 标签1 width 64", true},
      {"expect 标签1 width 0x40", true},
      {"expect 标签1 width 65", false},
      {"expect 编辑框_创建 content", true},
      {"expect 时钟_秒 interval 0", true},
  };
  size_t failures = driver_->Failures().size();
  for (const Row& row : rows) {
    EXPECT_EQ(driver_->Run(row.line), row.matches) << row.line;
    if (!row.matches) ++failures;
    ASSERT_EQ(driver_->Failures().size(), failures) << row.line;
  }
  EXPECT_NE(driver_->Failures().back().find("wanted \"65\", got \"64\""), std::string::npos) << driver_->Failures().back();
}

TEST_F(ScriptDriverTest, PropWritesThroughThePropertyServiceAndPrintsWhatReadsBack) {
  struct Row {
    const char* line;
    const char* printed;
  };
  const Row rows[] = {
      {"prop 标签_名称 8 甲乙 丙", "PROP 标签_名称 8 甲乙 丙"},
      {"prop 标签_名称 caption", "PROP 标签_名称 8 甲乙 丙"},
      {"prop 标签_名称 0 -40000", "PROP 标签_名称 0 -32627"},
      {"prop 标签_名称 2 40000", "PROP 标签_名称 2 32627"},
      {"prop 标签_名称 4 row 1", "PROP 标签_名称 4 row 1"},
      {"prop 标签_名称 6 true", "PROP 标签_名称 6 1"},
      {"prop 标签_名称 6 0", "PROP 标签_名称 6 0"},
      {"prop 时钟_毫秒 8 -5", "PROP 时钟_毫秒 8 0"},
      {"prop 纵向滚动条1 position", "PROP 纵向滚动条1 12 0"},
  };
  for (const Row& row : rows) {
    out_.clear();
    ASSERT_TRUE(driver_->Run(row.line)) << row.line << "\n" << Errors();
    ASSERT_EQ(out_.size(), 1u) << row.line;
    EXPECT_EQ(out_[0], row.printed);
  }
  RunAll({"prop 标签_名称 0 46", "prop 标签_名称 2 102", "prop 标签_名称 4", "prop 标签_名称 8"});
}

TEST_F(ScriptDriverTest, FaultyLinesFailOneByOneAndTheScriptGoesOn) {
  const char* const lines[] = {
      "frobnicate",
      "click 没有这个",
      "click 按钮_创建",          // its group is hidden: nobody can click it
      "click 标签_登陆",          // a label is no button
      "set 标签_登陆 x",
      "set 编辑框_账号 😀",         // no GBK form: nobody could type it into the program
      "prop 标签_名称 8 😀",
      "answer 7",
      "key 编辑框_账号 Tabs",
      "wheel 编辑框_账号 many",
      "prop 标签1 99",
      "expect 标签1 interval 0",  // labels have no interval
      "advance -1",
      "settle now",
      "tray 4",
  };
  for (const char* line : lines) {
    size_t before = driver_->Failures().size();
    EXPECT_FALSE(driver_->Run(line)) << line;
    ASSERT_EQ(driver_->Failures().size(), before + 1) << line;
    EXPECT_EQ(driver_->Failures().back().rfind("line ", 0), 0u);
  }
  out_.clear();
  RunAll({"  # a comment", "", "echo still running # not a comment here"});
  EXPECT_EQ(out_, std::vector<std::string>{"still running # not a comment here"});
}

TEST_F(ScriptDriverTest, TypingReplacesTheContentAndKeysGoToTheFocusedBox) {
  RunAll({"set 编辑框_账号 玩家1", "expect 编辑框_账号 content 玩家1", "prop 编辑框_账号 18 1"});
  // Nobody types into a read-only box.
  EXPECT_FALSE(driver_->Run("set 编辑框_账号 x"));
  RunAll({"prop 编辑框_账号 18 0", "expect 编辑框_账号 content 玩家1", "key 编辑框_账号 Tab"});
  EXPECT_EQ(backend_->Focus(), Handle("编辑框_密码1"));
  RunAll({"set 编辑框_密码1 ab", "key 编辑框_密码1 c", "key 编辑框_密码1 Backspace", "key 编辑框_密码1 中",
          "expect 编辑框_密码1 content ab中", "set 编辑框_密码1", "expect 编辑框_密码1 content",
          "set 编辑框_账号"});
}

TEST_F(ScriptDriverTest, BoxesPrintWhenShownAndTakeTheQueuedAnswerOrTheirFirstButton) {
  RunAll({"prop 分组框_游戏 visible 1", "answer 6", "click 按钮_退出"});
  // No (6): the player stays in the game.
  EXPECT_EQ(out_.back(), "MSGBOX style=4 caption=询问 text=确认要退出登录？");
  RunAll({"expect 分组框_游戏 visible 1", "click 按钮_退出"});
  // Unanswered: the first button, Yes, signs out.
  EXPECT_EQ(out_.back(), "MSGBOX style=4 caption=询问 text=确认要退出登录？");
  RunAll({"expect 分组框_游戏 visible 0", "expect 分组框_登陆 visible 1"});
  EXPECT_EQ(MessageBoxLine(ShownBox{0x2010, platform::Utf8ToGbk("错误"), platform::Utf8ToGbk("运行时出错!\r\n\r\n")}),
            "MSGBOX style=16 caption=错误 text=运行时出错!\\r\\n\\r\\n");
}

TEST_F(ScriptDriverTest, TheRuntimeErrorBoxIsPrintedAfterTheBoxesBeforeItAsTheProcessWillEndWithIt) {
  out_.clear();
  backend_->MessageBox(platform::kNoWindow, "a\nb", "c", platform::kBoxOkCancel);
  host_->RuntimeErrorBoxComing(RuntimeErrorText(platform::Utf8ToGbk("坏了").c_str(), 3));
  EXPECT_EQ(out_, (std::vector<std::string>{
                      "MSGBOX style=1 caption=c text=a\\nb",
                      "MSGBOX style=16 caption=错误 text=运行时出错!\\r\\n\\r\\n错误代码：3\\r\\n\\r\\n错误信息：坏了\\r\\n",
                  }));
}

TEST_F(ScriptDriverTest, MinimizingHidesTheWindowBehindTheTrayIconWhichRestoresIt) {
  RunAll({"minimize", "expect 窗口_主 visible 0"});
  EXPECT_EQ(Dump().back(), json::parse(R"({"tray":true,"tip":"点击恢复！\r\nVorenn 1.0"})"));
  RunAll({"tray 3", "expect 窗口_主 visible 1"});
}

TEST_F(ScriptDriverTest, AdvanceFiresEveryDueTimerAtItsTime) {
  platform::WindowSpec params;
  params.role = platform::WindowRole::Engine;
  platform::WindowHandle w = backend_->CreateNativeWindow(params);
  std::vector<uint64_t> ticks;
  backend_->SetEventSink(w, [&](const platform::WindowEvent& e) {
    if (e.kind == platform::EventKind::Timer) ticks.push_back(backend_->NowMs());
    return platform::EventAnswer{};
  });
  uint64_t start = backend_->NowMs();
  backend_->SetTimer(w, 1, 300);
  RunAll({"advance 1000"});
  backend_->DestroyNativeWindow(w);
  EXPECT_EQ(backend_->NowMs(), start + 1000);
  EXPECT_EQ(ticks, (std::vector<uint64_t>{start + 300, start + 600, start + 900}));
}

TEST_F(ScriptDriverTest, CopiesFollowTheirSourceAndAreNamedByTag) {
  WindowInstance& window = *LoadedWindows().front();
  std::optional<UnitAt> source = FindUnitByName(platform::Utf8ToGbk("按钮_升级"));
  ASSERT_TRUE(source);
  std::optional<uint32_t> copy = CopyUnitOnWindow(window, source->UnitId());
  ASSERT_TRUE(copy);
  FindRecord(window, *copy)->tag = "7";
  RunAll({"expect 按钮_升级 tag=7 caption 超级按钮", "prop 按钮_升级 tag=7 22 第二行"});
  EXPECT_EQ(out_.back(), "PROP 按钮_升级 tag=7 22 第二行");
  RunAll({"expect 按钮_升级 caption 超级按钮"});
  EXPECT_FALSE(driver_->Run("expect 按钮_升级 tag=8 caption 超级按钮"));
  std::vector<json> dump = Dump();
  auto at = std::find_if(dump.begin(), dump.end(), [](const json& l) { return l.value("name", "") == "按钮_升级"; });
  ASSERT_NE(at + 1, dump.end());
  EXPECT_EQ((*(at + 1))["copyOf"], source->UnitId());
  EXPECT_EQ((*(at + 1))["tag"], "7");
  EXPECT_EQ((*(at + 1))["text"], "第二行");
  RemoveUnit(window, *copy);
}

}  // namespace
}  // namespace vorenn::driver
