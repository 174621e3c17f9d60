#include "game/server_call.h"

#include "engine/runtime/services.h"
#include "game/engine_calls.h"
#include "game/globals.h"
#include "json/json_parser.h"
#include "json/json_value.h"
#include "web/web_request.h"

namespace vorenn::game {
namespace {

std::string Exchange(const std::string& query) {
  void* body = ToBytes(query);
  WebRequestArgs args;
  args.method = "POST";
  args.body = body;
  void* answer = WebRequest(Globals().serverUrl.CStr(), args);
  Services().freeBlock(body);
  std::string text = BytesToText(answer);
  Services().freeBlock(answer);
  return text;
}

}  // namespace

std::string MemberText(const JsonValue& value, const char* name) { return value.GetMember(name)->AsText(); }

std::string DecodedMemberText(const JsonValue& value, const char* name) {
  return DecodeUnicodeEscapes(MemberText(value, name));
}

bool HasResult(const JsonValue& answer) { return !answer.GetMember("b")->IsNull(); }
bool IsSuccess(const JsonValue& answer) { return MemberText(answer, "b") == "1"; }
void ShowServerMessage(const JsonValue& answer) { ShowMessageBox(DecodedMemberText(answer, "t")); }

std::unique_ptr<JsonValue> CallServer(const std::string& query) { return HandleAnswer(Exchange(query)); }

std::unique_ptr<JsonValue> HandleAnswer(const std::string& text) {
  auto fallback = std::make_unique<JsonValue>();
  JsonParser parser;
  int32_t ok = 0;
  std::string error;
  std::unique_ptr<JsonValue> answer = parser.Parse(text, &ok, &error);
  if (ok == 0) {
    ShowMessageBox("错误信息：\r\n" + error + "\r\n错误内容：\r\n" + text);
    return fallback->Copy();
  }
  std::string code = MemberText(*answer, "b");
  if (code == "-1") {
    Account().ShowPanel(0);
    Game().ShowGame(1);
    Game().ShowCreatePanel(1);
    return fallback->Copy();
  }
  if (code == "-2") {
    Game().ResetGame();
    Game().ShowGame(0);
    Account().ShowPanel(1);
    Account().SetLoginMode(1);
    ShowServerMessage(*answer);
    return answer;
  }
  return answer;  // the caller's own: nothing else holds it, so it is not copied again
}

}  // namespace vorenn::game
