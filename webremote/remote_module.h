/* The web remote's server module: a shared library with the HTTP and
 * WebSocket server (Qt), loaded by the desk only when the remote is switched
 * on, so a desk without the remote maps no Qt at all. The server runs on a
 * thread of its own; it never touches the desk. Checked actions wait in its
 * queue until the desk takes them on the desk's own thread; the desk hands
 * it the page's state as JSON text. C linkage: the desk binds these by name. */
#ifndef LUMORA_WEBREMOTE_REMOTE_MODULE_H
#define LUMORA_WEBREMOTE_REMOTE_MODULE_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define LUMORA_REMOTE_ABI 1

typedef struct LumoraRemoteConfig {
  int abi;             /* LUMORA_REMOTE_ABI */
  const char* address; /* IPv4 or IPv6 address to bind, e.g. "127.0.0.1" */
  int port;            /* 1..65535 */
  const char* pin;     /* 6 digits */
  /* Called on the server's thread whenever actions are waiting; the desk
   * wakes its own thread (an eventfd) and takes them there. */
  void (*wake)(void* host);
  void* host;
} LumoraRemoteConfig;

typedef struct LumoraRemoteAction {
  int op; /* lumora::webremote::RemoteOp */
  int index;
  int value;
} LumoraRemoteAction;

typedef struct LumoraRemoteServer LumoraRemoteServer;

/* Starts the server; NULL with a reason in err (never the PIN) on failure. */
typedef LumoraRemoteServer* (*LumoraRemoteOpenFn)(const LumoraRemoteConfig* cfg, char* err, size_t errlen);
/* Stops it: every session ends, every client is closed. */
typedef void (*LumoraRemoteCloseFn)(LumoraRemoteServer* s);
/* The page's state (JSON text); sent to every signed-in client. */
typedef void (*LumoraRemotePublishFn)(LumoraRemoteServer* s, const char* json, size_t len);
/* The next waiting action: 1 and *out filled, or 0 when none waits. */
typedef int (*LumoraRemoteTakeFn)(LumoraRemoteServer* s, LumoraRemoteAction* out);
/* Signed-in WebSocket clients now connected. */
typedef int (*LumoraRemoteClientsFn)(LumoraRemoteServer* s);

#define LUMORA_REMOTE_MODULE_FILE "liblumora_webremote.so"

#ifdef __cplusplus
}
#endif

#endif
