// DD lists: allocation, concatenation, release, and the request blocks.
#include "dssim_fixture.h"

#include <gmock/gmock.h>

using namespace kiv;
using kivtest::makePip;
using kivtest::kOld, kivtest::kMod, kivtest::kNew, kivtest::kShr;
using kivtest::kUncatlg, kivtest::kCatlg, kivtest::kDelete, kivtest::kKeep;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string kMarker = "$C$O$N$C$A$T$ $$$ ";

std::string pipString(const char* dd, const char* ds, int8_t status = 0, int8_t normdisp = 0) {
  return makeStringFromPIP(*makePip(dd, ds, status, normdisp));
}

std::vector<std::string> names(const DDArray& a) {
  std::vector<std::string> out;
  for (const auto& p : a) out.push_back(p->ddName.value_or("(null)"));
  return out;
}

using Lists = kivtest::DssimTest;

TEST_F(Lists, ConcatenatesBAndCToA) {
  auto dds = allocDD((pipString("A", nullptr) + kMarker + pipString("B", nullptr) + kMarker +
                      pipString("C", nullptr)).c_str());
  ASSERT_TRUE(dds);
  EXPECT_THAT(names(*dds), ElementsAre("A", ">", ">"));
  EXPECT_EQ(allocationCount(), 1u);  // only A stays in the allocation list
  EXPECT_NE(findname("DD:A"), nullptr);
  EXPECT_EQ(findname("DD:B"), nullptr);
  auto t = traced();
  EXPECT_THAT(t, ::testing::Contains("\tconcatenate next DD to 'A'"));
  EXPECT_EQ(std::count(t.begin(), t.end(), "\tcurrent DD name: 'A'"), 3);
  EXPECT_EQ(freeDD(std::move(*dds)), 0);
  t = traced();
  EXPECT_EQ(std::count(t.begin(), t.end(), "\tfree in spawned process: A"), 1);
  EXPECT_EQ(t.back(), "freeDD() end");
}

TEST_F(Lists, MarkerAtTheStartAndTwiceInARow) {
  auto dds = allocDD((kMarker + pipString("A", nullptr) + kMarker + kMarker + pipString("B", nullptr)).c_str());
  ASSERT_TRUE(dds);
  EXPECT_THAT(names(*dds), ElementsAre("A", ">"));
  auto t = traced();
  EXPECT_THAT(t, ::testing::Contains("\tconcatenate next DD to ''"));
  EXPECT_EQ(std::count(t.begin(), t.end(), "\tconcatenate next DD to 'A'"), 2);
  EXPECT_EQ(std::count_if(t.begin(), t.end(),
                          [](const std::string& l) { return l.rfind("Called SVC99", 0) == 0; }),
            1);
  freeDD(std::move(*dds));
}

TEST_F(Lists, PlainDDAfterAConcatenatedOne) {
  auto dds = allocDD((pipString("A", nullptr) + kMarker + pipString("B", nullptr) + pipString("C", nullptr)).c_str());
  ASSERT_TRUE(dds);
  EXPECT_THAT(names(*dds), ElementsAre("A", ">", "C"));
  EXPECT_EQ(allocationCount(), 2u);
  EXPECT_EQ(findname("DD:C"), (*dds)[2].get());
  auto t = traced();
  EXPECT_THAT(t, ::testing::Contains("\tcurrent DD name: 'C'"));
  EXPECT_EQ(std::count_if(t.begin(), t.end(),
                          [](const std::string& l) { return l.rfind("Called SVC99", 0) == 0; }),
            1);
  freeDD(std::move(*dds));
  t = traced();
  EXPECT_THAT(t, ::testing::Contains("\tfree in spawned process: C"));
}

// Each line of the DD lists and their files, at the lowest level that writes
// it and one below: begin and end at 8, the items at 5, failures at 1.
TEST_F(Lists, TraceLevelOfEachLine) {
  const std::vector<std::pair<std::string, int>> kLines{
      {"allocDD() begin", 8},
      {"allocDD() end", 8},
      {"\tallocate in spawned process: ", 5},
      {"\tconcatenate next DD to ", 5},
      {"\tcurrent DD name: ", 5},
      {"freeDD() begin", 8},
      {"freeDD() end", 8},
      {"\tfree in spawned process: ", 5},
      {"\tdeleted file 'ZZ.A__'", 5},
      {"\tdynalloc failed: ", 1},
      {"\tname refused, not a file of the current directory: ", 1},
      {"Called SVC99 with textunit pointer ", 0}};
  setenv("KIVDELETEFILES", "YES", 1);
  for (int level = 0; level <= 9; ++level) {
    std::filesystem::remove(traceFile_);
    kivtest::dssimTrace.tracelevel = level;
    auto dds = allocDD((pipString("A", "ZZ.A", kNew, kDelete) + kMarker + pipString("B", nullptr)).c_str());
    ASSERT_TRUE(dds);
    freeDD(std::move(*dds));
    EXPECT_FALSE(allocDD(pipString("C", "ZZ.MISSING", kShr).c_str()));
    EXPECT_FALSE(allocDD(pipString("D", "X/Y", kShr).c_str()));
    const auto t = traced();
    for (const auto& [line, lowest] : kLines) {
      const std::string& start = line;
      const bool written =
          std::any_of(t.begin(), t.end(), [&start](const std::string& l) { return l.rfind(start, 0) == 0; });
      EXPECT_EQ(written, level >= lowest) << "'" << line << "' at level " << level;
    }
  }
}

TEST_F(Lists, ConcatenatedGeneratedNameLeavesTheList) {
  auto dds = allocDD((pipString("A", nullptr) + kMarker + pipString("????????", nullptr)).c_str());
  ASSERT_TRUE(dds);
  EXPECT_THAT(names(*dds), ElementsAre("A", ">"));
  EXPECT_EQ(allocationCount(), 1u);
  freeDD(std::move(*dds));
}

TEST_F(Lists, FailureOfTheSecondReleasesTheFirst) {
  setenv("KIVDELETEFILES", "YES", 1);
  auto dds = allocDD((pipString("A", "ZZ.A", kNew, kDelete) + pipString("B", "ZZ.MISSING", kShr) +
                      pipString("C", "ZZ.C", kNew))
                         .c_str());
  EXPECT_FALSE(dds);
  EXPECT_THAT(files(), IsEmpty());  // A was created, freed and deleted; C never looked at
  auto t = traced();
  EXPECT_THAT(t, ::testing::Contains("\tdynalloc failed: DD=B (ZZ.MISSING), errcode=0x00006708, infocode=0x00000000"));
  EXPECT_THAT(t, ::testing::Contains("\tfree in spawned process: A"));
}

TEST_F(Lists, EmptyListsGiveAnEmptyArray) {
  for (const char* list : {"", "no closing mark", "garbage $ here"}) {
    auto dds = allocDD(list);
    ASSERT_TRUE(dds);
    EXPECT_THAT(*dds, IsEmpty());
  }
  EXPECT_TRUE(allocDD(nullptr));
}

TEST_F(Lists, TooManyDDsAreRefusedAndReleased) {
  std::string list;
  for (size_t i = 0; i < 1023; ++i) list += pipString("????????", nullptr);
  auto full = allocDD(list.c_str());
  ASSERT_TRUE(full);
  EXPECT_EQ(full->size(), 1023u);
  freeDD(std::move(*full));
  list += pipString("????????", nullptr);
  EXPECT_FALSE(allocDD(list.c_str()));
  EXPECT_EQ(allocationCount(), 0u);
}

TEST_F(Lists, OverlongPipStringIsRefused) {
  auto p = makePip("A", std::string(1200, 'D').c_str(), 0);
  std::string list = pipString("OK", nullptr) + makeStringFromPIP(*p);
  EXPECT_FALSE(allocDD(list.c_str()));
  EXPECT_EQ(allocationCount(), 0u);
}

TEST(RequestBlocks, ConcatenateByteForByte) {
  RequestBlock rb = makeConcatenateRequest("INDD1", "SYS00001");
  EXPECT_EQ(rb.length, 20);
  EXPECT_EQ(rb.verb, 3);
  EXPECT_EQ(rb.flags1 | rb.flags2 | rb.error | rb.info, 0);
  ASSERT_EQ(rb.textUnits.size(), 2u);
  EXPECT_THAT(rb.textUnits[0].bytes,
              ElementsAre(0x00, 0x01, 0x00, 0x02, 0x00, 0x05, 'I', 'N', 'D', 'D', '1', 0x00, 0x08, 'S', 'Y', 'S',
                          '0', '0', '0', '0', '1'));
  EXPECT_FALSE(rb.textUnits[0].last);
  EXPECT_THAT(rb.textUnits[1].bytes, ElementsAre(0x00, 0x04, 0x00, 0x00));
  EXPECT_TRUE(rb.textUnits[1].last);
  for (uint8_t b : rb.reserved) EXPECT_EQ(b, 0);
}

TEST(RequestBlocks, ConcatenateSucceedsAndKeepsTheRecord) {
  auto a = makePip("A", nullptr, 0);
  auto b = makePip("B", nullptr, 0);
  ASSERT_EQ(dyninitL(a.get()), 0);
  ASSERT_EQ(dyninitL(b.get()), 0);
  int err = -1, info = -1;
  EXPECT_EQ(concatenateDD("A", "B", &err, &info), 0);
  EXPECT_EQ(err, -1);  // untouched on success
  EXPECT_EQ(findname("DD:B"), nullptr);
  EXPECT_EQ(b->ddName, "B");
  EXPECT_EQ(concatenateDD("A", "NOSUCH", nullptr, nullptr), 0);
  EXPECT_EQ(dynfreeL(a.get()), 0);
  EXPECT_EQ(allocationCount(), 0u);
}

}  // namespace
