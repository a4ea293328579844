// The data-set allocation simulation: allocation requests (PIP) and their
// string form, the simulated dynamic-allocation service (SVC99) with its
// allocation list and data-set files, DD allocation, release and
// concatenation, and the simulated utility invocation (ATTACH).
//
// The same code is linked into the launcher and into the host-services
// library. Each process (and each module) has its own allocation list, guard
// and generated-name counter: they are plain globals of this static library.
// The trace goes through kiv::traceLine / kiv::traceLineL of the deliverable
// the library is linked into.
//
// Ownership: a PIP is owned through std::unique_ptr<PIP>; the allocation list
// only points at the records registered in it. A record must leave the list
// (dynfreeL, a refused dynallocL, a concatenation) before it is released.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kiv {

// ---- limits -------------------------------------------------------------------
inline constexpr size_t kPipStringBufferSize = 1024;  // PIP string buffer, terminator included
inline constexpr size_t kFileNameBufferSize = 260;    // file name buffer, terminator included
inline constexpr size_t kMaxFileNameLength = kFileNameBufferSize - 1;
inline constexpr size_t kMaxDDs = 1023;               // DDs of one PIP list
inline constexpr int kPipFieldCount = 42;             // values of a PIP string

// ---- status, dispositions and codes -------------------------------------------
inline constexpr int8_t kStatusOld = 1, kStatusMod = 2, kStatusNew = 4, kStatusShr = 8;
inline constexpr int8_t kDispUncatlg = 1, kDispCatlg = 2, kDispDelete = 4, kDispKeep = 8;
inline constexpr int16_t kErrcodeDatasetExists = 0x4704;    // new data set already there
inline constexpr int16_t kErrcodeDatasetNotFound = 0x6708;  // existing data set missing
// Refusals of this simulation: a name whose file would not be a plain file in
// the current directory (separators, "..", drive letters, wildcards, longer
// than the file name buffer), and no generated DD name left.
inline constexpr int16_t kErrcodeBadFileName = 0x0360;
inline constexpr int16_t kErrcodeNoDDName = 0x0410;
inline constexpr int kDynallocRefused = 4;
// Return code printed when the DD list of a spawned utility cannot be allocated.
inline constexpr int32_t kAllocFailedReturnCode = 0x00FFF000;

inline constexpr const char* kGeneratedDDRequest = "????????";
inline constexpr const char* kConcatenatedDDName = ">";

// The 36-byte host request-block extension of a DD object.
struct RequestExtension {
  uint8_t bytes[36]{};
  RequestExtension();  // "S99RBX", version 1, rest zero
  uint32_t smsReason() const;  // the 32-bit word at byte 32
};

// One dynamic-allocation request. Numbers keep their exact widths; absent
// strings are nullopt.
struct PIP {
  std::optional<std::string> ddName;
  std::optional<std::string> dsName;
  int8_t sysoutClass = 0;
  std::optional<std::string> sysoutName;
  std::optional<std::string> member;
  int8_t status = 0;
  int8_t normdisp = 0;
  int8_t conddisp = 0;
  std::optional<std::string> unit;
  std::optional<std::string> volser;
  int16_t dsorg = 0;
  int8_t alcunit = 0;
  int32_t primary = 0;
  int32_t secondary = 0;
  int16_t recfm = 0;
  int16_t blksize = 0;
  uint16_t lrecl = 0;
  std::optional<std::string> volRefDSName;
  std::optional<std::string> dcbRefDSName;
  std::optional<std::string> dcbRefDDName;
  uint8_t miscflags = 0;
  std::optional<std::string> password;
  int16_t infocode = 0;
  int16_t errcode = 0;
  int32_t dirblk = 0;
  int32_t avgblk = 0;
  std::optional<std::string> storclass;
  std::optional<std::string> mgntclass;
  std::optional<std::string> dataclass;
  std::optional<std::string> refDDName;
  std::optional<std::string> likeDS;
  uint8_t dsnType = 0;
  std::unique_ptr<RequestExtension> requestExtension;  // never in the string form
  std::optional<std::string> pathString;
  int32_t pathopts = 0;
  int32_t pathmode = 0;
  int8_t pathNDisp = 0;
  int8_t pathCDisp = 0;
  int8_t privateVolume = 0;
  int32_t volumeSequenceNumber = 0;
  int32_t volumeCount = 0;
  int8_t label = 0;
  int32_t datasetSequenceNumber = 0;
};

using PIPPtr = std::unique_ptr<PIP>;
// The DDs of one PIP list, in list order (at most kMaxDDs).
using DDArray = std::vector<PIPPtr>;

// ---- PIP string (kivdspip.cpp) --------------------------------------------------
// The PIP string of pip.
std::string makeStringFromPIP(const PIP& pip);
// Into a caller's buffer of `size` bytes, NUL-terminated. Returns 0, or -1
// (buffer holds "") when the text does not fit.
int makeStringFromPIP(char* buffer, size_t size, const PIP& pip);
// Sets the fields of pip from text, which is cut in place: afterwards text
// reads as the value at position 0.
void fillPIPFromString(PIP& pip, char* text);
// Releases pip (its strings and extension with it). A null pip is ignored.
void freeLocalMemory(PIPPtr pip);
// Builds a record from one PIP string, registers and allocates it; null when
// that fails (the reason is traced).
PIPPtr allocDDfromPIPString(char* text);

// ---- DD lists and concatenation (kivdspip.cpp) -----------------------------------
// Allocates every DD of a PIP list, concatenating where the list's markers
// ask. nullopt when an allocation failed, the list holds more than kMaxDDs
// DDs or one PIP string is longer than kPipStringBufferSize - 1; whatever was
// allocated before has then been released.
std::optional<DDArray> allocDD(const char* list);
// Releases every DD of the array; returns the last dynfreeL result (0).
int freeDD(DDArray array);

// The host's text unit: big-endian 16-bit key, 16-bit count, then per value a
// 16-bit length and the value's bytes.
struct TextUnit {
  std::vector<uint8_t> bytes;
  bool last = false;  // the top bit of its entry in the pointer list
};
std::vector<uint8_t> makeTextUnitBytes(uint16_t key, const std::vector<std::string>& values);

// The host request block: length 20, verb, two flag bytes, 16-bit error and
// information codes, the text-unit pointer list and eight reserved bytes.
struct RequestBlock {
  uint8_t length = 20;
  uint8_t verb = 0;
  uint8_t flags1 = 0;
  uint8_t flags2 = 0;
  uint16_t error = 0;
  uint16_t info = 0;
  std::vector<TextUnit> textUnits;
  uint8_t reserved[8]{};
};
inline constexpr uint8_t kVerbConcatenate = 3;
inline constexpr uint16_t kKeyDDNames = 0x0001;
inline constexpr uint16_t kKeyPermanent = 0x0004;

// The request that concatenates `next` to `first`.
RequestBlock makeConcatenateRequest(const char* first, const char* next);
// Concatenates the DD `next` to the DD `first`. Returns 0 or svc99's result;
// on failure the host's codes go through errcode and infocode when both are
// given.
int concatenateDD(const char* first, const char* next, int* errcode, int* infocode);

// ---- simulated SVC99 and data-set files (kivdssim.cpp) ---------------------------
using DynNode = std::list<PIP*>::iterator;

// Generated DD names so far ("SYS%0.5X"); guarded like the list.
extern int countDDs;

// The simulated service: traces the request and reports success.
int svc99(RequestBlock& request);

// Registers pip in the allocation list. 0, or 1 when no room.
int dyninitL(PIP* pip);
// Allocates a registered record: generated name, file checks, creation.
// 0, or kDynallocRefused with the code in errcode (the record then leaves the list).
int dynallocL(PIP* pip);
// Takes pip off the list and deletes its files when KIVDELETEFILES asks. Always 0.
int dynfreeL(PIP* pip);

// The registered record whose ddName is the text after "DD:", or null.
// Searches under the guard.
PIP* findname(const char* text);
// Number of records in the list (under the guard).
size_t allocationCount();

// Without the guard: the caller holds it (see DDGuard).
std::optional<DynNode> findpip(const PIP* pip);
PIP* findnameUnguarded(const char* text);
void removeElement(DynNode node);  // unlinks and releases the node, not the record

// Holds the allocation list's guard for its lifetime. The test-and-set is one
// atomic step; a waiting caller says so once on standard output and yields.
class DDGuard {
 public:
  DDGuard();
  ~DDGuard();
  DDGuard(const DDGuard&) = delete;
  DDGuard& operator=(const DDGuard&) = delete;
};

// File names. Each returns 0 and the name in `out`, or kErrcodeBadFileName
// when the name would not be a plain file in the current directory. Every
// data-set file name is made by one of these two, so their checks hold for
// every caller (allocation, streams, member tests, removal).
// makeFileName: 0 with an empty name when the record names no file at all.
int makeFileName(std::string& out, const PIP& pip, int withMember);
int checkFileName(std::string& out, const char* name);
void replacePathChars(std::string& text);
// True when name can only be a plain file of the current directory, kept by
// the file system under exactly this name: no path separator, drive letter,
// wildcard, "." or "..", control character, not over kMaxFileNameLength
// characters, and on Windows no device name (NUL.DATA, CON, COM1.X, ...)
// and no dot or blank at its end.
bool isPlainFileName(const std::string& name);
// Creates (or empties) a data-set file with the text of a new data set.
void createFile(const char* name);
// The regular files of the current directory that pattern names ('*' matches
// any run of characters; letters match as the platform's file system
// matches them: in either case on Windows, as its command shell does, and
// exactly on POSIX); removes them. Returns how many were removed.
int deleteMatchingFiles(const std::string& pattern);
bool wildcardMatch(const std::string& pattern, const std::string& name, bool ignoreCase);

// ---- utilities (kivjcomm.cpp) ---------------------------------------------------
int runUtility(const char* utility, const char* parm, const char* steplib);
int fileexists(const char* name);
int testAPF();

}  // namespace kiv
