// The one road to the game server: CallServer posts a request text to the server address and
// parses the JSON answer, handling the two codes that concern the whole client.
#pragma once

#include <memory>
#include <string>

namespace vorenn {
class JsonValue;
}

namespace vorenn::game {

// Performs one exchange. A transport failure or an answer that is not JSON shows "错误信息：" with
// the parser's message and the answer, and gives an empty value. Code "-1" (no character yet) shows
// the creation box and gives an empty value; code "-2" (signed out by the server) resets the game,
// shows the login form and the server's message, and gives the answer.
std::unique_ptr<JsonValue> CallServer(const std::string& query);
// CallServer from the moment the answer's bytes have arrived: the parse and the "-1"/"-2" handling.
std::unique_ptr<JsonValue> HandleAnswer(const std::string& text);

// The caller rule's pieces: whether the answer carries "b", whether "b" reads "1", and the
// server's message "t" (escapes decoded) in a box.
bool HasResult(const JsonValue& answer);
bool IsSuccess(const JsonValue& answer);
void ShowServerMessage(const JsonValue& answer);
// A member read as text ("" when absent).
std::string MemberText(const JsonValue& value, const char* name);
// The same with "\u" escapes decoded.
std::string DecodedMemberText(const JsonValue& value, const char* name);

}  // namespace vorenn::game
