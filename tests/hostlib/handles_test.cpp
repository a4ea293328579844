// The handle table: handles fit a Java int, 0 is none, removed and foreign
// handles find nothing, and many threads can use it at once. The lock of a
// stream, likewise.
#include "kivhandles.h"
#include "kivlock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>

namespace ku = kiv::utils;

namespace {

TEST(HandleTable, AddGetRemove) {
  ku::HandleTable<std::string> table;
  int a = table.add(std::make_shared<std::string>("a"));
  int b = table.add(std::make_shared<std::string>("b"));
  EXPECT_GT(a, 0);
  EXPECT_GT(b, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(*table.get(a), "a");
  EXPECT_EQ(*table.get(b), "b");
  EXPECT_EQ(table.size(), 2u);
  auto taken = table.remove(a);
  ASSERT_TRUE(taken);
  EXPECT_EQ(*taken, "a");
  EXPECT_EQ(table.get(a), nullptr);
  EXPECT_EQ(table.remove(a), nullptr) << "closing twice fails cleanly";
  EXPECT_EQ(table.size(), 1u);
}

TEST(HandleTable, NoneAndForeignHandles) {
  ku::HandleTable<int> table;
  EXPECT_EQ(table.add(nullptr), 0);
  int h = table.add(std::make_shared<int>(1));
  for (int bad : {0, -1, -h, h + 1, h | (5 << 20), 0x7fffffff, static_cast<int>(0x80000001u), 1 << 20}) {
    EXPECT_EQ(table.get(bad), nullptr) << bad;
    EXPECT_EQ(table.remove(bad), nullptr) << bad;
  }
  EXPECT_EQ(*table.get(h), 1);
}

TEST(HandleTable, ReusedSlotGetsANewHandle) {
  ku::HandleTable<int> table;
  int first = table.add(std::make_shared<int>(1));
  table.remove(first);
  int second = table.add(std::make_shared<int>(2));
  EXPECT_NE(first, second);
  EXPECT_EQ(table.get(first), nullptr) << "a stale handle does not reach the slot's new record";
  EXPECT_EQ(*table.get(second), 2);
}

TEST(HandleTable, FullTableGivesNone) {
  ku::HandleTable<int> table(3);
  for (int i = 0; i < 3; ++i) EXPECT_GT(table.add(std::make_shared<int>(i)), 0);
  EXPECT_EQ(table.add(std::make_shared<int>(9)), 0);
}

TEST(HandleTable, RecordOutlivesRemoveWhileInUse) {
  ku::HandleTable<std::string> table;
  int h = table.add(std::make_shared<std::string>("kept"));
  auto inUse = table.get(h);
  table.remove(h);
  EXPECT_EQ(*inUse, "kept");
}

TEST(HandleTable, ManyThreads) {
  ku::HandleTable<int> table;
  constexpr int kThreads = 8;
  constexpr int kRounds = 2000;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      std::vector<int> mine;
      for (int i = 0; i < kRounds; ++i) {
        int value = t * kRounds + i;
        int h = table.add(std::make_shared<int>(value));
        if (h <= 0) ++wrong;
        mine.push_back(h);
        auto got = table.get(h);
        if (!got || *got != value) ++wrong;
        if (i % 3 == 0) {  // close some at once, the rest at the end
          auto r = table.remove(mine.back());
          if (!r || *r != value || table.get(mine.back())) ++wrong;
          mine.pop_back();
        }
      }
      for (int h : mine)
        if (!table.remove(h)) ++wrong;
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(table.size(), 0u);
}

TEST(HandleTable, LiveHandlesAreDistinct) {
  ku::HandleTable<int> table;
  std::set<int> seen;
  for (int i = 0; i < 10000; ++i) EXPECT_TRUE(seen.insert(table.add(std::make_shared<int>(i))).second);
}

// A stream's lock: held long (a slow read) or briefly by many threads, it
// lets one in at a time and loses no update; a timed wait gives up on a
// holder that stays.
TEST(Mutex, OneHolderAtATime) {
  kiv::platform::Mutex lock;
  constexpr int kThreads = 6;
  constexpr int kRounds = 20000;
  long counter = 0;  // guarded by lock only
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        std::lock_guard guard(lock);
        if (inside.fetch_add(1) != 0) ++overlaps;
        ++counter;
        // Now and then a holder that keeps the lock a while.
        if (i % 5000 == 0 && t == 0) std::this_thread::sleep_for(std::chrono::milliseconds(3));
        inside.fetch_sub(1);
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(counter, static_cast<long>(kThreads) * kRounds);
  EXPECT_EQ(overlaps.load(), 0);
  // A thread that waits sleeps until the lock is let go: it does not wake
  // again and again to look (a few switches at most in 300 ms).
  lock.lock();
  std::atomic<bool> waiting{false};
  long switches = -1;
  std::thread waiter([&] {
    rusage before{};
    getrusage(RUSAGE_THREAD, &before);
    waiting = true;
    lock.lock();
    rusage after{};
    getrusage(RUSAGE_THREAD, &after);
    lock.unlock();
    switches = after.ru_nvcsw - before.ru_nvcsw;
  });
  for (int i = 0; i < 5000 && !waiting; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  lock.unlock();
  waiter.join();
  EXPECT_GE(switches, 0);
  EXPECT_LE(switches, 5) << "the waiter polled";

  EXPECT_TRUE(lock.try_lock());
  bool taken = true;
  std::thread other([&] { taken = lock.try_lock() || lock.lockWithin(50); });
  other.join();
  EXPECT_FALSE(taken) << "the lock is held";
  lock.unlock();
  std::thread later([&] {
    taken = lock.lockWithin(50);
    if (taken) lock.unlock();  // by the thread that holds it
  });
  later.join();
  EXPECT_TRUE(taken);
}

}  // namespace
