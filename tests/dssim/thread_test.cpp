// Many threads registering, allocating, concatenating and freeing at once:
// every generated name is handed out exactly once and the list ends empty.
#include "dssim_fixture.h"

#include <set>
#include <thread>

using namespace kiv;

namespace {

using Threads = kivtest::DssimTest;

TEST_F(Threads, GeneratedNamesAreNeitherLostNorDuplicated) {
  kivtest::dssimTrace.tracefile.clear();  // keep the run short
  constexpr int kThreads = 8, kRounds = 300;
  std::vector<std::vector<std::string>> got(kThreads);
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([t, &got] {
      for (int i = 0; i < kRounds; ++i) {
        auto first = kivtest::makePip("????????", nullptr, 0);
        auto second = kivtest::makePip("????????", nullptr, 0);
        if (dyninitL(first.get()) != 0 || dyninitL(second.get()) != 0) std::abort();
        if (dynallocL(first.get()) != 0 || dynallocL(second.get()) != 0) std::abort();
        got[t].push_back(*first->ddName);
        got[t].push_back(*second->ddName);
        if (findname(("DD:" + *first->ddName).c_str()) != first.get()) std::abort();
        if (i % 2) concatenateDD(first->ddName->c_str(), second->ddName->c_str(), nullptr, nullptr);
        dynfreeL(second.get());
        dynfreeL(first.get());
      }
    });
  }
  for (auto& w : workers) w.join();
  std::set<std::string> all;
  for (const auto& v : got) all.insert(v.begin(), v.end());
  EXPECT_EQ(all.size(), static_cast<size_t>(2 * kThreads * kRounds));
  EXPECT_EQ(countDDs, 2 * kThreads * kRounds);
  EXPECT_EQ(*all.begin(), "SYS00000");
  EXPECT_EQ(allocationCount(), 0u);
}

TEST_F(Threads, ListsAllocatedInParallel) {
  kivtest::dssimTrace.tracefile.clear();
  const std::string pip = makeStringFromPIP(*kivtest::makePip("????????", nullptr, 0));
  const std::string list = pip + pip + pip;
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&list] {
      for (int i = 0; i < 100; ++i) {
        auto dds = allocDD(list.c_str());
        if (!dds || dds->size() != 3) std::abort();
        freeDD(std::move(*dds));
      }
    });
  }
  for (auto& w : workers) w.join();
  EXPECT_EQ(countDDs, 4 * 100 * 3);
}

}  // namespace
