// The attacker of scripts/levelup-flood: keeps CONNS keep-alive connections from SOURCE each sending
// `m=user&a=lvup` again as soon as the last one is answered, for SECONDS; then prints its rate and
// the answers' codes. Built by that script with the system's compiler.
//   levelup-flood-attacker PORT SOURCE CONNS SECONDS random|fixed [TOKEN]
// random: a fresh well-formed token per request; fixed: TOKEN every time.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

struct Conn {
  int fd = -1;
  std::string out;
  size_t sent = 0;
  std::string in;
};

static int port;
static const char* source;
static std::string mode, fixedToken;
static std::mt19937_64 rng(12345);
static std::map<std::string, long> codes;
static long answered = 0, connectFails = 0;

static std::string Token() {
  if (mode == "fixed") return fixedToken;
  static const char* hex = "0123456789abcdef";
  std::string t(32, '0');
  uint64_t a = rng(), b = rng();
  for (int i = 0; i < 16; ++i) t[i] = hex[(a >> (4 * i)) & 15], t[16 + i] = hex[(b >> (4 * i)) & 15];
  return t;
}

static std::string Request() {
  std::string body = "m=user&a=lvup&md5=" + Token() + "&id=" + std::to_string(1 + rng() % 8);
  return "POST /game/do.php HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
         "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

static int Open(int ep, Conn& c) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  sockaddr_in src{};
  src.sin_family = AF_INET;
  inet_pton(AF_INET, source, &src.sin_addr);
  int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  if (bind(fd, (sockaddr*)&src, sizeof src) != 0) { perror("bind"); exit(1); }
  sockaddr_in dst{};
  dst.sin_family = AF_INET;
  dst.sin_port = htons(port);
  inet_pton(AF_INET, "127.0.0.1", &dst.sin_addr);
  connect(fd, (sockaddr*)&dst, sizeof dst);
  c.fd = fd;
  c.out = Request();
  c.sent = 0;
  c.in.clear();
  epoll_event ev{};
  ev.events = EPOLLOUT | EPOLLIN;
  ev.data.ptr = &c;
  epoll_ctl(ep, EPOLL_CTL_ADD, fd, &ev);
  return fd;
}

static void Reopen(int ep, Conn& c) {
  epoll_ctl(ep, EPOLL_CTL_DEL, c.fd, nullptr);
  close(c.fd);
  ++connectFails;
  Open(ep, c);
}

int main(int argc, char** argv) {
  if (argc < 6) return 2;
  port = atoi(argv[1]);
  source = argv[2];
  int conns = atoi(argv[3]);
  double seconds = atof(argv[4]);
  mode = argv[5];
  if (argc > 6) fixedToken = argv[6];
  int ep = epoll_create1(0);
  std::vector<Conn> all(conns);
  for (auto& c : all) Open(ep, c);
  auto start = std::chrono::steady_clock::now();
  auto end = start + std::chrono::duration<double>(seconds);
  std::vector<epoll_event> events(1024);
  char buf[65536];
  while (std::chrono::steady_clock::now() < end) {
    int n = epoll_wait(ep, events.data(), events.size(), 100);
    for (int i = 0; i < n; ++i) {
      Conn& c = *(Conn*)events[i].data.ptr;
      if (events[i].events & (EPOLLERR | EPOLLHUP)) { Reopen(ep, c); continue; }
      if ((events[i].events & EPOLLOUT) && c.sent < c.out.size()) {
        ssize_t w = send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL);
        if (w > 0) c.sent += w;
        else if (errno != EAGAIN) { Reopen(ep, c); continue; }
        if (c.sent == c.out.size()) {
          epoll_event ev{};
          ev.events = EPOLLIN;
          ev.data.ptr = &c;
          epoll_ctl(ep, EPOLL_CTL_MOD, c.fd, &ev);
        }
      }
      if (events[i].events & EPOLLIN) {
        ssize_t r = recv(c.fd, buf, sizeof buf, 0);
        if (r <= 0) { if (r == 0 || errno != EAGAIN) Reopen(ep, c); continue; }
        c.in.append(buf, r);
        size_t head = c.in.find("\r\n\r\n");
        if (head == std::string::npos) continue;
        size_t cl = c.in.find("Content-Length: ");
        if (cl == std::string::npos || cl > head) { Reopen(ep, c); continue; }
        size_t len = strtoul(c.in.c_str() + cl + 16, nullptr, 10);
        if (c.in.size() < head + 4 + len) continue;
        std::string body = c.in.substr(head + 4, len);
        size_t b = body.find("\"b\":\"");
        std::string code = b == std::string::npos ? "?" : body.substr(b + 5, body.find('"', b + 5) - b - 5);
        ++codes[code];
        ++answered;
        c.in.erase(0, head + 4 + len);
        c.out = Request();
        c.sent = 0;
        epoll_event ev{};
        ev.events = EPOLLOUT | EPOLLIN;
        ev.data.ptr = &c;
        epoll_ctl(ep, EPOLL_CTL_MOD, c.fd, &ev);
      }
    }
  }
  double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  printf("attacker: %ld answers in %.1f s = %.0f/s, reconnects %ld, codes:", answered, took, answered / took,
         connectFails);
  for (auto& [k, v] : codes) printf(" %s=%ld", k.c_str(), v);
  printf("\n");
}
