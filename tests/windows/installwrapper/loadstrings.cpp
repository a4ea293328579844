// loadstrings.exe <program> <out-file>: loads <program> as a data file and
// writes what LoadStringA returns for each of Dravik's ten strings, in the
// ANSI code page of the process, one "<id>=<text>" line per string with line
// ends written as "\n". The test converts the file from the code page it
// expects and compares it with the string table.
#include <windows.h>

#include <cstdio>

#include "dravikmsg.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: loadstrings <program> <out-file>\n");
    return 2;
  }
  HMODULE module = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    std::fprintf(stderr, "loadstrings: cannot load %s (error %lu)\n", argv[1], GetLastError());
    return 2;
  }
  FILE* out = std::fopen(argv[2], "wb");
  if (!out) {
    FreeLibrary(module);
    return 2;
  }
  const unsigned ids[] = {IDS_DRAVIK_CAPTION,      IDS_DRAVIK_NOT_ADMIN,     IDS_DRAVIK_PROCESSOR,
                          IDS_DRAVIK_MEMORY,       IDS_DRAVIK_OS,            IDS_DRAVIK_WARN_HEADER,
                          IDS_DRAVIK_ERROR_HEADER, IDS_DRAVIK_WARN_TRAILER,  IDS_DRAVIK_ERROR_TRAILER,
                          IDS_DRAVIK_SERVICE_PACK};
  for (unsigned id : ids) {
    char text[1024];
    const int n = LoadStringA(module, id, text, sizeof text);
    std::fprintf(out, "%u=", id);
    for (int i = 0; i < n; ++i) {
      if (text[i] == '\n') std::fputs("\\n", out);
      else std::fputc(text[i], out);
    }
    std::fputc('\n', out);
  }
  std::fclose(out);
  FreeLibrary(module);
  return 0;
}
