// idle.exe <event name>: sets the named event and waits until it is ended.
// Copied to a file named netscape.exe it plays a running browser.
#include <windows.h>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
  if (!ready) return 3;
  SetEvent(ready);
  CloseHandle(ready);
  Sleep(INFINITE);
  return 0;
}
