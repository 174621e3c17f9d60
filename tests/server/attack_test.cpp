// Hostile values in every field of every request: each one is refused with a JSON failure answer,
// the server keeps serving, and the database is exactly as it was.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>

#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

// Every row of every table, in a fixed order: equal texts mean an unchanged database.
std::string DumpDatabase(const std::string& url) {
  sqlite3* db = nullptr;
  std::string dump;
  if (sqlite3_open_v2(url.substr(7).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return "?";
  for (const char* sql : {"SELECT * FROM accounts ORDER BY id", "SELECT * FROM sessions ORDER BY token_digest",
                          "SELECT * FROM characters ORDER BY account_id",
                          "SELECT * FROM skills ORDER BY account_id, skill_id"}) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const unsigned char* text = sqlite3_column_text(stmt, i);
        dump += text ? reinterpret_cast<const char*>(text) : "NULL";
        dump += '|';
      }
      dump += '\n';
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return dump;
}

// Sends raw bytes and returns the server's answer: one whole response, or what came before it
// closed. (The sending side stays open: the library does not answer a client that half-closed.)
std::string RawExchange(int port, const std::string& request) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{2, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  std::string answer;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char buffer[4096];
    for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
      answer.append(buffer, got);
      size_t head = answer.find("\r\n\r\n");
      size_t length = answer.find("Content-Length: ");
      if (head != std::string::npos && length != std::string::npos &&
          answer.size() >= head + 4 + std::stoul(answer.substr(length + 16))) {
        break;
      }
    }
  }
  close(fd);
  return answer;
}

TEST(HostileInput, EveryFieldRefusesWithoutChangingTheDatabase) {
  TestServer server;
  std::string owner = server.NewPlayer("owner", "hero");
  server.Post("m=login&a=register&username=second&password=secret1");
  std::string second = server.Post("m=login&a=login&username=second&password=secret1")["md5"];
  ASSERT_EQ(owner.size(), 32u);
  ASSERT_EQ(second.size(), 32u);
  std::string upper = owner;
  for (char& c : upper) c = static_cast<char>(std::toupper(c));
  const std::string sql = "%27%20OR%20%271%27%3D%271";  // ' OR '1'='1
  const std::string drop = "x%27%3BDROP%20TABLE%20accounts%3B--";

  struct Row {
    std::string body;
    const char* code;
    const char* text = "";  // empty: any non-empty explanation
  } rows[] = {
      // login/register: username, password, email
      {"m=login&a=register&username=" + drop + "&password=secret1", "0"},
      {"m=login&a=register&username=admin%27--&password=secret1", "0"},
      {"m=login&a=register&username=" + std::string(21, 'a') + "&password=secret1", "0"},
      {"m=login&a=register&username=" + std::string(4000, 'a') + "&password=secret1", "0"},
      {"m=login&a=register&username=ab%FF%FF&password=secret1", "0", "包含无效的字符"},
      {"m=login&a=register&username=abc%81&password=secret1", "0"},
      {"m=login&a=register&username=%00abc&password=secret1", "0", "请求格式错误"},
      {"m=login&a=register&username=abc%2500&password=secret1", "0"},
      {"m=login&a=register&username=abc%4&password=secret1", "0"},
      {"m=login&a=register&username=abc%&password=secret1", "0"},
      {"m=login&a=register&username=owner&username=fresh1&password=secret1", "0", "账号已存在"},
      {"m=login&a=register&username=fresh2&password=secret%01x", "0", "包含无效的字符"},
      {"m=login&a=register&username=fresh3&password=secret%00x", "0", "请求格式错误"},
      {"m=login&a=register&username=fresh4&password=" + std::string(65, 'p'), "0"},
      {"m=login&a=register&username=fresh5&password=pass%FF%FFword", "0", "包含无效的字符"},
      {"m=login&a=register&username=fresh6&password=secret1&email=a%40b%40c", "0", "邮箱格式不正确"},
      {"m=login&a=register&username=fresh7&password=secret1&email=%40ab", "0", "邮箱格式不正确"},
      {"m=login&a=register&username=fresh8&password=secret1&email=" + std::string(60, 'e') + "%40abcde", "0"},
      {"m=login&a=register&username=fresh9&password=secret1&email=a%0A%40b", "0", "包含无效的字符"},
      {"m=login&a=register&username=fresh10&password=secret1&email=a%40b%00", "0", "请求格式错误"},
      {"m=login&a=register&username=fresh11", "0", "缺少参数：password"},
      // login/login and login/xiugai
      {"m=login&a=login&username=owner&password=" + sql, "0"},
      {"m=login&a=login&username=" + drop + "&password=secret1", "0", "账号或密码错误"},
      {"m=login&a=login&username=owner%00&password=secret1", "0", "请求格式错误"},
      {"m=login&a=login&username=second&password=secret1%00", "0", "请求格式错误"},
      {"m=login&a=xiugai&username=second&password=" + sql + "&newpassword=better1", "0"},
      {"m=login&a=xiugai&username=second&password=secret1&newpassword=new%00pass", "0", "请求格式错误"},
      {"m=login&a=xiugai&username=second&password=secret1&newpassword=" + std::string(65, 'n'), "0"},
      {"m=login&a=xiugai&username=second&password=secret1&newpassword=ab%01cdefg", "0"},
      // md5 in every signed-in request
      {"m=user&a=xin&md5=" + sql, "-2"},
      {"m=user&a=xin&md5=" + owner + "0", "-2"},
      {"m=user&a=xin&md5=" + owner.substr(1), "-2"},
      {"m=user&a=xin&md5=" + upper, "-2"},
      {"m=user&a=xin&md5=bad&md5=" + owner, "-2"},
      {"m=user&a=phb&md5=" + owner.substr(0, 31) + "%", "-2"},
      {"m=user&a=login&md5=" + owner + "%00", "0", "请求格式错误"},
      {"m=user&a=lvup&id=1&md5=" + std::string(6000, 'f'), "-2"},
      // user/reg: name
      {"m=user&a=reg&name=" + drop + "&md5=" + second, "0"},
      {"m=user&a=reg&name=" + std::string(17, 'n') + "&md5=" + second, "0"},
      {"m=user&a=reg&name=na%0Ame&md5=" + second, "0", "包含无效的字符"},
      {"m=user&a=reg&name=na%7Fme&md5=" + second, "0", "包含无效的字符"},
      {"m=user&a=reg&name=%FF%FE&md5=" + second, "0", "包含无效的字符"},
      {"m=user&a=reg&name=%00&md5=" + second, "0", "请求格式错误"},
      {"m=user&a=reg&name=&md5=" + second, "0"},
      {"m=user&a=reg&name=other&md5=" + owner, "0", "已经创建过角色"},
      {"m=user&a=reg&name=hero&md5=" + second, "0", "角色名已被使用"},
      // user/lvup: id (the owner has earned nothing yet, so a well-formed id is unaffordable)
      {"m=user&a=lvup&id=-1&md5=" + owner, "0", "技能不存在"},
      {"m=user&a=lvup&id=0&md5=" + owner, "0", "技能不存在"},
      {"m=user&a=lvup&id=99999999999999999999&md5=" + owner, "0", "技能不存在"},
      {"m=user&a=lvup&id=4294967297&md5=" + owner, "0", "技能不存在"},
      {"m=user&a=lvup&id=1e0&md5=" + owner, "0", "技能不存在"},
      {"m=user&a=lvup&id=%2B1&md5=" + owner, "0", "技能不存在"},
      {"m=user&a=lvup&id=%201&md5=" + owner, "0", "技能不存在"},
      {"m=user&a=lvup&id=0x1&md5=" + owner, "0", "技能不存在"},
      {"m=user&a=lvup&id=1%27%20OR%201%3D1&md5=" + owner, "0", "技能不存在"},
      {"m=user&a=lvup&id=%A3%B1&md5=" + owner, "0", "技能不存在"},
      {"m=user&a=lvup&id=&md5=" + owner, "0", "技能不存在"},
      {"m=user&a=lvup&id=1%00&md5=" + owner, "0", "请求格式错误"},
      {"m=user&a=lvup&id=1&id=9&md5=" + owner, "0", "经验不足"},
      {"m=user&a=lvup&id=1&md5=" + second, "-1"},
      // m and a themselves
      {"m=user%00&a=xin&md5=" + owner, "0", "请求格式错误"},
      {"m%00=user&a=xin&md5=" + owner, "0", "请求格式错误"},
      {"m=USER&a=XIN&md5=" + owner, "0", "未知的请求"},
      {"m=user&a=xin%20&md5=" + owner, "0", "未知的请求"},
      {"m=user&a=" + sql + "&md5=" + owner, "0", "未知的请求"},
      {"m=login&m=user&a=xin&md5=" + owner, "0", "未知的请求"},
      {"&&&=&=&m&a", "0", "未知的请求"},
  };
  std::string before = DumpDatabase(server.kit.url);
  ASSERT_NE(before, "?");
  for (const Row& row : rows) {
    auto result = server.Raw(row.body);
    std::string shown = row.body.substr(0, 120);
    ASSERT_TRUE(result) << shown;
    EXPECT_EQ(result->status, 200) << shown;
    auto answer = nlohmann::json::parse(result->body, nullptr, false);
    ASSERT_TRUE(answer.is_object()) << shown << " -> " << result->body;
    EXPECT_EQ(answer.value("b", "<none>"), row.code) << shown;
    if (*row.text) EXPECT_EQ(answer.value("t", ""), row.text) << shown;
    else EXPECT_FALSE(answer.value("t", "").empty()) << shown;
    EXPECT_EQ(DumpDatabase(server.kit.url), before) << shown << ": the database changed";
  }
  // The accounts still work with their own passwords.
  server.clock.Advance(61);  // past any sign-in throttling the wrong passwords caused
  EXPECT_EQ(server.Post("m=login&a=login&username=owner&password=secret1").value("b", ""), "1");
  EXPECT_EQ(server.Post("m=login&a=login&username=second&password=secret1").value("b", ""), "1");
}

TEST(HostileInput, MalformedHttpGetsAJsonRefusalOrNothingAndNeverA500) {
  TestServer server;
  std::string token = server.NewPlayer("owner", "hero");
  std::string before = DumpDatabase(server.kit.url);
  const std::string lvup = "m=user&a=lvup&id=1&md5=" + token;
  struct Row {
    const char* what;
    std::string request;
    const char* status = "";  // the status line's start when a particular answer is due
  } rows[] = {
      {"negative length", "POST /game/do.php HTTP/1.1\r\nHost: x\r\nContent-Length: -5\r\n\r\n" + lvup},
      {"huge length", "POST /game/do.php HTTP/1.1\r\nHost: x\r\nContent-Length: 99999999999999999999\r\n\r\n" + lvup},
      {"length past the body", "POST /game/do.php HTTP/1.1\r\nHost: x\r\nContent-Length: 500\r\n\r\n" + lvup},
      {"chunked past the limit", "POST /game/do.php HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n"
                                 "11000\r\n" + lvup + "&p=" + std::string(0x11000 - lvup.size() - 3, 'a') +
                                 "\r\n0\r\n\r\n", "HTTP/1.1 413"},
      {"bad chunk size", "POST /game/do.php HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n" + lvup},
      {"header line of 20 KiB", "POST /game/do.php HTTP/1.1\r\nHost: x\r\nX: " + std::string(20000, 'h') +
                                "\r\nContent-Length: " + std::to_string(lvup.size()) + "\r\n\r\n" + lvup},
      {"target of 20 KiB", "GET /game/do.php?" + std::string(20000, 'q') + " HTTP/1.1\r\nHost: x\r\n\r\n"},
      {"NUL in the target", std::string("GET /game/do.php?m=user\0&a=xin HTTP/1.1\r\nHost: x\r\n\r\n", 50)},
      {"no version", "GET /game/do.php\r\n\r\n"},
      {"garbage", "\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03"},
  };
  // Rows the server waits on (it cannot know the rest is never coming) cost the exchange's time-out,
  // so all are sent at once.
  std::vector<std::future<std::string>> answers;
  for (const Row& row : rows) {
    answers.push_back(std::async(std::launch::async, [&] { return RawExchange(server.port, row.request); }));
  }
  for (size_t i = 0; i < answers.size(); ++i) {
    const Row& row = rows[i];
    std::string answer = answers[i].get();
    EXPECT_EQ(answer.find(" 500 "), std::string::npos) << row.what;
    if (*row.status) {
      EXPECT_EQ(answer.rfind(row.status, 0), 0u) << row.what << " -> " << answer.substr(0, 200);
    }
    size_t body = answer.find("\r\n\r\n");
    if (answer.rfind("HTTP/1.1 200", 0) == 0 && body != std::string::npos) {
      auto json = nlohmann::json::parse(answer.substr(body + 4), nullptr, false);
      ASSERT_TRUE(json.is_object()) << row.what << " -> " << answer.substr(0, 200);
      EXPECT_NE(json.value("b", ""), "1") << row.what;
    }
  }
  EXPECT_EQ(DumpDatabase(server.kit.url), before) << "the database changed";
  EXPECT_EQ(server.Post("m=user&a=xin&md5=" + token).value("b", ""), "1");  // still serving
}

}  // namespace
}  // namespace vorenn::server::test
