#include "tools/driver/script_driver.h"

#include "engine/templates/window_template.h"
#include "platform/backend.h"
#include "platform/gbk_text.h"
#include "tools/driver/unit_dump.h"
#include "tools/driver/unit_lookup.h"
#include "tools/driver/unit_values.h"

#include <chrono>
#include <thread>

namespace vorenn::driver {
namespace {

constexpr uint32_t kTaskModal = 0x2000;
constexpr uint32_t kSettleLimitMs = 120'000;
constexpr int kEditInputMode = 18;  // 1: read-only
constexpr int kKeyTab = 9, kKeyEnter = 13, kKeyEsc = 27, kKeyBackspace = 8, kKeySpace = 32;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void SkipBlanks(std::string_view* text) {
  while (!text->empty() && IsBlank(text->front())) text->remove_prefix(1);
}

// The next blank-separated word; *rest continues after the blanks that follow it.
std::string_view NextWord(std::string_view* rest) {
  SkipBlanks(rest);
  size_t end = 0;
  while (end < rest->size() && !IsBlank((*rest)[end])) ++end;
  std::string_view word = rest->substr(0, end);
  rest->remove_prefix(end);
  SkipBlanks(rest);
  return word;
}

// For commands without a free text: a trailing " # ..." is a comment.
std::string_view WithoutComment(std::string_view rest) {
  size_t hash = rest.find('#');
  if (hash != std::string_view::npos && (hash == 0 || IsBlank(rest[hash - 1]))) rest = rest.substr(0, hash);
  while (!rest.empty() && IsBlank(rest.back())) rest.remove_suffix(1);
  return rest;
}

// The key of `key NAME KEY`: a key name, or one character (its key code too where it has an
// obvious one: letters and digits).
bool ParseKey(std::string_view text, KeyStroke* key) {
  if (text == "Tab") return *key = {kKeyTab, 0}, true;
  if (text == "Enter") return *key = {kKeyEnter, 0}, true;
  if (text == "Esc") return *key = {kKeyEsc, 0}, true;
  if (text == "Space") return *key = {kKeySpace, kKeySpace}, true;
  if (text == "Backspace") return *key = {kKeyBackspace, kKeyBackspace}, true;
  std::string gbk = platform::Utf8ToGbk(text);
  if (gbk.size() == 1 && uint8_t(gbk[0]) >= 0x21 && uint8_t(gbk[0]) < 0x7F) {
    char c = gbk[0];
    int code = (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) ? c : 0;
    *key = {code, uint8_t(c)};
    return true;
  }
  // One double-byte character, and not the '?' that an unconvertible character becomes.
  if (gbk.size() == 2 && uint8_t(gbk[0]) >= 0x81 && platform::GbkToUtf8(gbk) == text) {
    *key = {0, (uint8_t(gbk[0]) << 8) | uint8_t(gbk[1])};
    return true;
  }
  return false;
}

std::string Escaped(std::string_view utf8) {
  std::string out;
  for (char c : utf8) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

}  // namespace

std::string MessageBoxLine(const ShownBox& box) {
  return "MSGBOX style=" + std::to_string(box.style & ~kTaskModal) +
         " caption=" + Escaped(platform::GbkToUtf8(box.caption)) + " text=" + Escaped(platform::GbkToUtf8(box.text));
}

// The commands, each answering "" or what went wrong with the line.
class ScriptDriver::Commands {
 public:
  Commands(ScriptDriver& driver, std::string_view rest) : d_(driver), host_(driver.host_), rest_(rest) {}

  // What an `expect` found instead of the value it wanted; "" when it matched.
  const std::string& Mismatch() const { return mismatch_; }

  std::string Run(std::string_view command) {
    if (command == "set") return Set();
    if (command == "echo") return Echo();
    if (command == "prop") return Prop();
    if (command == "expect") return Expect();
    rest_ = WithoutComment(rest_);
    if (command == "click") return Click();
    if (command == "key") return Key();
    if (command == "wheel") return Wheel();
    if (command == "answer") return Answer();
    if (command == "advance") return Advance();
    if (command == "pause") return Pause();
    if (command == "settle") return NoArguments() ? Settle() : "settle takes nothing";
    if (command == "minimize") return NoArguments() ? Minimize() : "minimize takes nothing";
    if (command == "tray") return Tray();
    if (command == "dump") return NoArguments() ? Dump() : "dump takes nothing";
    if (command == "shot") return Shot();
    return "unknown command \"" + std::string(command) + "\"";
  }

 private:
  bool NoArguments() const { return rest_.empty(); }

  std::string Echo() {
    d_.out_(rest_);
    return "";
  }

  // The unit a name (and optional tag) names; "" on success.
  std::string Find(std::string_view name, const std::string* tag = nullptr) {
    std::string gbkName = platform::Utf8ToGbk(name);
    std::optional<std::string> gbkTag;
    if (tag != nullptr) gbkTag = platform::Utf8ToGbk(*tag);
    std::optional<UnitAt> unit = FindUnitByName(gbkName, gbkTag ? &*gbkTag : nullptr);
    if (!unit) return "no unit named " + std::string(name) + (tag != nullptr ? " with tag " + *tag : "");
    unit_ = *unit;
    handle_ = HandleOf(unit_);
    return "";
  }

  // NAME, or NAME tag=T for a run-time copy; the words are taken from the line.
  std::string FindNext() {
    std::string_view name = NextWord(&rest_);
    name_ = name;
    if (rest_.substr(0, 4) != "tag=") return Find(name);
    std::string tag(NextWord(&rest_).substr(4));
    name_ += " tag=" + tag;
    return Find(name, &tag);
  }

  // A unit the user can reach: it has a window and shows.
  std::string FindNextShowing() {
    std::string error = FindNext();
    if (!error.empty()) return error;
    if (handle_ == platform::kNoWindow || !IsShowing(handle_)) return name_ + " is not showing";
    return "";
  }

  std::string FindWindow() {
    std::vector<WindowInstance*> windows = LoadedWindows();
    if (windows.empty() || windows.front()->records.empty()) return "no window is loaded";
    unit_ = UnitAt{windows.front(), &windows.front()->records[0], 0};
    handle_ = HandleOf(unit_);
    return handle_ == platform::kNoWindow ? "the window has no native window" : "";
  }

  std::string Set() {
    std::string error = FindNextShowing();
    if (!error.empty()) return error;
    if (platform::Native().RoleOf(handle_) != platform::WindowRole::EditBox) return "not an edit box";
    if (!HasGbkForm(rest_)) return "the text has characters that GBK lacks";
    std::string inputMode, unused;
    if (ReadPropertyText(unit_, kEditInputMode, &inputMode, &unused) && inputMode == "1") return "the edit box is read-only";
    // Typing changes the control's text and then tells its owner, as the control itself does.
    platform::Native().SetText(handle_, platform::Utf8ToGbk(rest_));
    platform::WindowEvent changed;
    changed.kind = platform::EventKind::TextChanged;
    changed.window = handle_;
    platform::Native().PostEvent(changed);
    host_.Pump();
    return "";
  }

  std::string Click() {
    std::string error = FindNextShowing();
    if (error.empty() && !rest_.empty()) error = "click takes a name and an optional tag=T";
    if (!error.empty()) return error;
    if (platform::Native().RoleOf(handle_) != platform::WindowRole::Button) return "not a button";
    host_.Click(handle_);
    host_.Pump();
    return "";
  }

  std::string Key() {
    std::string error = FindNextShowing();
    if (!error.empty()) return error;
    KeyStroke key;
    if (!ParseKey(rest_, &key)) return "key takes Tab, Enter, Esc, Space, Backspace or one character";
    host_.Key(handle_, key);
    host_.Pump();
    return "";
  }

  std::string Wheel() {
    std::string error = FindNextShowing();
    if (!error.empty()) return error;
    int64_t notches = 0;
    if (!ParseInteger(rest_, &notches) || notches < -1000 || notches > 1000) return "wheel takes a number of notches";
    host_.Wheel(handle_, int(notches));
    host_.Pump();
    return "";
  }

  std::string Answer() {
    int64_t n = 0;
    // The program numbers the answers from 0 (OK), the platform from 1.
    if (!ParseInteger(rest_, &n) || n < 0 || n > 6) return "answer takes 0 to 6";
    host_.QueueAnswer(int(n) + 1);
    return "";
  }

  std::string Advance() {
    int64_t ms = 0;
    if (!ParseInteger(rest_, &ms) || ms < 0 || ms > UINT32_MAX) return "advance takes milliseconds";
    host_.Advance(uint32_t(ms));
    return "";
  }

  std::string Pause() {
    int64_t ms = 0;
    if (!ParseInteger(rest_, &ms) || ms < 0 || ms > 600000) return "pause takes milliseconds, at most 600000";
    if (host_.ClockIsReal()) {
      host_.Advance(uint32_t(ms));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      host_.Pump();
    }
    return "";
  }

  std::string Settle() {
    return host_.Settle(kSettleLimitMs) ? "" : "still busy after 120 s";
  }

  std::string Minimize() {
    std::string error = FindWindow();
    if (!error.empty()) return error;
    platform::Native().SetShowState(handle_, platform::ShowState::Minimized);
    host_.Pump();
    return "";
  }

  std::string Tray() {
    int64_t action = 0;
    if (!ParseInteger(rest_, &action) || action < 1 || action > 3) return "tray takes 1, 2 or 3";
    std::string error = FindWindow();
    if (!error.empty()) return error;
    host_.TrayClick(handle_, int(action));
    host_.Pump();
    return "";
  }

  // The index named by a number or a property name.
  std::string Index(std::string_view text, int* index) {
    int64_t n = 0;
    if (ParseInteger(text, &n)) {
      if (n < 0 || n >= PropertyCountOf(unit_)) return "the unit has no property " + std::string(text);
      *index = int(n);
      return "";
    }
    *index = NamedPropertyIndex(TypeNameOf(unit_), text);
    return *index < 0 ? "the unit has no property named " + std::string(text) : "";
  }

  std::string Prop() {
    std::string error = FindNext();
    std::string_view indexText = NextWord(&rest_);
    int index = 0;
    if (error.empty()) error = Index(indexText, &index);
    if (!error.empty()) return error;
    if (!rest_.empty() && !WritePropertyText(unit_, index, rest_, &error)) return error;
    host_.Pump();
    std::string value;
    if (!ReadPropertyText(unit_, index, &value, &error)) return error;
    d_.out_("PROP " + name_ + " " + std::to_string(index) + " " + value);
    return "";
  }

  std::string Expect() {
    std::string error = FindNext();
    std::string_view property = NextWord(&rest_);
    int index = 0;
    if (error.empty()) error = Index(property, &index);
    std::string value;
    if (error.empty() && !ReadPropertyText(unit_, index, &value, &error)) return error;
    if (!error.empty()) return error;
    if (!ValuesMatch(value, rest_)) {
      mismatch_ = "expect " + name_ + " " + std::string(property) + ": wanted \"" +
                  std::string(rest_) + "\", got \"" + value + "\"";
    }
    return "";
  }

  std::string Dump() {
    for (const std::string& line : DumpLines(host_)) d_.out_(line);
    return "";
  }

  std::string Shot() {
    if (rest_.empty()) return "shot takes a file name";
    std::string error = FindWindow();
    if (!error.empty()) return error;
    std::string note;
    switch (host_.Shot(handle_, std::string(rest_), &note)) {
      case DriverHost::ShotResult::kSaved: return "";
      case DriverHost::ShotResult::kNotDrawn: d_.err_("shot " + std::string(rest_) + ": " + note); return "";
      case DriverHost::ShotResult::kFailed: return note;
    }
    return "";
  }

 private:
  std::string mismatch_;
  ScriptDriver& d_;
  DriverHost& host_;
  std::string_view rest_;
  std::string name_;  // the unit as the line names it
  UnitAt unit_;
  platform::WindowHandle handle_ = platform::kNoWindow;
};

ScriptDriver::ScriptDriver(DriverHost& host, LineSink out, LineSink err)
    : host_(host), out_(std::move(out)), err_(std::move(err)) {
  host_.SetBoxSink([this](const ShownBox& box) { PrintBox(box); });
}

ScriptDriver::~ScriptDriver() { host_.SetBoxSink(nullptr); }

void ScriptDriver::FlushBoxes() { host_.FlushBoxes(); }

void ScriptDriver::PrintBox(const ShownBox& box) { out_(MessageBoxLine(box)); }

void ScriptDriver::Fail(const std::string& message) {
  std::string line = "line " + std::to_string(lineNumber_) + ": " + message;
  err_(line);
  failures_.push_back(std::move(line));
}

bool ScriptDriver::Run(std::string_view line) {
  ++lineNumber_;
  FlushBoxes();
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string_view rest = line;
  SkipBlanks(&rest);
  if (rest.empty() || rest.front() == '#') return true;
  std::string_view command = NextWord(&rest);
  Commands commands(*this, rest);
  std::string error = commands.Run(command);
  FlushBoxes();
  if (!error.empty()) {
    Fail(std::string(line) + ": " + error);
    return false;
  }
  if (!commands.Mismatch().empty()) {
    Fail(commands.Mismatch());
    return false;
  }
  return true;
}

}  // namespace vorenn::driver
