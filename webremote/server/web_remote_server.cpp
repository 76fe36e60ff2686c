// The web remote's server: Qt's HTTP server for the page and its two assets
// (compiled in as resources; no request path ever reaches the file system),
// a PIN sign-in that gives the browser a session cookie, and a WebSocket per
// signed-in page for its actions and the desk's state.
//
// Everything here runs on the server's own thread. The desk never sees a
// request: only actions that passed ParseRemoteMessage wait in the queue,
// and the desk takes them on its own thread.
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>
#include <QAbstractHttpServer>
#include <QElapsedTimer>

#include <atomic>
#include <clocale>
#include <cstring>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "webremote/remote_messages.h"
#include "webremote/remote_module.h"
#include "webremote/remote_http.h"

namespace lumora::webremote {

namespace {

using Status = QHttpServerResponder::StatusCode;

const QByteArray kCookieName = "lumora_remote";

// Cookie value of the given name from a Cookie header ("" when absent).
QByteArray CookieValue(const QByteArray& header, const QByteArray& name) {
  for (const QByteArray& part : header.split(';')) {
    const QByteArray p = part.trimmed();
    const int eq = p.indexOf('=');
    if (eq > 0 && p.left(eq) == name) return p.mid(eq + 1);
  }
  return {};
}

// Header lookup, case-insensitive (the request keeps the client's case).
QByteArray Header(const QHttpServerRequest& r, const QByteArray& key) {
  for (const auto& [k, v] : r.headers())
    if (k.compare(key, Qt::CaseInsensitive) == 0) return v;
  return {};
}

// Accepts connections for the HTTP server, at most kMaxConnections open at
// once, and refuses a request that grows past kMaxRequestBytes before the
// HTTP layer buffers it (Qt reads a whole request into memory).
class GuardedTcpServer : public QTcpServer {
 public:
  using QTcpServer::QTcpServer;

 protected:
  void incomingConnection(qintptr fd) override {
    auto* s = new QTcpSocket(this);
    if (!s->setSocketDescriptor(fd)) {
      delete s;
      return;
    }
    open_.removeAll(nullptr);
    if (open_.size() >= kMaxConnections) {
      s->write("HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
      s->disconnectFromHost();
      connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
      return;
    }
    open_.append(s);
    connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    // Connected before the HTTP server's own handler, so it sees the data
    // first. An upgraded WebSocket drops every connection of its socket; the
    // WebSocket's own message limits apply from then on.
    connect(s, &QTcpSocket::readyRead, s, [s] {
      // The first request line of a connection must look like HTTP/1.x
      // before the HTTP layer sees it (Qt would close without a word).
      if (!s->property("lineChecked").toBool()) {
        const QByteArray head = s->peek(kMaxUrlBytes + 64);
        const int eol = head.indexOf('\n');
        const RequestLine verdict = CheckRequestLine(std::string_view(head.constData(), static_cast<std::size_t>(
                                                                                           eol < 0 ? head.size() : eol)),
                                                     eol >= 0);
        if (verdict == RequestLine::Good) {
          s->setProperty("lineChecked", true);
        } else if (verdict != RequestLine::Incomplete || head.size() > static_cast<qsizetype>(kMaxUrlBytes + 32)) {
          const char* reply = verdict == RequestLine::BadVersion ? "505 HTTP Version Not Supported"
                              : verdict == RequestLine::Incomplete ? "414 URI Too Long"
                                                                   : "400 Bad Request";
          QObject::disconnect(s, &QTcpSocket::readyRead, nullptr, nullptr);
          s->readAll();
          s->write(QByteArray("HTTP/1.1 ") + reply + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
          s->disconnectFromHost();
          connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
          return;
        }
      }
      if (s->bytesAvailable() <= static_cast<qint64>(kMaxRequestBytes)) return;
      QObject::disconnect(s, &QTcpSocket::readyRead, nullptr, nullptr);
      s->readAll();
      s->write("HTTP/1.1 413 Payload Too Large\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
      s->disconnectFromHost();
      connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    });
    // A connection that sends nothing useful goes after a while (the HTTP
    // handler restarts this at each request and stops it for a WebSocket).
    auto* idle = new QTimer(s);
    idle->setObjectName(QStringLiteral("idle"));
    idle->setSingleShot(true);
    idle->start(kIdleConnectionMs);
    connect(idle, &QTimer::timeout, s, [s] { s->abort(); });
    addPendingConnection(s);
  }

 private:
  QList<QPointer<QTcpSocket>> open_;
};

struct Client {
  QWebSocket* socket = nullptr;
  double tokens = kRateBurst;
  QElapsedTimer refill;
  int refused = 0;
  uint32_t held = 0;  // buttons pressed and not yet released
};

class WebRemote : public QAbstractHttpServer {
 public:
  WebRemote(const LumoraRemoteConfig& cfg, QObject* parent = nullptr)
      : QAbstractHttpServer(parent), pin_(QByteArray(cfg.pin)), wake_(cfg.wake), host_(cfg.host) {
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &WebRemote::acceptWebSockets);
  }

  ~WebRemote() override {
    for (Client& c : clients_) {
      c.socket->disconnect(this);
      c.socket->close(QWebSocketProtocol::CloseCodeGoingAway, "remote switched off");
      delete c.socket;
    }
    clients_.clear();
    clientCount.store(0);
  }

  bool start(const QHostAddress& address, int port, QString& error) {
    auto* tcp = new GuardedTcpServer(this);
    if (!tcp->listen(address, static_cast<quint16>(port))) {
      error = tcp->errorString();
      delete tcp;
      return false;
    }
    bind(tcp);
    return true;
  }

  // Desk thread: the latest state; sent to every client on the server thread.
  void publish(QByteArray json) {
    {
      std::lock_guard<std::mutex> l(stateLock_);
      state_ = std::move(json);
    }
    QMetaObject::invokeMethod(this, [this] { broadcast(); }, Qt::QueuedConnection);
  }

  // Desk thread: the next waiting action.
  bool take(RemoteAction& out) {
    std::lock_guard<std::mutex> l(queueLock_);
    if (queue_.empty()) return false;
    out = queue_.front();
    queue_.pop_front();
    return true;
  }

  std::atomic<int> clientCount{0};

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
    QHttpServerResponder r = makeResponder(request, socket);
    upgrading_ = Header(request, "upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
    if (auto* idle = socket->findChild<QTimer*>(QStringLiteral("idle"))) idle->start(kIdleConnectionMs);
    const QByteArray path = request.url().path(QUrl::FullyEncoded).toUtf8();
    // Limits first: nothing too large is looked at further.
    if (request.url().toEncoded().size() > static_cast<qsizetype>(kMaxUrlBytes)) return refuse(r, Status::UriTooLong);
    qsizetype headerBytes = 0;
    for (const auto& [k, v] : request.headers()) headerBytes += k.size() + v.size() + 4;
    if (headerBytes > static_cast<qsizetype>(kMaxHeaderBytes)) return refuse(r, Status::RequestHeaderFieldsTooLarge);
    if (request.body().size() > static_cast<qsizetype>(kMaxBodyBytes) ||
        Header(request, "content-length").toLongLong() > static_cast<qint64>(kMaxBodyBytes))
      return refuse(r, Status::PayloadTooLarge);

    const RouteKind route = RouteOf(std::string_view(path.constData(), static_cast<std::size_t>(path.size())));
    const auto method = request.method();
    const bool get = method == QHttpServerRequest::Method::Get || method == QHttpServerRequest::Method::Head;
    const bool post = method == QHttpServerRequest::Method::Post;
    switch (route) {
      case RouteKind::Page:
      case RouteKind::Script:
      case RouteKind::Style: {
        if (!get) return refuse(r, Status::MethodNotAllowed, "GET");
        const char* file = route == RouteKind::Page ? ":/webremote/index.html"
                           : route == RouteKind::Script ? ":/webremote/remote.js"
                                                        : ":/webremote/remote.css";
        const char* type = route == RouteKind::Page ? "text/html; charset=utf-8"
                           : route == RouteKind::Script ? "text/javascript; charset=utf-8"
                                                        : "text/css; charset=utf-8";
        QFile f(QString::fromLatin1(file));
        if (!f.open(QIODevice::ReadOnly)) return refuse(r, Status::InternalServerError);
        return reply(r, Status::Ok, type, method == QHttpServerRequest::Method::Head ? QByteArray() : f.readAll());
      }
      case RouteKind::Session:
        if (!get) return refuse(r, Status::MethodNotAllowed, "GET");
        if (!signedIn(request)) return refuse(r, Status::Unauthorized);
        return reply(r, Status::Ok, "application/json", "{\"session\":true}");
      case RouteKind::State: {
        if (!get) return refuse(r, Status::MethodNotAllowed, "GET");
        if (!signedIn(request)) return refuse(r, Status::Unauthorized);
        std::lock_guard<std::mutex> l(stateLock_);
        return reply(r, Status::Ok, "application/json", state_.isEmpty() ? QByteArray("{}") : state_);
      }
      case RouteKind::Login:
        if (!post) return refuse(r, Status::MethodNotAllowed, "POST");
        return login(request, r);
      case RouteKind::Socket: {
        // A WebSocket is reached by an upgrade only. Qt's server asks this
        // handler first and upgrades afterwards: a refusal here answers with
        // its status and closes the connection before any upgrade.
        if (!upgrading_) return refuse(r, Status::UpgradeRequired);
        if (!SameOrigin(Header(request, "origin"), Header(request, "host"))) return refuse(r, Status::Forbidden);
        if (!signedIn(request)) return refuse(r, Status::Unauthorized);
        if (clients_.size() >= static_cast<std::size_t>(kMaxClients)) return refuse(r, Status::ServiceUnavailable);
        if (auto* idle = socket->findChild<QTimer*>(QStringLiteral("idle"))) idle->stop();
        return true;  // the upgrade follows
      }
      case RouteKind::None:
        break;
    }
    return refuse(r, Status::NotFound);
  }

  void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override {
    QHttpServerResponder r = makeResponder(request, socket);
    refuse(r, Status::NotFound);
  }

 private:
  bool reply(QHttpServerResponder& r, Status status, const QByteArray& type, const QByteArray& body,
             const QByteArray& extraName = {}, const QByteArray& extraValue = {}) {
    r.writeStatusLine(status);
    r.writeHeader("Content-Type", type);
    r.writeHeader("Content-Length", QByteArray::number(body.size()));
    r.writeHeader("Cache-Control", "no-store");
    r.writeHeader("X-Content-Type-Options", "nosniff");
    r.writeHeader("Referrer-Policy", "no-referrer");
    r.writeHeader("Content-Security-Policy",
                  "default-src 'self'; connect-src 'self'; img-src 'self' data:; frame-ancestors 'none'");
    if (!extraName.isEmpty()) r.writeHeader(extraName, extraValue);
    r.writeBody(body);
    return true;
  }

  bool refuse(QHttpServerResponder& r, Status status, const QByteArray& allow = {}) {
    const QByteArray body = "{\"error\":" + QByteArray::number(static_cast<int>(status)) + "}";
    if (status == Status::MethodNotAllowed) reply(r, status, "application/json", body, "Allow", allow);
    else if (status == Status::TooManyRequests)
      reply(r, status, "application/json", body, "Retry-After", QByteArray::number(kLoginLockSeconds));
    else reply(r, status, "application/json", body);
    if (upgrading_) {
      // The refusal goes out whole, then the connection ends: the upgrade
      // that would follow finds it closed.
      QTcpSocket* s = r.socket();
      s->flush();
      s->abort();
    }
    return true;
  }

  bool signedIn(const QHttpServerRequest& request) const {
    const QByteArray token = CookieValue(Header(request, "cookie"), kCookieName);
    return !token.isEmpty() && sessions_.contains(token);
  }

  // The page's Origin (when the browser sends one) names this very server.
  static bool SameOrigin(const QByteArray& origin, const QByteArray& host) {
    return !host.isEmpty() && origin == "http://" + host;
  }

  bool login(const QHttpServerRequest& request, QHttpServerResponder& r) {
    const QByteArray origin = Header(request, "origin");
    if (!origin.isEmpty() && !SameOrigin(origin, Header(request, "host"))) return refuse(r, Status::Forbidden);
    const QString who = request.remoteAddress().toString();
    Attempts& a = attempts_[who];
    if (a.window.isValid() && a.window.elapsed() > kLoginLockSeconds * 1000) a = Attempts{};
    if (a.failures >= kLoginFailuresAllowed) return refuse(r, Status::TooManyRequests);
    const std::optional<std::string> pin = ParsePinBody(std::string_view(request.body().constData(),
                                                                         static_cast<std::size_t>(request.body().size())));
    if (!pin) return refuse(r, Status::BadRequest);
    if (!SameSecret(*pin, pin_.toStdString())) {
      if (!a.window.isValid()) a.window.start();
      ++a.failures;
      return refuse(r, Status::Unauthorized);
    }
    attempts_.remove(who);
    QByteArray token(32, '\0');
    QRandomGenerator::system()->generate(reinterpret_cast<quint32*>(token.data()),
                                         reinterpret_cast<quint32*>(token.data() + token.size()));
    token = token.toHex();
    sessionOrder_.push_back(token);
    sessions_.insert(token, true);
    while (sessionOrder_.size() > kMaxSessions) sessions_.remove(sessionOrder_.takeFirst());
    // No Expires: the cookie lasts the browser session; the server forgets
    // every token when the remote is switched off.
    return reply(r, Status::Ok, "application/json", "{\"session\":true}", "Set-Cookie",
                 kCookieName + "=" + token + "; Path=/; HttpOnly; SameSite=Strict");
  }

  void acceptWebSockets() {
    while (hasPendingWebSocketConnections()) {
      QWebSocket* ws = nextPendingWebSocketConnection().release();
      if (!ws) continue;
      const QNetworkRequest& req = ws->request();
      const QByteArray host = req.rawHeader("Host");
      const QByteArray origin = ws->origin().toUtf8();
      const QByteArray token = CookieValue(req.rawHeader("Cookie"), kCookieName);
      const char* why = nullptr;
      if (RouteOf(req.url().path(QUrl::FullyEncoded).toStdString()) != RouteKind::Socket) why = "no such endpoint";
      else if (!SameOrigin(origin, host)) why = "origin refused";
      else if (token.isEmpty() || !sessions_.contains(token)) why = "not signed in";
      else if (clients_.size() >= static_cast<std::size_t>(kMaxClients)) why = "too many clients";
      if (why) {
        ws->close(QWebSocketProtocol::CloseCodePolicyViolated, QString::fromLatin1(why));
        ws->deleteLater();
        continue;
      }
      ws->setParent(this);
      ws->setMaxAllowedIncomingMessageSize(kMaxMessageBytes);
      ws->setMaxAllowedIncomingFrameSize(kMaxMessageBytes);
      Client c;
      c.socket = ws;
      c.refill.start();
      clients_.push_back(c);
      clientCount.store(static_cast<int>(clients_.size()));
      connect(ws, &QWebSocket::textMessageReceived, this, [this, ws](const QString& m) { message(ws, m); });
      connect(ws, &QWebSocket::binaryMessageReceived, this, [ws](const QByteArray&) {
        ws->close(QWebSocketProtocol::CloseCodeDatatypeNotSupported, "text only");
      });
      connect(ws, &QWebSocket::disconnected, this, [this, ws] { drop(ws); });
      std::lock_guard<std::mutex> l(stateLock_);
      if (!state_.isEmpty()) ws->sendTextMessage(QString::fromUtf8(state_));
    }
  }

  Client* find(QWebSocket* ws) {
    for (Client& c : clients_)
      if (c.socket == ws) return &c;
    return nullptr;
  }

  void message(QWebSocket* ws, const QString& text) {
    Client* c = find(ws);
    if (!c) return;
    // Token bucket: a burst, then a steady rate.
    c->tokens = std::min<double>(kRateBurst, c->tokens + c->refill.restart() * kRatePerSecond / 1000.0);
    if (c->tokens < 1) {
      if (++c->refused > kRefusalsBeforeClose) ws->close(QWebSocketProtocol::CloseCodePolicyViolated, "too fast");
      else ws->sendTextMessage("{\"error\":\"too fast\"}");
      return;
    }
    c->tokens -= 1;
    std::string error;
    const QByteArray utf8 = text.toUtf8();
    const std::optional<RemoteAction> a =
        ParseRemoteMessage(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), error);
    if (!a) {
      if (++c->refused > kRefusalsBeforeClose) ws->close(QWebSocketProtocol::CloseCodePolicyViolated, "bad messages");
      else ws->sendTextMessage(QString::fromStdString("{\"error\":" + JsonQuote(error) + "}"));
      return;
    }
    if (a->op == RemoteOp::Button) {
      const uint32_t bit = 1u << a->index;
      c->held = a->value ? (c->held | bit) : (c->held & ~bit);
    }
    enqueue(*a);
  }

  // A page that goes away lets go of the buttons it held down.
  void drop(QWebSocket* ws) {
    for (auto it = clients_.begin(); it != clients_.end(); ++it) {
      if (it->socket != ws) continue;
      for (int b = 0; b < kButtonSlots; ++b)
        if (it->held & (1u << b)) enqueue(RemoteAction{RemoteOp::Button, b, 0});
      clients_.erase(it);
      break;
    }
    clientCount.store(static_cast<int>(clients_.size()));
    ws->deleteLater();
  }

  void enqueue(const RemoteAction& a) {
    bool wasEmpty;
    {
      std::lock_guard<std::mutex> l(queueLock_);
      if (queue_.size() >= kMaxQueuedActions) return;  // the desk is not taking them: drop
      wasEmpty = queue_.empty();
      queue_.push_back(a);
    }
    if (wasEmpty && wake_) wake_(host_);
  }

  void broadcast() {
    QByteArray s;
    {
      std::lock_guard<std::mutex> l(stateLock_);
      s = state_;
    }
    const QString text = QString::fromUtf8(s);
    for (Client& c : clients_) c.socket->sendTextMessage(text);
  }

  struct Attempts {
    int failures = 0;
    QElapsedTimer window;
  };

  bool upgrading_ = false;  // the request being handled asks for a WebSocket
  QByteArray pin_;
  void (*wake_)(void*);
  void* host_;
  QHash<QByteArray, bool> sessions_;
  QList<QByteArray> sessionOrder_;
  QHash<QString, Attempts> attempts_;
  std::vector<Client> clients_;
  std::mutex stateLock_;
  QByteArray state_;
  std::mutex queueLock_;
  std::deque<RemoteAction> queue_;
};

}  // namespace

}  // namespace lumora::webremote

using lumora::webremote::WebRemote;

// The server with the thread it runs on. Without an application object (the
// headless desk) the thread makes its own; beside the GUI's it is a QThread.
struct LumoraRemoteServer {
  std::thread thread;       // headless: runs its own QCoreApplication
  QThread* qthread = nullptr;  // beside an application
  QObject* context = nullptr;  // lives on the server's thread
  WebRemote* server = nullptr;
};

namespace {

void CopyError(const QString& e, char* err, size_t len) {
  if (!err || len == 0) return;
  const QByteArray b = e.toUtf8();
  const size_t n = std::min(len - 1, static_cast<size_t>(b.size()));
  std::memcpy(err, b.constData(), n);
  err[n] = '\0';
}

// Makes the server on the calling (server) thread.
WebRemote* Make(const LumoraRemoteConfig& cfg, QString& error) {
  QHostAddress address;
  if (!address.setAddress(QString::fromUtf8(cfg.address))) {
    error = QStringLiteral("not an IP address");
    return nullptr;
  }
  auto* s = new WebRemote(cfg);
  if (!s->start(address, cfg.port, error)) {
    delete s;
    return nullptr;
  }
  return s;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) LumoraRemoteServer* lumora_remote_open(const LumoraRemoteConfig* cfg, char* err,
                                                                              size_t errlen) {
  if (!cfg || cfg->abi != LUMORA_REMOTE_ABI || !cfg->address || !cfg->pin || cfg->port < 1 || cfg->port > 65535) {
    CopyError(QStringLiteral("bad configuration"), err, errlen);
    return nullptr;
  }
  auto* h = new LumoraRemoteServer;
  QString error;
  if (!QCoreApplication::instance()) {
    std::promise<WebRemote*> made;
    std::future<WebRemote*> result = made.get_future();
    LumoraRemoteConfig copy = *cfg;
    std::string address = cfg->address, pin = cfg->pin;
    h->thread = std::thread([&made, &error, copy, address, pin, h]() mutable {
      static int argc = 1;
      static char name[] = "lumora-remote";
      static char* argv[] = {name, nullptr};
      // The application object sets the process's locale; the desk keeps its own.
      const std::string locale = std::setlocale(LC_ALL, nullptr);
      QCoreApplication app(argc, argv);
      std::setlocale(LC_ALL, locale.c_str());
      copy.address = address.c_str();
      copy.pin = pin.c_str();
      QObject context;
      h->context = &context;
      WebRemote* s = Make(copy, error);
      made.set_value(s);
      if (!s) return;
      app.exec();
      delete s;
      h->context = nullptr;
    });
    h->server = result.get();
  } else {
    h->qthread = new QThread;
    h->qthread->setObjectName(QStringLiteral("lumora-remote"));
    h->context = new QObject;
    h->context->moveToThread(h->qthread);
    h->qthread->start();
    QMetaObject::invokeMethod(h->context, [&] { h->server = Make(*cfg, error); }, Qt::BlockingQueuedConnection);
  }
  if (!h->server) {
    CopyError(error, err, errlen);
    if (h->thread.joinable()) h->thread.join();
    if (h->qthread) {
      h->qthread->quit();
      h->qthread->wait();
      delete h->qthread;
      delete h->context;
    }
    delete h;
    return nullptr;
  }
  return h;
}

__attribute__((visibility("default"))) void lumora_remote_close(LumoraRemoteServer* h) {
  if (!h) return;
  if (h->thread.joinable()) {
    QMetaObject::invokeMethod(h->context, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    h->thread.join();
  } else if (h->qthread) {
    QMetaObject::invokeMethod(h->context, [h] { delete h->server; }, Qt::BlockingQueuedConnection);
    h->qthread->quit();
    h->qthread->wait();
    delete h->qthread;
    delete h->context;
  }
  delete h;
}

__attribute__((visibility("default"))) void lumora_remote_publish(LumoraRemoteServer* h, const char* json, size_t len) {
  if (h && h->server && json) h->server->publish(QByteArray(json, static_cast<qsizetype>(len)));
}

__attribute__((visibility("default"))) int lumora_remote_take(LumoraRemoteServer* h, LumoraRemoteAction* out) {
  lumora::webremote::RemoteAction a;
  if (!h || !h->server || !out || !h->server->take(a)) return 0;
  out->op = static_cast<int>(a.op);
  out->index = a.index;
  out->value = a.value;
  return 1;
}

__attribute__((visibility("default"))) int lumora_remote_clients(LumoraRemoteServer* h) {
  return h && h->server ? h->server->clientCount.load() : 0;
}

}  // extern "C"
