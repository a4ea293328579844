// libFuzzer target for the PIP string parser: any text, parsed in place, then
// written back; the written text parses to the same record.
#include "kivdssim.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  kiv::PIP pip;
  kiv::fillPIPFromString(pip, text.data());
  std::string once = kiv::makeStringFromPIP(pip);
  char buffer[kiv::kPipStringBufferSize];
  int rc = kiv::makeStringFromPIP(buffer, sizeof buffer, pip);
  if ((rc == 0) != (once.size() < sizeof buffer)) std::abort();
  // The written text parses to the same record: no value can hold the
  // separator, and every number is written within its field's range.
  kiv::PIP again;
  std::string copy = once;
  kiv::fillPIPFromString(again, copy.data());
  if (kiv::makeStringFromPIP(again) != once) std::abort();
  return 0;
}
