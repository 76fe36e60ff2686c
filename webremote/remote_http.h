// The web remote's HTTP rules, kept apart from the server so they are tested
// and fuzzed without a network: the paths it serves, its limits, and how a
// sign-in body is read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lumora::webremote {

// Limits of one HTTP request (bytes); anything larger is refused.
constexpr std::size_t kMaxRequestBytes = 16384;  // unread bytes on a connection
constexpr std::size_t kMaxUrlBytes = 512;
constexpr std::size_t kMaxHeaderBytes = 8192;
constexpr std::size_t kMaxBodyBytes = 256;
// Open HTTP connections, signed-in pages, remembered sessions.
constexpr int kMaxConnections = 32;
constexpr int kMaxClients = 8;
constexpr int kMaxSessions = 32;
constexpr int kIdleConnectionMs = 30000;
// Sign-in: this many wrong PINs from one address, then a pause.
constexpr int kLoginFailuresAllowed = 5;
constexpr int kLoginLockSeconds = 60;
// Messages per page: a burst, then a steady rate; a page that keeps going
// too fast or keeps sending bad messages is closed.
constexpr double kRateBurst = 60;
constexpr double kRatePerSecond = 40;
constexpr int kRefusalsBeforeClose = 200;
// Actions waiting for the desk; more are dropped (the desk is stuck).
constexpr std::size_t kMaxQueuedActions = 256;

enum class RouteKind { None, Page, Script, Style, Session, State, Login, Socket };

// The route of a request path exactly as it came (still percent-encoded): a
// fixed list; anything else, encoded or not, is no route.
RouteKind RouteOf(std::string_view path);

// The first line of a request as it arrives, before the HTTP layer reads
// it: METHOD SP TARGET SP HTTP/1.0|1.1 (a CR before the line feed allowed).
// `complete` says whether the line feed has come.
enum class RequestLine { Good, Incomplete, Bad, BadVersion };
RequestLine CheckRequestLine(std::string_view line, bool complete);

// The PIN of a sign-in body {"pin":"123456"}: six digits, or nullopt.
std::optional<std::string> ParsePinBody(std::string_view body);

// Compares two secrets in time that does not depend on where they differ.
bool SameSecret(std::string_view a, std::string_view b);

// A JSON string literal of s.
std::string JsonQuote(std::string_view s);

// A fresh PIN: six digits from the system's random source.
std::string NewPin();

}  // namespace lumora::webremote
