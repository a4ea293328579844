// The reader's records from any bytes and any maximum, against the C
// library's fgets on the same bytes; and the runs of plain records that the
// library makes into Strings ahead, against a plain byte-by-byte reading.
#include "kivlinebuffer.h"
#include "kivrecordstrings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

std::vector<jint> plainEndsByHand(const std::string& text, std::size_t maxChars, std::size_t maxBytes) {
  std::vector<jint> ends;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    bool plain = true;
    while (end < text.size() && end - start < maxChars && text[end] != '\n') {
      auto c = static_cast<unsigned char>(text[end]);
      plain = plain && c >= 1 && c <= 127;
      ++end;
    }
    if (end == text.size() || text[end] != '\n' || end - start >= maxChars || !plain || end + 1 > maxBytes) break;
    ends.push_back(static_cast<jint>(end + 1));
    start = end + 1;
  }
  return ends;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  // Small maxima reach every cut; the third byte bounds a run.
  std::size_t maxChars = 1 + (data[0] | (data[1] << 8)) % 300;
  std::size_t maxBytes = 1 + data[2];
  std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
  if (text.empty()) return 0;

  std::FILE* mine = fmemopen(text.data(), text.size(), "r");
  std::FILE* theirs = fmemopen(text.data(), text.size(), "r");
  check(mine && theirs);
  kiv::utils::LineBuffer lines;
  kiv::utils::LineBuffer::Record record;
  std::vector<char> buffer(maxChars + 1);
  for (;;) {
    bool grown = false;
    auto status = lines.next(mine, maxChars, record, grown);
    char* got = std::fgets(buffer.data(), static_cast<int>(buffer.size()), theirs);
    check(status != kiv::utils::LineBuffer::Status::kError);
    if (!got) {
      check(status == kiv::utils::LineBuffer::Status::kEnd);
      break;
    }
    check(status == kiv::utils::LineBuffer::Status::kRecord);
    check(record.length == std::strlen(buffer.data()));
    check(std::memcmp(record.data, buffer.data(), record.length) == 0);
    check(record.consumed >= 1 && record.consumed <= maxChars);
    check(record.offset + record.consumed == static_cast<std::uint64_t>(std::ftell(theirs)));
    check(lines.capacity() <= maxChars + 2 || lines.capacity() <= 64 * 1024 + 2);
  }
  std::fclose(mine);
  std::fclose(theirs);

  check(kiv::utils::plainRecordEnds(text, maxChars, maxBytes) == plainEndsByHand(text, maxChars, maxBytes));
  return 0;
}
