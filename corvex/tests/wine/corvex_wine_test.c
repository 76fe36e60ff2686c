/* Loads corvex.dll by file name as the desk does and checks it from the
 * outside: the export table, both entry points and their calling
 * conventions, and the command table on a machine without the device (the
 * worker must not start). Prints "N passed, M failed"; exit code 0 when all
 * checks pass. */
#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <string.h>

#include "corvex.h"

static int passed, failed;

static void Check(int ok, const char* what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    printf("FAILED: %s\n", what);
  }
}

static void CheckInt(int32_t got, int32_t want, const char* what) {
  char line[200];
  snprintf(line, sizeof line, "%s: got %ld, want %ld", what, (long)got, (long)want);
  Check(got == want, line);
}

/* Threads of this process, to see that no worker was started. */
static int CountThreads(void) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 te;
  te.dwSize = sizeof te;
  int n = 0;
  const DWORD self = GetCurrentProcessId();
  if (Thread32First(snap, &te)) {
    do {
      if (te.th32OwnerProcessID == self) ++n;
      te.dwSize = sizeof te;
    } while (Thread32Next(snap, &te));
  }
  CloseHandle(snap);
  return n;
}

/* The export directory of the loaded module. */
static void CheckExportTable(HMODULE dll) {
  const BYTE* base = (const BYTE*)dll;
  const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
  const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY* dir = &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  Check(dir->VirtualAddress != 0 && dir->Size != 0, "the DLL has an export directory");
  if (dir->VirtualAddress == 0) return;
  const IMAGE_EXPORT_DIRECTORY* exp = (const IMAGE_EXPORT_DIRECTORY*)(base + dir->VirtualAddress);
  const char* name = (const char*)(base + exp->Name);
  printf("export directory name: %s\n", name);
  Check(strcmp(name, "Tessin.dll") == 0, "export directory names the library Tessin.dll");
  CheckInt((int32_t)exp->NumberOfNames, 2, "number of exported names");
  const DWORD* names = (const DWORD*)(base + exp->AddressOfNames);
  if (exp->NumberOfNames == 2) {
    Check(strcmp((const char*)(base + names[0]), "QuillonCommand") == 0, "first export is QuillonCommand");
    Check(strcmp((const char*)(base + names[1]), "TessinCommand") == 0, "second export is TessinCommand");
  }
}

#if defined(__i386__)
/* Calls fn(1, 0, NULL) with hand-pushed arguments and returns how many
 * argument bytes the callee popped: 12 for stdcall, 0 for cdecl. */
static int CalleePoppedBytes(void* fn) {
  int delta;
  __asm__ volatile(
      "movl %%esp, %%esi\n\t"
      "pushl $0\n\t"
      "pushl $0\n\t"
      "pushl $1\n\t"
      "call *%1\n\t"
      "movl %%esp, %%eax\n\t"
      "subl %%esi, %%eax\n\t"
      "movl %%esi, %%esp\n\t"
      : "=a"(delta)
      : "b"(fn)
      : "esi", "ecx", "edx", "memory", "cc");
  return delta + 12;
}
#endif

struct Row {
  int32_t command, value, result;
};

static const struct Row kTable[] = {
    {1, 0, 2},      {101, 0, 2},     {201, 0, 2},    {2, 0, 1},       {502, 0, 1},    {602, 0, 1},
    {702, 0, 1},    {802, 0, 1},     {3, 0, 512},    {4, 512, 512},   {504, 512, 512}, {4, 511, 512},
    {103, 0, 512},  {203, 0, 512},   {104, 0, 512},  {204, 0, 512},   {604, 0, 512},  {704, 0, 512},
    {301, 0, 21},   {308, 514, 0},   {808, 0, 0},    {501, 0, 254},   {601, 0, 254},  {701, 0, 254},
    {530, 5, 5},    {630, -9, -9},   {730, 512, 512}, {830, 0, 0},    {801, 253, 253}, {801, 252, -1},
    {0, 0, 1},      {5, 0, 1},       {-4, 0, 1},     {999, 512, 1},
};

int main(void) {
  const int threadsBefore = CountThreads();
  HMODULE dll = LoadLibraryA("corvex.dll");
  Check(dll != NULL, "LoadLibrary(\"corvex.dll\")");
  if (dll == NULL) {
    printf("0 passed, 1 failed\n");
    return 1;
  }
  CheckExportTable(dll);

  QuillonCommandFn quillon = (QuillonCommandFn)(void*)GetProcAddress(dll, "QuillonCommand");
  TessinCommandFn tessin = (TessinCommandFn)(void*)GetProcAddress(dll, "TessinCommand");
  Check(quillon != NULL, "QuillonCommand is exported");
  Check(tessin != NULL, "TessinCommand is exported");
  Check(GetProcAddress(dll, "QuillonCommand@12") == NULL && GetProcAddress(dll, "_QuillonCommand@12") == NULL,
        "no decorated stdcall name is exported");
  if (quillon == NULL || tessin == NULL) {
    printf("%d passed, %d failed\n", passed, failed);
    return 1;
  }

#if defined(__i386__)
  CheckInt(CalleePoppedBytes((void*)quillon), 12, "QuillonCommand pops its 12 argument bytes (stdcall)");
  CheckInt(CalleePoppedBytes((void*)tessin), 0, "TessinCommand leaves its arguments to the caller (cdecl)");
#endif

  /* The first call ran discovery: no device here, so no worker thread. */
  CheckInt(quillon(1, 0, NULL), 2, "first call");
  const int threadsAfter = CountThreads();
  printf("threads before loading: %d, after the first call: %d\n", threadsBefore, threadsAfter);
  Check(threadsBefore > 0 && threadsAfter == threadsBefore, "no worker thread without a device");

  BYTE data[600];
  for (size_t i = 0; i < sizeof kTable / sizeof kTable[0]; ++i) {
    const struct Row* r = &kTable[i];
    char what[80];
    memset(data, 0xAB, sizeof data);
    snprintf(what, sizeof what, "QuillonCommand(%ld, %ld)", (long)r->command, (long)r->value);
    CheckInt(quillon(r->command, r->value, data), r->result, what);
    snprintf(what, sizeof what, "TessinCommand(%ld, %ld)", (long)r->command, (long)r->value);
    CheckInt(tessin(r->command, r->value, data), r->result, what);
    snprintf(what, sizeof what, "QuillonCommand(%ld, %ld, NULL)", (long)r->command, (long)r->value);
    CheckInt(quillon(r->command, r->value, NULL), r->result, what);
    int untouched = 1;
    for (size_t b = 0; b < sizeof data; ++b) untouched &= data[b] == 0xAB;
    snprintf(what, sizeof what, "command %ld leaves the data alone", (long)r->command);
    Check(untouched, what);
  }

  memset(data, 0xAB, sizeof data);
  CheckInt(quillon(308, 515, data), 0, "QuillonCommand(308, 515)");
  Check(data[0] == 1 && data[1] == 2 && data[2] == 0 && data[3] == 0xAB, "command 308 writes 1, 2, 0");

  /* The Dead path: a frame is accepted with 512 and the library stays quiet. */
  BYTE frame[512];
  for (int i = 0; i < 512; ++i) frame[i] = (BYTE)i;
  CheckInt(quillon(4, 512, frame), 512, "frame without device");
  CheckInt(tessin(4, 512, frame), 512, "frame through TessinCommand");
  Check(frame[0] == 0 && frame[511] == (BYTE)511, "the frame is not written to");
  CheckInt(CountThreads(), threadsBefore, "still no worker after frames");

  Check(FreeLibrary(dll) != 0, "FreeLibrary");
  printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
