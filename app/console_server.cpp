#include "app/console_server.h"

#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace lumora {

namespace {

bool makeAddress(const std::string& path, sockaddr_un& a) {
  std::memset(&a, 0, sizeof a);
  a.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof a.sun_path) return false;
  std::memcpy(a.sun_path, path.data(), path.size());
  return true;
}

std::string errnoText(int e) { return std::strerror(e); }

}  // namespace

std::unique_ptr<ConsoleServer> ConsoleServer::Open(const std::string& path, std::string& error) {
  sockaddr_un addr{};
  if (!makeAddress(path, addr)) {
    error = path.empty() ? "no socket path given" : path + ": socket path too long";
    return nullptr;
  }
  struct stat st{};
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      error = path + " exists and is not a socket; not replacing it";
      return nullptr;
    }
    // A socket file: in use by a running desk, or left behind by one that is
    // gone (then nobody accepts on it and it may be replaced).
    int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
      error = "cannot make a socket: " + errnoText(errno);
      return nullptr;
    }
    const int r = connect(probe, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    const int e = errno;
    close(probe);
    if (r == 0 || e == EAGAIN) {
      error = "another desk is already running on " + path;
      return nullptr;
    }
    if (e != ECONNREFUSED) {
      error = path + ": cannot check the socket that is there: " + errnoText(e);
      return nullptr;
    }
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
      error = path + ": cannot remove the stale socket: " + errnoText(errno);
      return nullptr;
    }
  }

  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = "cannot make a socket: " + errnoText(errno);
    return nullptr;
  }
  // Only the desk's own user may drive it: the file is made 0600 from the
  // start, not narrowed after others could have connected.
  const mode_t old = umask(0177);
  const int b = bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  const int be = errno;
  umask(old);
  if (b != 0) {
    close(fd);
    error = be == EADDRINUSE ? "another desk is already running on " + path
                             : "cannot make the socket " + path + ": " + errnoText(be);
    return nullptr;
  }
  if (chmod(path.c_str(), 0600) != 0 || listen(fd, 16) != 0 || lstat(path.c_str(), &st) != 0) {
    const int e = errno;
    close(fd);
    unlink(path.c_str());
    error = "cannot listen on " + path + ": " + errnoText(e);
    return nullptr;
  }
  int ep = epoll_create1(EPOLL_CLOEXEC);
  epoll_event ev{};
  ev.events = EPOLLIN;
  ev.data.fd = fd;
  if (ep < 0 || epoll_ctl(ep, EPOLL_CTL_ADD, fd, &ev) != 0) {
    const int e = errno;
    if (ep >= 0) close(ep);
    close(fd);
    unlink(path.c_str());
    error = "cannot watch the socket: " + errnoText(e);
    return nullptr;
  }
  return std::unique_ptr<ConsoleServer>(new ConsoleServer(path, fd, ep, st.st_dev, st.st_ino));
}

ConsoleServer::ConsoleServer(std::string path, int listenFd, int epollFd, dev_t dev, ino_t ino)
    : path_(std::move(path)), listen_(listenFd), epoll_(epollFd), dev_(dev), ino_(ino) {}

ConsoleServer::~ConsoleServer() {
  closeAll();
  close(listen_);
  close(epoll_);
  // Only our own socket file goes; anything put there since stays.
  struct stat st{};
  if (lstat(path_.c_str(), &st) == 0 && st.st_dev == dev_ && st.st_ino == ino_) unlink(path_.c_str());
}

void ConsoleServer::closeAll() {
  for (auto& c : clients_) {
    writeTo(*c);
    close(c->fd);
  }
  clients_.clear();
}

void ConsoleServer::acceptAll() {
  for (;;) {
    int fd = accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;  // EAGAIN, or a client that went before we took it
    if (clients_.size() >= kMaxClients) {
      static const char kFull[] = "err too many clients\n";
      (void)!send(fd, kFull, sizeof kFull - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
      close(fd);
      continue;
    }
    auto c = std::make_unique<Client>();
    c->fd = fd;
    c->events = EPOLLIN;
    epoll_event ev{};
    ev.events = c->events;
    ev.data.fd = fd;
    if (epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &ev) != 0) {
      close(fd);
      continue;
    }
    clients_.push_back(std::move(c));
  }
}

void ConsoleServer::readFrom(Client& c) {
  if (c.readClosed || c.dead) return;
  // One chunk per turn: a client cannot keep the loop reading.
  char buf[64 * 1024];
  const ssize_t n = recv(c.fd, buf, sizeof buf, MSG_DONTWAIT);
  if (n < 0) {
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) c.dead = true;
    return;
  }
  if (n == 0) {
    // Gone, or done sending: what is complete still runs; half a line never.
    c.readClosed = true;
    const std::size_t nl = c.in.rfind('\n');
    c.in.erase(nl == std::string::npos ? 0 : nl + 1);
    return;
  }
  c.in.append(buf, static_cast<std::size_t>(n));
  if (c.in.find('\n') == std::string::npos && c.in.size() > kMaxLine) {
    c.in.clear();
    c.out += "err line too long\n";
    c.readClosed = true;
    c.drop = true;
  }
}

void ConsoleServer::writeTo(Client& c) {
  while (!c.out.empty() && !c.dead) {
    const ssize_t n = send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      c.out.erase(0, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) c.dead = true;
      return;
    }
  }
}

bool ConsoleServer::hasLine(const Client& c) const {
  return !c.dead && !c.drop && c.in.find('\n') != std::string::npos;
}

bool ConsoleServer::nextLine(Client& c, std::string& line) {
  const std::size_t nl = c.in.find('\n');
  if (nl == std::string::npos) return false;
  if (nl > kMaxLine) {
    c.in.clear();
    c.out += "err line too long\n";
    c.readClosed = true;
    c.drop = true;
    return false;
  }
  line.assign(c.in, 0, nl);
  c.in.erase(0, nl + 1);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

void ConsoleServer::runCommands() {
  int budget = kCommandsPerService;
  bool progress = true;
  while (budget > 0 && progress && handler_ && !held_) {
    progress = false;
    const std::size_t n = clients_.size();
    for (std::size_t k = 0; k < n && budget > 0 && !held_; ++k) {
      const std::size_t i = (nextTurn_ + k) % n;
      if (i >= clients_.size()) continue;
      Client& c = *clients_[i];
      if (!hasLine(c) || c.out.size() >= kMaxOutput) continue;
      std::string line;
      if (!nextLine(c, line)) continue;
      for (const std::string& l : handler_(line)) {
        c.out += l;
        c.out += '\n';
      }
      writeTo(c);
      --budget;
      progress = true;
      nextTurn_ = i + 1;
    }
  }
}

bool ConsoleServer::backlog() const {
  if (!handler_ || held_) return false;
  for (const auto& c : clients_)
    if (hasLine(*c) && c->out.size() < kMaxOutput) return true;
  return false;
}

void ConsoleServer::updateInterest(Client& c) {
  uint32_t want = 0;
  // A client with a command waiting, or with a full output buffer, is not
  // read further: its later lines wait in the socket.
  if (!c.readClosed && !c.drop && !hasLine(c) && c.out.size() < kMaxOutput) want |= EPOLLIN;
  if (!c.out.empty()) want |= EPOLLOUT;
  if (want == c.events) return;
  epoll_event ev{};
  ev.events = want;
  ev.data.fd = c.fd;
  if (epoll_ctl(epoll_, EPOLL_CTL_MOD, c.fd, &ev) != 0) c.dead = true;
  c.events = want;
}

void ConsoleServer::reap() {
  for (auto it = clients_.begin(); it != clients_.end();) {
    Client& c = **it;
    const bool finished = (c.readClosed || c.drop) && c.out.empty() && !hasLine(c);
    if (c.dead || finished) {
      epoll_ctl(epoll_, EPOLL_CTL_DEL, c.fd, nullptr);
      close(c.fd);
      it = clients_.erase(it);
    } else {
      ++it;
    }
  }
}

void ConsoleServer::service() {
  epoll_event evs[kMaxClients + 1];
  const int n = epoll_wait(epoll_, evs, static_cast<int>(kMaxClients + 1), 0);
  for (int i = 0; i < n; ++i) {
    const int fd = evs[i].data.fd;
    if (fd == listen_) {
      acceptAll();
      continue;
    }
    auto it = std::find_if(clients_.begin(), clients_.end(), [fd](const auto& c) { return c->fd == fd; });
    if (it == clients_.end()) continue;
    Client& c = **it;
    if (evs[i].events & EPOLLOUT) writeTo(c);
    if (evs[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR)) {
      if (c.readClosed) {
        // Nothing more to read; a hang-up shows in the next write.
        if (c.out.empty()) c.dead = c.dead || (evs[i].events & EPOLLERR) != 0;
      } else {
        readFrom(c);
      }
    }
  }
  runCommands();
  for (auto& c : clients_) {
    writeTo(*c);
    updateInterest(*c);
  }
  reap();
}

}  // namespace lumora
