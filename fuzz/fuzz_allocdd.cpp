// libFuzzer target for the PIP list walk of allocDD: any text as a list,
// allocated and released in a private scratch directory. Whatever happens,
// the allocation list ends empty and no file appears outside the directory.
#include "kivdssim.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {
fs::path scratch;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  scratch = fs::temp_directory_path() / ("kiv-fuzz-allocdd-" + std::to_string(::getpid()));
  fs::create_directories(scratch / "inner");
  fs::current_path(scratch / "inner");
  setenv("KIVDELETEFILES", "YES", 1);
  // "Creating file" lines go nowhere.
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  std::atexit([] {
    std::error_code ec;
    fs::current_path(fs::temp_directory_path(), ec);
    fs::remove_all(scratch, ec);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string list(reinterpret_cast<const char*>(data), size);
  if (size > 0 && (data[0] & 1)) setenv("KIVCREATEFILES", "YES", 1);
  else unsetenv("KIVCREATEFILES");
  if (auto dds = kiv::allocDD(list.c_str())) {
    if (dds->size() > 1023) std::abort();  // the limit of a PIP list
    kiv::freeDD(std::move(*dds));
  }
  if (kiv::allocationCount() != 0) std::abort();
  // Only the working directory may have changed.
  for (const auto& e : fs::directory_iterator(scratch))
    if (e.path().filename() != "inner") std::abort();
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(".")) fs::remove_all(e.path(), ec);
  return 0;
}
