#include "kivappend.h"

#include <string>
#include <windows.h>

namespace kiv::platform {

namespace {

// Appenders of one file also take turns through an exclusive lock on one
// byte far beyond any end the file will reach (so it never covers what is
// written). Windows puts every write of an append-only handle at the end in
// one step, but Wine writes it at the end it found a moment before, where
// another process may write too. The lock goes with the handle, also when a
// process dies holding it; a writer that finds it held for 5 s writes
// without it rather than wait on a holder that is stuck.
constexpr DWORD kTurnOffsetHigh = 0x40000000;  // 2^62

bool takeTurn(HANDLE file, OVERLAPPED& at) {
  const DWORD start = GetTickCount();
  for (unsigned round = 0;; ++round) {
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) return true;
    if (GetLastError() != ERROR_LOCK_VIOLATION || GetTickCount() - start > 5000) return false;
    Sleep(round < 16 ? 0 : 1);
  }
}

}  // namespace

int appendToFile(const char* path, std::string_view text) {
  // The text as the C library's text mode would write it: LF as CR LF.
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 32 + 2);
  for (char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  // Appending only (FILE_APPEND_DATA without FILE_WRITE_DATA): every write
  // lands at the end of the file. Reading is asked for only because the
  // lock needs it; a file that may be appended to but not read gets its
  // text without taking turns. Shared as the C library's fopen shares a file.
  auto open = [path](DWORD access) {
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  };
  bool mayLock = true;
  HANDLE file = open(FILE_READ_DATA | FILE_APPEND_DATA);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
    mayLock = false;
    file = open(FILE_APPEND_DATA);
  }
  if (file == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  OVERLAPPED turn{};
  turn.OffsetHigh = kTurnOffsetHigh;
  const bool locked = mayLock && !bytes.empty() && takeTurn(file, turn);
  int err = 0;
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    DWORD put = 0;
    if (!WriteFile(file, data, chunk, &put, nullptr)) {
      err = static_cast<int>(GetLastError());
      break;
    }
    if (put == 0) {  // nothing taken and no error: give up rather than spin
      err = ERROR_WRITE_FAULT;
      break;
    }
    data += put;
    left -= put;
  }
  if (locked) UnlockFileEx(file, 0, 1, 0, &turn);
  CloseHandle(file);
  return err;
}

}  // namespace kiv::platform
