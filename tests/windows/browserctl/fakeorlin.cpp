// fakeorlin.exe: stands in for the program registered for JNLP files. Writes
// the number of its arguments and its command line, as received, to the file
// named by VANTOR_FAKE_LOG, then signals the event VantorFakeLauncherDone.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char**) {
  const char* log = std::getenv("VANTOR_FAKE_LOG");
  if (!log) return 2;
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
