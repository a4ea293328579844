// A stand-in for the runtime installer jre.exe: appends to jre.log beside
// itself the command line it was given and the response file that its -f1
// argument names, then exits with the code in FAKE_JRE_EXIT (default 0).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main() {
  char self[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 90;
  std::string log(self, length);
  log = log.substr(0, log.rfind('\\') + 1) + "jre.log";

  std::string line = GetCommandLineA();
  std::string response = "(none)";
  std::size_t at = line.find("-f1\"");
  if (at != std::string::npos) {
    std::size_t end = line.find('"', at + 4);
    std::string path = line.substr(at + 4, end == std::string::npos ? std::string::npos : end - at - 4);
    response.clear();
    if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
      for (int c; (c = std::fgetc(in)) != EOF;) response += static_cast<char>(c);
      std::fclose(in);
    } else {
      response = "(missing)";
    }
  }
  const char* code = std::getenv("FAKE_JRE_EXIT");
  int exitCode = code ? std::atoi(code) : 0;
  if (std::FILE* out = std::fopen(log.c_str(), "ab")) {
    std::fprintf(out, "command line: %s\nresponse: %s\nexit: %d\n", line.c_str(), response.c_str(), exitCode);
    std::fclose(out);
  }
  return exitCode;
}
