// The exported entry points over the one module state of the process.
#include <new>

#include "corvex.h"
#include "module.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace corvex {
namespace {

struct Process {
  std::unique_ptr<Backend> backend;
  Module module;
  Process() : backend(MakePlatformBackend()), module(backend.get()) {}
};

std::atomic<Process*> gProcess{nullptr};

// Built in static storage and never destroyed: the worker may outlive every
// destructor the runtime calls at exit, and nothing may be freed under it.
Process& Instance() {
  static Process* const process = [] {
    alignas(Process) static unsigned char storage[sizeof(Process)];
    auto* p = new (storage) Process;
    gProcess.store(p, std::memory_order_release);
    return p;
  }();
  return *process;
}

#if defined(_WIN32)
// The worker runs code of this DLL for the life of the process; pin the DLL
// so that a FreeLibrary by the host can never unmap it under the thread.
void PinModule() {
  static std::atomic<bool> pinned{false};
  if (pinned.exchange(true)) return;
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&PinModule), &self);
}
#else
// At process exit the worker is stopped after its current transfer, so the
// device's interface is released cleanly. (The library is linked nodelete:
// dlclose never unmaps it under a running worker.)
__attribute__((destructor)) void StopAtExit() {
  if (Process* p = gProcess.load(std::memory_order_acquire)) p->module.Stop();
}
#endif

}  // namespace
}  // namespace corvex

extern "C" {

CORVEX_API int32_t CORVEX_STDCALL QuillonCommand(int32_t command, int32_t value, uint8_t* data) {
  corvex::Module& module = corvex::Instance().module;
  const int32_t result = module.Command(command, value, data);
#if defined(_WIN32)
  if (module.Started()) corvex::PinModule();
#endif
  return result;
}

CORVEX_API int32_t CORVEX_CDECL TessinCommand(int32_t command, int32_t value, uint8_t* data) {
  return QuillonCommand(command, value, data);
}

}  // extern "C"
