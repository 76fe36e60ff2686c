/* corvex: streams 512-slot DMX frames to the Corvex USB interface.
 *
 * One entry point with a command code, exported under two names. The host
 * calls QuillonCommand(4, 512, frame) once per output tick; the library copies
 * the frame into its transfer buffer, which a worker thread streams to the
 * device without pause. The first call of any command looks for the device,
 * once per process. No command reports whether the device was found.
 */
#ifndef CORVEX_H
#define CORVEX_H

#include <stdint.h>

#if defined(_WIN32)
#define CORVEX_STDCALL __stdcall
#define CORVEX_CDECL __cdecl
#else
#define CORVEX_STDCALL
#define CORVEX_CDECL
#endif

#if defined(CORVEX_BUILDING)
#if defined(_WIN32)
#define CORVEX_API /* exported through the module-definition file */
#else
#define CORVEX_API __attribute__((visibility("default")))
#endif
#else
#define CORVEX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Commands with a fixed meaning; the rest only return their fixed results. */
enum {
  CORVEX_CMD_BLACKOUT = 3, /* every slot 0; returns 512 */
  CORVEX_CMD_FRAME = 4,    /* value >= 512, data = 512 slot bytes; returns 512 */
  CORVEX_SLOTS = 512,
  CORVEX_PACKET_SIZE = 592
};

/* Standard Windows calling convention (callee pops); what the desk calls. */
CORVEX_API int32_t CORVEX_STDCALL QuillonCommand(int32_t command, int32_t value, uint8_t* data);

/* The same command with the C calling convention; forwards to QuillonCommand. */
CORVEX_API int32_t CORVEX_CDECL TessinCommand(int32_t command, int32_t value, uint8_t* data);

typedef int32_t(CORVEX_STDCALL* QuillonCommandFn)(int32_t, int32_t, uint8_t*);
typedef int32_t(CORVEX_CDECL* TessinCommandFn)(int32_t, int32_t, uint8_t*);

#ifdef __cplusplus
}
#endif

#endif /* CORVEX_H */
