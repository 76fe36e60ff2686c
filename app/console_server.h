// The console over a Unix domain socket: any number of local clients, each
// sending command lines and reading the reply lines, served on the UI thread
// without ever waiting for a client. Every socket is non-blocking; a client
// has its own input and output buffers, and commands of several clients are
// run by whole lines, taking turns.
//
// Limits: a line longer than kMaxLine is answered `err line too long` and the
// client is dropped; a client that does not read its replies is no longer
// served once kMaxOutput bytes wait for it (its later commands wait in the
// socket), and is dropped when it goes; at most kMaxClients at once (a further
// one is told `err too many clients` and closed). A client that disconnects
// in the middle of a line has that part thrown away: half a command never
// runs.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumora {

class ConsoleServer {
 public:
  static constexpr std::size_t kMaxLine = 64 * 1024;
  static constexpr std::size_t kMaxOutput = 1024 * 1024;
  static constexpr std::size_t kMaxClients = 16;
  // Commands run per service() call at most, so a client pouring in lines
  // cannot hold up the timers.
  static constexpr int kCommandsPerService = 32;

  // Runs one command line; returns its output lines, the reply last.
  using Handler = std::function<std::vector<std::string>(const std::string& line)>;

  // Makes the socket at `path` (file mode 0600). A socket file left by a desk
  // that is gone is replaced; a live desk on it, or any other file there, is
  // refused with a reason in `error` and null returned.
  static std::unique_ptr<ConsoleServer> Open(const std::string& path, std::string& error);
  ~ConsoleServer();
  ConsoleServer(const ConsoleServer&) = delete;
  ConsoleServer& operator=(const ConsoleServer&) = delete;

  void setHandler(Handler h) { handler_ = std::move(h); }
  // No further commands run (the desk is ending); replies already made are
  // still written.
  void hold() { held_ = true; }
  // Readable when a client or the listening socket needs service (an epoll
  // descriptor: hosts watch this one file descriptor).
  int fd() const { return epoll_; }
  // Accepts, reads, runs waiting commands (up to kCommandsPerService) and
  // writes what the sockets take. Never blocks.
  void service();
  // Complete command lines are waiting: call service() again soon.
  bool backlog() const;
  std::size_t clientCount() const { return clients_.size(); }
  const std::string& path() const { return path_; }
  // Writes what the sockets take now and closes every client (end of run).
  void closeAll();

 private:
  struct Client {
    int fd = -1;
    std::string in;
    std::string out;
    bool readClosed = false;  // end of input seen (or reading stopped)
    bool drop = false;        // close once `out` is written
    bool dead = false;        // close now
    uint32_t events = 0;      // epoll interest
  };

  ConsoleServer(std::string path, int listenFd, int epollFd, dev_t dev, ino_t ino);
  void acceptAll();
  void readFrom(Client& c);
  void writeTo(Client& c);
  bool nextLine(Client& c, std::string& line);
  bool hasLine(const Client& c) const;
  void runCommands();
  void updateInterest(Client& c);
  void reap();

  std::string path_;
  int listen_ = -1;
  int epoll_ = -1;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
  Handler handler_;
  bool held_ = false;
  std::vector<std::unique_ptr<Client>> clients_;
  std::size_t nextTurn_ = 0;
};

}  // namespace lumora
