// allocDD plus freeDD of a 1000-DD list, in-process: median time per round.
//   dssim_bench [rounds]
#include "kivdssim.h"
#include "kivtrace.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kiv {
void traceLine(const char*, ...) {}
void traceLineL(int, const char*, ...) {}
}  // namespace kiv

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
  kiv::PIP pip;
  pip.ddName = kiv::kGeneratedDDRequest;
  pip.dsName = "ZZ.BENCH.DATA";
  const std::string one = kiv::makeStringFromPIP(pip);
  std::string list;
  for (int i = 0; i < 1000; ++i) list += one;
  std::vector<double> times;
  for (int r = 0; r < rounds; ++r) {
    if (kiv::countDDs > 0xFFFFF - 1000) kiv::countDDs = 0;
    auto start = std::chrono::steady_clock::now();
    auto dds = kiv::allocDD(list.c_str());
    if (!dds || dds->size() != 1000) return 1;
    kiv::freeDD(std::move(*dds));
    times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  // A result row for bench/table.py: no peer and no goal for this figure.
  std::printf("ROW\tallocDD + freeDD, 1000-DD list (us, median of %d)\t%.0f\t-\t-\t-\n", rounds,
              times[times.size() / 2]);
  return 0;
}
