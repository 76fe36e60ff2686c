#include "webremote/remote_http.h"

#include <random>

#include "core/json.h"

namespace lumora::webremote {

RouteKind RouteOf(std::string_view path) {
  if (path == "/" || path == "/index.html") return RouteKind::Page;
  if (path == "/remote.js") return RouteKind::Script;
  if (path == "/remote.css") return RouteKind::Style;
  if (path == "/session") return RouteKind::Session;
  if (path == "/state") return RouteKind::State;
  if (path == "/login") return RouteKind::Login;
  if (path == "/ws") return RouteKind::Socket;
  return RouteKind::None;
}

RequestLine CheckRequestLine(std::string_view line, bool complete) {
  if (complete && !line.empty() && line.back() == '\r') line.remove_suffix(1);
  // The method: capital letters, then one blank.
  std::size_t i = 0;
  while (i < line.size() && line[i] >= 'A' && line[i] <= 'Z') ++i;
  if (i == line.size()) return complete || i > 16 ? RequestLine::Bad : RequestLine::Incomplete;
  if (i == 0 || i > 16 || line[i] != ' ') return RequestLine::Bad;
  // The target: printable, no blanks, starting with a slash.
  const std::size_t t = ++i;
  while (i < line.size() && line[i] > ' ' && line[i] < 0x7f) ++i;
  if (i > t && line[t] != '/') return RequestLine::Bad;
  if (i == line.size()) return complete ? RequestLine::Bad : RequestLine::Incomplete;
  if (i == t || line[i] != ' ') return RequestLine::Bad;
  const std::string_view version = line.substr(i + 1);
  // Still arriving: wait for the line feed while it can still be a version.
  if (!complete) return version.size() <= 8 ? RequestLine::Incomplete : RequestLine::Bad;
  if (version == "HTTP/1.1" || version == "HTTP/1.0") return RequestLine::Good;
  if (version.size() == 8 && version.substr(0, 5) == "HTTP/" && version[5] >= '0' && version[5] <= '9' &&
      version[6] == '.' && version[7] >= '0' && version[7] <= '9')
    return RequestLine::BadVersion;
  return RequestLine::Bad;
}

std::optional<std::string> ParsePinBody(std::string_view body) {
  if (body.size() > kMaxBodyBytes) return std::nullopt;
  const std::optional<Json> j = Json::parse(body);
  if (!j || !j->isObject() || j->size() != 1) return std::nullopt;
  const Json* pin = j->find("pin");
  if (!pin || !pin->isString() || pin->asString().size() != 6) return std::nullopt;
  for (char c : pin->asString())
    if (c < '0' || c > '9') return std::nullopt;
  return pin->asString();
}

bool SameSecret(std::string_view a, std::string_view b) {
  unsigned diff = a.size() == b.size() ? 0u : 1u;
  for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i]) ^
                                                    static_cast<unsigned char>(i < b.size() ? b[i] : 0);
  return diff == 0;
}

std::string JsonQuote(std::string_view s) { return Json::quote(s); }

std::string NewPin() {
  std::random_device rd;
  std::uniform_int_distribution<int> digit(0, 9);
  std::string pin;
  for (int i = 0; i < 6; ++i) pin += static_cast<char>('0' + digit(rd));
  return pin;
}

}  // namespace lumora::webremote
