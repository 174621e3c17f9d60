// The request texts the game posts to the server: pairs of key, "=" and value joined by "&", in a
// fixed order with fixed pieces. Every value is form-encoded (FormEncode), so a value holding "&",
// "=", "%" or "+" reaches the server whole; keys and fixed pieces are written as they are.
#pragma once

#include <string>
#include <string_view>

namespace vorenn::game {

// Bytes other than ASCII letters, digits and "-._~" become "%" and two upper-case hexadecimal
// digits (each byte of a GBK character on its own).
std::string FormEncode(std::string_view value);

std::string LoginRequest(std::string_view account, std::string_view password);
std::string RegisterRequest(std::string_view account, std::string_view password, std::string_view email);
std::string ChangePasswordRequest(std::string_view account, std::string_view oldPassword,
                                  std::string_view newPassword);
std::string EnterGameRequest(std::string_view token);
std::string CreateCharacterRequest(std::string_view name, std::string_view token);
std::string UserInfoRequest(std::string_view token);
std::string RankingRequest(std::string_view token);
// `skillId` is the row number already written as text.
std::string LevelUpRequest(std::string_view skillId, std::string_view token);

}  // namespace vorenn::game
