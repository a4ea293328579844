// The plain logic behind the console, HFS, host-utility and system-call
// native methods: everything here runs without a VM.
#pragma once

#include "kivlock.h"
#include "kivplatform.h"

#include <jni.h>

#include <cstdint>
#include <string>

namespace kiv::utils {

// ---- consoles ------------------------------------------------------------------------

// One active console. Mirrors the host's console parameters; the simulation
// sets only the name, the codes (0) and the message count.
struct Console {
  // addElement of the vector class, cached at the first collection, with a
  // global reference to that class. Threads may collect on one console at
  // once, with vectors of different classes, while another deletes it:
  // both are read and changed under cacheLock only, and nothing is cached
  // once the console was deleted.
  jmethodID addElement = nullptr;
  jclass vectorClass = nullptr;
  bool deleted = false;
  platform::Mutex cacheLock;
  std::int32_t* returnCode = nullptr;
  std::int32_t retcode = 0;
  std::int32_t rsncode = 0;
  char mcsname[8]{};  // not terminated
  char termname[8]{};
  std::uint32_t consid = 0;
  std::uint32_t mcscsa = 0;
  std::uint32_t mcscsaa = 0;
  std::uint32_t mcsecb = 0;
  char msgcart[8]{};
  std::int32_t msgbufn = 0;
  std::uint32_t msgbufl = 0;
  std::uint32_t msgbufu = 0;
  std::uint32_t msgbuf = 0;
  std::uint32_t msgctr = 0;

  explicit Console(const char* name);
  // The name as kept: at most 8 characters.
  std::string name() const;
};

// ---- HFS files -------------------------------------------------------------------------

// The local form of a host path: "/" becomes the platform's separator, then
// everything from the last separator on is cut off (a path without any
// separator stays as it is).
std::string localPathForm(const char* path);

// The status fields handed to Java, in their host widths.
struct StatusFields {
  jint permissions, inode, devid, nlinks, uid, gid, size, atime, ctime, mtime;
};
StatusFields statusFields(const platform::FileStatus& status);

// The file that stands for a name given to removeN: the simulated file of
// the registered request for "DD:name", else the name in host notation.
// Returns false (file then holds the name as given) when the name makes no
// plain file of the current directory.
bool fileForName(const char* name, std::string& file);

// Removes the file that stands for name. Returns 0, or -1 with the error
// number in err. Traces the correspondence (level 8) and the result (level 1).
int removeHostFile(const char* name, int& err);

// ---- host utilities ----------------------------------------------------------------------

// text with its first "&SYSNAME." (any case) replaced by value (null: nothing).
std::string resolveSystemSymbol(const std::string& text, const char* value);
// The 232-character IPL information record.
std::string iplInfoRecord();

}  // namespace kiv::utils
