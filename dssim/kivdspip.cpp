// The PIP record and its string form, DD lists and their concatenation.
#include "kivdsmsg.h"
#include "kivdssim.h"
#include "kivtrace.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>

namespace kiv {

namespace {

constexpr size_t kSeparatorLength = 3;  // " $ "
constexpr size_t kClosingLength = 5;    // " $$$ "

// Calls f on every field of the string form, in its order.
template <class P, class F>
void visitFields(P& p, F&& f) {
  f(p.ddName); f(p.dsName); f(p.sysoutClass); f(p.sysoutName); f(p.member);
  f(p.status); f(p.normdisp); f(p.conddisp); f(p.unit); f(p.volser);
  f(p.dsorg); f(p.alcunit); f(p.primary); f(p.secondary); f(p.recfm);
  f(p.blksize); f(p.lrecl); f(p.volRefDSName); f(p.dcbRefDSName); f(p.dcbRefDDName);
  f(p.miscflags); f(p.password); f(p.infocode); f(p.errcode); f(p.dirblk);
  f(p.avgblk); f(p.storclass); f(p.mgntclass); f(p.dataclass); f(p.refDDName);
  f(p.likeDS); f(p.dsnType); f(p.pathString); f(p.pathopts); f(p.pathmode);
  f(p.pathNDisp); f(p.pathCDisp); f(p.privateVolume); f(p.volumeSequenceNumber); f(p.volumeCount);
  f(p.label); f(p.datasetSequenceNumber);
}

// atoi's reading (leading blanks, a sign, digits up to the first non-digit),
// keeping the low-order 32 bits instead of overflowing.
uint32_t atoiWrapped(const char* s) {
  while (std::isspace(static_cast<unsigned char>(*s))) ++s;
  bool negative = false;
  if (*s == '+' || *s == '-') negative = *s++ == '-';
  uint32_t value = 0;
  for (; *s >= '0' && *s <= '9'; ++s) value = value * 10u + static_cast<uint32_t>(*s - '0');
  return negative ? 0u - value : value;
}

}  // namespace

RequestExtension::RequestExtension() {
  std::memcpy(bytes, "S99RBX", 6);
  bytes[6] = 1;
}

uint32_t RequestExtension::smsReason() const {
  uint32_t word;
  std::memcpy(&word, bytes + 32, sizeof word);
  return word;
}

std::string makeStringFromPIP(const PIP& pip) {
  std::string out;
  visitFields(pip, [&out](const auto& field) {
    using T = std::decay_t<decltype(field)>;
    if constexpr (std::is_same_v<T, std::optional<std::string>>) {
      out += field ? *field : dsmsg::kAbsentString;
    } else {
      out += std::to_string(+field);
    }
    out += dsmsg::kSeparator;
  });
  out += dsmsg::kClosing;
  return out;
}

int makeStringFromPIP(char* buffer, size_t size, const PIP& pip) {
  if (!buffer || size == 0) return -1;
  std::string text = makeStringFromPIP(pip);
  if (text.size() >= size) {
    buffer[0] = '\0';
    return -1;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return 0;
}

void fillPIPFromString(PIP& pip, char* text) {
  if (!text) return;
  std::vector<const char*> values;
  for (char* p = text; (p = std::strstr(p, dsmsg::kSeparator)) != nullptr;) {
    *p = '\0';
    values.push_back(text);
    p += kSeparatorLength;
    text = p;
  }
  size_t position = 0;
  visitFields(pip, [&](auto& field) {
    if (position >= values.size()) return;
    const char* value = values[position++];
    using T = std::decay_t<decltype(field)>;
    if constexpr (std::is_same_v<T, std::optional<std::string>>) {
      if (std::strcmp(value, dsmsg::kAbsentString) != 0) field = value;
    } else {
      field = static_cast<T>(atoiWrapped(value));
    }
  });
}

void freeLocalMemory(PIPPtr pip) { pip.reset(); }

PIPPtr allocDDfromPIPString(char* text) {
  PIPPtr pip;
  try {
    pip = std::make_unique<PIP>();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (dyninitL(pip.get()) != 0) return nullptr;
  fillPIPFromString(*pip, text);
  if (dynallocL(pip.get()) != 0) {
    traceLineL(0, dsmsg::kDynallocFailed, pip->ddName ? pip->ddName->c_str() : dsmsg::kNull,
               pip->dsName ? pip->dsName->c_str() : dsmsg::kNull, static_cast<unsigned>(static_cast<uint16_t>(pip->errcode)),
               static_cast<unsigned>(static_cast<uint16_t>(pip->infocode)));
    return nullptr;
  }
  return pip;
}

std::optional<DDArray> allocDD(const char* list) {
  traceLineL(7, "%s", dsmsg::kAllocDDBegin);
  std::optional<DDArray> result;
  DDArray array;
  try {
    std::string copy = list ? list : "";
    std::string current, pending;
    bool failed = false;
    size_t start = 0;
    for (size_t end; !failed && (end = copy.find(dsmsg::kClosing, start)) != std::string::npos;
         start = end + kClosingLength) {
      copy[end] = '\0';
      char* item = copy.data() + start;
      traceLineL(4, dsmsg::kAllocateItem, item);
      if (std::strncmp(item, dsmsg::kConcatMarker, std::strlen(dsmsg::kConcatMarker)) == 0) {
        pending = current;
        traceLineL(4, dsmsg::kConcatenateNext, pending.c_str());
        continue;
      }
      if (end - start >= kPipStringBufferSize) {
        traceLineL(0, dsmsg::kPipStringTooLong, static_cast<int>(kPipStringBufferSize - 1));
        failed = true;
        break;
      }
      if (array.size() >= kMaxDDs) {
        traceLineL(0, dsmsg::kTooManyDDs, static_cast<int>(kMaxDDs));
        failed = true;
        break;
      }
      // Room first: once the DD is allocated, adding it must not fail.
      if (array.size() == array.capacity()) array.reserve(std::max<size_t>(16, 2 * array.size()));
      PIPPtr pip = allocDDfromPIPString(item);
      if (!pip) {
        failed = true;
        break;
      }
      array.push_back(std::move(pip));  // room reserved above
      PIP* added = array.back().get();
      current = item;  // position 0 as written: parsing cut the item there
      if (!pending.empty()) {
        concatenateDD(pending.c_str(), current.c_str(), nullptr, nullptr);
        // A DD that concatenateDD could not find by name (a generated name,
        // say) must not stay in the list once it is marked as concatenated.
        {
          DDGuard guard;
          if (auto node = findpip(added)) removeElement(*node);
        }
        current = pending;
        pending.clear();
        added->ddName.emplace(kConcatenatedDDName);
      }
      traceLineL(4, dsmsg::kCurrentDDName, current.c_str());
    }
    if (failed) {
      freeDD(std::move(array));
    } else {
      result = std::move(array);
    }
  } catch (const std::bad_alloc&) {
    result.reset();
    freeDD(std::move(array));
  }
  traceLineL(7, "%s", dsmsg::kAllocDDEnd);
  return result;
}

int freeDD(DDArray array) {
  traceLineL(7, "%s", dsmsg::kFreeDDBegin);
  int rc = 0;
  for (PIPPtr& pip : array) {
    if (!pip) continue;
    if (!pip->ddName || *pip->ddName != kConcatenatedDDName) {
      traceLineL(4, dsmsg::kFreeItem, pip->ddName ? pip->ddName->c_str() : dsmsg::kNull);
      rc = dynfreeL(pip.get());
      if (rc != 0)
        traceLineL(0, dsmsg::kDynfreeFailed, static_cast<unsigned>(static_cast<uint16_t>(pip->errcode)),
                   static_cast<unsigned>(static_cast<uint16_t>(pip->infocode)));
    } else {
      // Concatenated records left the list at concatenation; make sure.
      DDGuard guard;
      if (auto node = findpip(pip.get())) removeElement(*node);
    }
    freeLocalMemory(std::move(pip));
  }
  array.clear();
  traceLineL(7, "%s", dsmsg::kFreeDDEnd);
  return rc;
}

std::vector<uint8_t> makeTextUnitBytes(uint16_t key, const std::vector<std::string>& values) {
  std::vector<uint8_t> out;
  auto put16 = [&out](size_t v) {
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    out.push_back(static_cast<uint8_t>(v & 0xFF));
  };
  put16(key);
  put16(values.size());
  for (const std::string& v : values) {
    size_t n = std::min<size_t>(v.size(), 0xFFFF);
    put16(n);
    out.insert(out.end(), v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n));
  }
  return out;
}

RequestBlock makeConcatenateRequest(const char* first, const char* next) {
  RequestBlock rb;
  rb.verb = kVerbConcatenate;
  rb.textUnits.push_back({makeTextUnitBytes(kKeyDDNames, {first ? first : "", next ? next : ""}), false});
  rb.textUnits.push_back({makeTextUnitBytes(kKeyPermanent, {}), true});
  return rb;
}

int concatenateDD(const char* first, const char* next, int* errcode, int* infocode) {
  RequestBlock rb = makeConcatenateRequest(first, next);
  int rc = svc99(rb);
  if (rc == 0) {
    std::string name = std::string("DD:") + (next ? next : "");
    DDGuard guard;
    if (PIP* pip = findnameUnguarded(name.c_str())) {
      if (auto node = findpip(pip)) removeElement(*node);
    }
  } else {
    traceLineL(0, dsmsg::kSvc99Error, rb.error, rb.info);
    if (errcode && infocode) {
      *errcode = rb.error;
      *infocode = rb.info;
    }
  }
  return rc;
}

}  // namespace kiv
