// regvalue.exe <key under HKEY_CURRENT_USER> <value name>: prints the value's
// type number, its size in bytes and the bytes in hex as the ANSI functions
// read it, then the size in bytes as stored (UTF-16, as the wide functions
// read it): "type=<n> size=<n> bytes=<hex> stored=<n>"; "missing" when
// there is no such value.
#include <windows.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: regvalue <key> <value>\n");
    return 2;
  }
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, argv[1], 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    std::printf("missing\n");
    return 0;
  }
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, argv[2], nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    std::printf("missing\n");
    RegCloseKey(key);
    return 0;
  }
  std::vector<BYTE> data(size + 1);
  RegQueryValueExA(key, argv[2], nullptr, &type, data.data(), &size);
  std::vector<wchar_t> name(MAX_PATH);
  MultiByteToWideChar(CP_ACP, 0, argv[2], -1, name.data(), MAX_PATH);
  DWORD stored = 0;
  RegQueryValueExW(key, name.data(), nullptr, nullptr, nullptr, &stored);
  RegCloseKey(key);
  std::printf("type=%lu size=%lu bytes=", static_cast<unsigned long>(type), static_cast<unsigned long>(size));
  for (DWORD i = 0; i < size; ++i) std::printf("%02x", data[i]);
  std::printf(" stored=%lu\n", static_cast<unsigned long>(stored));
  return 0;
}
