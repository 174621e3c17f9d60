#include "game/request_text.h"

namespace vorenn::game {
namespace {

bool KeptAsIs(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

// Appends a literal piece and then a value.
class Query {
 public:
  Query& Piece(std::string_view piece) {
    text_ += piece;
    return *this;
  }
  Query& Value(std::string_view value) {
    text_ += FormEncode(value);
    return *this;
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

}  // namespace

std::string FormEncode(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size());
  for (char ch : value) {
    auto c = static_cast<unsigned char>(ch);
    if (KeptAsIs(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

std::string LoginRequest(std::string_view account, std::string_view password) {
  return Query()
      .Piece("m=login&a=login&username=").Value(account)
      .Piece("&password=").Value(password)
      .Piece("&lv=1.0")
      .Take();
}

std::string RegisterRequest(std::string_view account, std::string_view password, std::string_view email) {
  return Query()
      .Piece("m=login&a=register&username=").Value(account)
      .Piece("&password=").Value(password)
      .Piece("&email=").Value(email)
      .Take();
}

std::string ChangePasswordRequest(std::string_view account, std::string_view oldPassword,
                                  std::string_view newPassword) {
  return Query()
      .Piece("m=login&a=xiugai&username=").Value(account)
      .Piece("&password=").Value(oldPassword)
      .Piece("&newpassword=").Value(newPassword)
      .Take();
}

std::string EnterGameRequest(std::string_view token) {
  return Query().Piece("m=user&a=login&md5=").Value(token).Take();
}

std::string CreateCharacterRequest(std::string_view name, std::string_view token) {
  return Query().Piece("m=user&a=reg&name=").Value(name).Piece("&md5=").Value(token).Take();
}

std::string UserInfoRequest(std::string_view token) { return Query().Piece("m=user&a=xin&md5=").Value(token).Take(); }

std::string RankingRequest(std::string_view token) { return Query().Piece("m=user&a=phb&md5=").Value(token).Take(); }

std::string LevelUpRequest(std::string_view skillId, std::string_view token) {
  return Query().Piece("m=user&a=lvup&id=").Value(skillId).Piece("&md5=").Value(token).Take();
}

}  // namespace vorenn::game
