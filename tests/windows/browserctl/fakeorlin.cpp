// fakeorlin.exe: stands in for the program registered for JNLP files. Writes
// the number of its arguments and its command line, as received, to the file
// named by VANTOR_FAKE_LOG, then signals the event VantorFakeLauncherDone.
//   VANTOR_FAKE_INHERIT  a handle value of the container's: an inheritable
//                        event, set from here if this process holds it
//   VANTOR_FAKE_HOLD     when set, waits (up to 15 s) for the event
//                        VantorFakeLauncherGo before reporting
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char**) {
  const char* log = std::getenv("VANTOR_FAKE_LOG");
  if (!log) return 2;
  if (const char* inherited = std::getenv("VANTOR_FAKE_INHERIT"))
    SetEvent(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(std::strtoull(inherited, nullptr, 10))));
  if (std::getenv("VANTOR_FAKE_HOLD")) {
    if (HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, "VantorFakeLauncherGo")) {
      WaitForSingleObject(go, 15000);
      CloseHandle(go);
    }
  }
  if (FILE* f = std::fopen(log, "wb")) {
    std::fprintf(f, "%d\n%s", argc, GetCommandLineA());
    std::fclose(f);
  }
  if (HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, "VantorFakeLauncherDone")) {
    SetEvent(done);
    CloseHandle(done);
  }
  return 0;
}
