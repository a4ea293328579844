// Netscape Navigator's viewer entry for JNLP files and the search for a
// running Navigator among the machine's processes.
#include <new>

#include "helper.h"
#include "helpermsg.h"

namespace orlin {
namespace {

std::string slotName(int slot) {
  char name[32];
  std::snprintf(name, sizeof name, msg::kViewerSlot, slot);
  return name;
}

bool browserVisitor(std::uint32_t, std::uint16_t, const char* name, void* context) {
  if (!isBrowserFile(name)) return true;
  *static_cast<bool*>(context) = true;
  return false;
}

// Process-id lists larger than this are not believed.
constexpr std::uint32_t kMaxIdBytes = 1u << 24;

}  // namespace

void registerJnlpViewer(HelperOs& os, const std::string& launcherPath) {
  const std::string command = '"' + launcherPath + '"';
  const std::string type = msg::kJnlpMimeType;
  auto viewers = os.openViewers(ViewerAccess::Register);
  if (!viewers) return;
  for (int slot = 0; slot < kViewerSlots; ++slot) {
    std::string name = slotName(slot);
    std::optional<std::string> held = viewers->read(name);
    if (!held) {
      viewers->write(name, type);
      viewers->write(type, command);
      return;
    }
    if (*held == type) {
      viewers->write(type, command);
      return;
    }
  }
}

void unregisterJnlpViewer(HelperOs& os) {
  auto viewers = os.openViewers(ViewerAccess::Remove);
  if (!viewers) return;
  for (int slot = 0; slot < kViewerSlots; ++slot) {
    std::string name = slotName(slot);
    if (viewers->read(name) == msg::kJnlpMimeType) {
      viewers->remove(name, msg::kJnlpMimeType);
      return;
    }
  }
}

bool isBrowserRunning(HelperOs& os) {
  bool found = false;
  os.enumerateProcesses(browserVisitor, &found);
  return found;
}

bool walkNtProcesses(NtProcessApi& api, ProcessVisitor visitor, void* context) {
  std::vector<std::uint32_t> ids;
  std::uint32_t bytes = 1024;
  std::uint32_t returned = 0;
  for (;;) {
    try {
      ids.assign(bytes / sizeof(std::uint32_t), 0);
    } catch (const std::bad_alloc&) {
      return false;
    }
    if (!api.enumProcesses(ids.data(), bytes, returned)) return false;
    if (returned < bytes) break;
    // A full buffer may have cut the list: try again with twice the room.
    if (bytes >= kMaxIdBytes) return false;
    bytes *= 2;
  }
  ids.resize(returned / sizeof(std::uint32_t));
  for (std::uint32_t pid : ids) {
    std::string name = api.processFileName(pid);
    if (!visitor(pid, 0, name.c_str(), context)) break;
    if (isDosMachine(name.c_str()) && !api.enumTasks(pid, visitor, context)) break;
  }
  return true;
}

bool walk9xProcesses(ToolhelpApi& api, ProcessVisitor visitor, void* context) {
  if (!api.snapshot()) return false;
  ToolhelpApi::Entry entry;
  for (bool more = api.first(entry); more; more = api.next(entry)) {
    if (!visitor(entry.pid, 0, entry.name.c_str(), context)) break;
  }
  return true;
}

}  // namespace orlin
