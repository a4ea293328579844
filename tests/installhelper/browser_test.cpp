// Navigator's viewer slots and the process walks.
#include "fake_os.h"

namespace orlin::test {
namespace {

const std::string kType = "application/x-java-jnlp-file";

TEST(Viewers, RegistrationTakesTheFirstFreeSlot) {
  FakeOs os;
  os.viewerValues = {{"TYPE0", "text/plain"}, {"TYPE2", "image/png"}};
  registerJnlpViewer(os, "C:\\orlin\\orlin.exe");
  EXPECT_EQ(os.viewerValues["TYPE1"], kType);
  EXPECT_EQ(os.viewerValues[kType], "\"C:\\orlin\\orlin.exe\"");
  // Again with another path: the slot stays, the command is rewritten.
  registerJnlpViewer(os, "D:\\o\\orlin.exe");
  EXPECT_EQ(os.viewerValues.size(), 4u);
  EXPECT_EQ(os.viewerValues["TYPE1"], kType);
  EXPECT_EQ(os.viewerValues[kType], "\"D:\\o\\orlin.exe\"");
}

TEST(Viewers, UnreadableSlotCountsAsFree) {
  FakeOs os;
  os.viewerValues = {{"TYPE0", std::nullopt}};
  registerJnlpViewer(os, "C:\\o.exe");
  EXPECT_EQ(os.viewerValues["TYPE0"], kType);
}

TEST(Viewers, AllSlotsTakenWritesNothing) {
  FakeOs os;
  for (int i = 0; i < 100; ++i) os.viewerValues["TYPE" + std::to_string(i)] = "x/" + std::to_string(i);
  registerJnlpViewer(os, "C:\\o.exe");
  EXPECT_EQ(os.viewerValues.size(), 100u);
  os.viewerValues["TYPE99"] = kType;
  registerJnlpViewer(os, "C:\\o.exe");
  EXPECT_EQ(os.viewerValues[kType], "\"C:\\o.exe\"");
}

TEST(Viewers, RemovalGoesPastGapsAndTakesOnlyTheFirstMatch) {
  FakeOs os;
  os.viewerValues = {{"TYPE0", "text/plain"}, {"TYPE1", std::nullopt}, {"TYPE3", kType},
                     {"TYPE5", kType},        {kType, "\"C:\\o.exe\""}};
  unregisterJnlpViewer(os);
  EXPECT_FALSE(os.viewerValues.count("TYPE3"));
  EXPECT_FALSE(os.viewerValues.count(kType));
  EXPECT_EQ(os.viewerValues["TYPE5"], kType);
  EXPECT_EQ(os.viewerValues["TYPE0"], "text/plain");
  EXPECT_EQ(os.viewerValues.count("TYPE1"), 1u);
  // Case counts.
  FakeOs other;
  other.viewerValues = {{"TYPE0", "Application/X-Java-JNLP-File"}};
  unregisterJnlpViewer(other);
  EXPECT_EQ(other.viewerValues.size(), 1u);
}

TEST(BrowserRunning, NeedsAFullPathNamedNetscapeExe) {
  FakeOs os;
  os.processes = {"", "C:\\windows\\system32\\services.exe", "netscape.exe"};
  EXPECT_FALSE(isBrowserRunning(os));
  os.processes.push_back("C:\\Program Files\\Netscape\\Communicator\\Program\\NETSCAPE.EXE");
  EXPECT_TRUE(isBrowserRunning(os));
}

// PSAPI and VDMDBG as a table of processes and 16-bit tasks.
class FakeNt : public NtProcessApi {
 public:
  std::vector<std::pair<std::uint32_t, std::string>> processes;
  std::map<std::uint32_t, std::vector<std::pair<std::uint16_t, std::string>>> tasks;
  std::vector<std::uint32_t> bufferSizes;
  bool fail = false;

  bool enumProcesses(std::uint32_t* ids, std::uint32_t bytes, std::uint32_t& returned) override {
    bufferSizes.push_back(bytes);
    if (fail) return false;
    std::uint32_t n = std::min<std::uint32_t>(bytes / 4, static_cast<std::uint32_t>(processes.size()));
    for (std::uint32_t i = 0; i < n; ++i) ids[i] = processes[i].first;
    returned = n * 4;
    return true;
  }
  std::string processFileName(std::uint32_t pid) override {
    for (auto& [id, name] : processes) {
      if (id == pid) return name;
    }
    return {};
  }
  bool enumTasks(std::uint32_t pid, ProcessVisitor visitor, void* context) override {
    for (auto& [task, name] : tasks[pid]) {
      if (!visitor(pid, task, name.c_str(), context)) return false;
    }
    return true;
  }
};

struct Visits {
  std::vector<std::string> seen;
  std::string stopAt = "<never>";
};

bool record(std::uint32_t pid, std::uint16_t task, const char* name, void* context) {
  auto* v = static_cast<Visits*>(context);
  v->seen.push_back(std::to_string(pid) + "/" + std::to_string(task) + "/" + name);
  return v->stopAt != name;
}

TEST(NtWalk, GrowsTheIdBufferUntilTheListFits) {
  FakeNt api;
  for (std::uint32_t i = 1; i <= 600; ++i) api.processes.push_back({i, "C:\\p" + std::to_string(i) + ".exe"});
  Visits visits;
  EXPECT_TRUE(walkNtProcesses(api, record, &visits));
  EXPECT_EQ(api.bufferSizes, (std::vector<std::uint32_t>{1024, 2048, 4096}));
  ASSERT_EQ(visits.seen.size(), 600u);
  EXPECT_EQ(visits.seen.back(), "600/0/C:\\p600.exe");
  // Exactly 256 ids fill 1024 bytes: the list may be cut, so ask again.
  api.processes.resize(256);
  api.bufferSizes.clear();
  EXPECT_TRUE(walkNtProcesses(api, record, &visits));
  EXPECT_EQ(api.bufferSizes, (std::vector<std::uint32_t>{1024, 2048}));
}

TEST(NtWalk, DosMachineTasksAndStops) {
  FakeNt api;
  api.processes = {{8, "C:\\a.exe"}, {12, ""}, {16, "C:\\WINNT\\system32\\ntvdm.exe"}, {20, "C:\\z.exe"}};
  api.tasks[16] = {{0x1234, "C:\\WIN16\\APP1.EXE"}, {0x5678, "C:\\WIN16\\APP2.EXE"}};
  Visits all;
  EXPECT_TRUE(walkNtProcesses(api, record, &all));
  EXPECT_EQ(all.seen, (std::vector<std::string>{"8/0/C:\\a.exe", "12/0/", "16/0/C:\\WINNT\\system32\\ntvdm.exe",
                                                "16/4660/C:\\WIN16\\APP1.EXE", "16/22136/C:\\WIN16\\APP2.EXE",
                                                "20/0/C:\\z.exe"}));
  Visits inTask{{}, "C:\\WIN16\\APP1.EXE"};
  EXPECT_TRUE(walkNtProcesses(api, record, &inTask));
  EXPECT_EQ(inTask.seen.size(), 4u);
  Visits atProcess{{}, "C:\\a.exe"};
  EXPECT_TRUE(walkNtProcesses(api, record, &atProcess));
  EXPECT_EQ(atProcess.seen.size(), 1u);
  api.fail = true;
  EXPECT_FALSE(walkNtProcesses(api, record, &all));
}

class FakeToolhelp : public ToolhelpApi {
 public:
  std::vector<Entry> entries;
  bool canSnapshot = true;
  std::size_t at = 0;
  bool snapshot() override { return canSnapshot; }
  bool first(Entry& e) override {
    at = 0;
    return next(e);
  }
  bool next(Entry& e) override {
    if (at >= entries.size()) return false;
    e = entries[at++];
    return true;
  }
};

TEST(NineXWalk, VisitsTheSnapshot) {
  FakeToolhelp api;
  api.entries = {{1, "C:\\WINDOWS\\EXPLORER.EXE"}, {2, "C:\\N\\NETSCAPE.EXE"}, {3, "C:\\x.exe"}};
  Visits visits{{}, "C:\\N\\NETSCAPE.EXE"};
  EXPECT_TRUE(walk9xProcesses(api, record, &visits));
  EXPECT_EQ(visits.seen, (std::vector<std::string>{"1/0/C:\\WINDOWS\\EXPLORER.EXE", "2/0/C:\\N\\NETSCAPE.EXE"}));
  api.canSnapshot = false;
  EXPECT_FALSE(walk9xProcesses(api, record, &visits));
}

}  // namespace
}  // namespace orlin::test
