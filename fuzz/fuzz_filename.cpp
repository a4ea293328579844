// libFuzzer target for checkFileName: any name in host notation either is
// refused or gives a plain file name of the current directory; Windows'
// name rules take any text.
#include "kivdssim.h"
#include "kivplatform.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string name(reinterpret_cast<const char*>(data), size);
  std::string out;
  int rc = kiv::checkFileName(out, name.c_str());
  if (rc == 0) {
    if (out.empty() || out.size() > 259) std::abort();  // a file name fits 260 bytes
    if (out.find_first_of("/\\:") != std::string::npos || out == "..") std::abort();
  } else if (rc != 0x0360 || !out.empty()) {
    std::abort();
  }
  std::string pattern = "*" + out + "*";
  if (rc == 0 && !kiv::wildcardMatch(pattern, out, false)) std::abort();
  if (rc == 0 && !kiv::wildcardMatch(pattern, out, true)) std::abort();
  // Windows' name rules on any text: a name ending in a dot or blank is
  // always one Windows alters.
  const bool altered = kiv::platform::windowsAltersFileName(name);
  if (!name.empty() && (name.back() == '.' || name.back() == ' ') && !altered) std::abort();
  if (kiv::platform::isWindowsDeviceName(name) && !altered) std::abort();
  return 0;
}
