/* Only in the capture build of corvex (build/corvex/capture/libcorvex.so): a
 * stand-in device that is always present, accepts one packet about every
 * 26 ms (the time 592 bytes take on a DMX line) and keeps what it receives, so
 * that a host's tests can see the packets its frames become.
 *
 * When the environment variable CORVEX_CAPTURE_FILE names a file, the newest
 * packet is also written there (592 bytes at offset 0) for tests that run the
 * host as a separate process.
 */
#ifndef CORVEX_CAPTURE_H
#define CORVEX_CAPTURE_H

#include <stdint.h>

#include "corvex.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Waits for a packet that the worker took from its buffer after this call
 * began, and copies it (592 bytes) to out. Returns 592, or 0 when no such
 * packet came within timeout_ms (or the library is not streaming). */
CORVEX_API int32_t CorvexCaptureNext(uint8_t* out, int32_t timeout_ms);

/* Packets the stand-in device has received so far. */
CORVEX_API int64_t CorvexCaptureCount(void);

typedef int32_t (*CorvexCaptureNextFn)(uint8_t*, int32_t);
typedef int64_t (*CorvexCaptureCountFn)(void);

#ifdef __cplusplus
}
#endif

#endif /* CORVEX_CAPTURE_H */
