#include "web/request_headers.h"

#include "commands/text_commands.h"

namespace vorenn {
namespace {

bool Contains(std::string_view headers, std::string_view probe) {
  return FindText(headers, probe, 1, CaseMode::kIgnoreAscii) >= 1;
}

constexpr std::string_view kDefaultAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
constexpr std::string_view kDefaultLanguage = "Accept-Language: zh-cn\r\n";
constexpr std::string_view kDefaultContentType = "Content-Type: application/x-www-form-urlencoded\r\n";

}  // namespace

std::string CompleteHeaders(std::string_view extraHeaders, std::string_view url) {
  std::string h(extraHeaders);
  if (!Contains(h, "Accept: ")) h += kDefaultAccept;
  if (!Contains(h, "Referer: ")) {
    h += "Referer: ";
    h += url;
    h += "\r\n";
  }
  if (!Contains(h, "Accept-Language: ")) h += kDefaultLanguage;
  return h;
}

void AddPostHeaders(std::string& headers, size_t bodyLength) {
  if (!Contains(headers, "Content-Type: ")) headers += kDefaultContentType;
  headers += "Content-Length: " + std::to_string(bodyLength) + "\r\n";
}

RequestMethod ClassifyMethod(std::string_view method) {
  std::string upper = ToUpper(method);
  if (upper.empty() || upper == "GET") return RequestMethod::Get;
  if (upper == "POST") return RequestMethod::Post;
  return RequestMethod::Unsupported;
}

bool IsSupplied(std::string_view text) { return !RemoveAllSpaces(text).empty(); }

}  // namespace vorenn
