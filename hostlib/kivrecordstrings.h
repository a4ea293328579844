// Record Strings made ahead, many in one call into the VM.
//
// A String made by native code (NewStringUTF) costs about as much as Java's
// whole BufferedReader.readLine, so a reader that makes one per record can
// never keep up with Java. The library therefore carries a small Java class
// of its own (KivRecordStrings, defined in the VM on first use) that turns a
// block of buffered records into Strings in one call; readRecordN then hands
// them out one by one. Only plain ASCII records without NUL characters are
// made this way: for them the String is exactly the one NewStringUTF makes.
// Everything else, and every VM that cannot take the class, keeps the
// NewStringUTF path.
//
// The Strings are made and handed out outside the stream's lock: the stream
// keeps only where the run's records lie (RunIndex, under its lock) and a
// shared hold on the Strings.
#pragma once

#include "kivglobalref.h"

#include <jni.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kiv::utils {

// The run of whole records at the front of text that can be made ahead:
// their ends (relative to text, line end included), none longer than
// maxChars, none with a character outside 1..127, at most maxBytes (at most
// INT_MAX) in all. Empty when the first record does not qualify.
std::vector<jint> plainRecordEnds(std::string_view text, std::size_t maxChars, std::size_t maxBytes);

// Where the records of one run lie in a stream: the run starts at a stream
// offset, and records are taken in order. Plain data: no calls into the VM.
class RunIndex {
 public:
  // A run of records that end at ends (relative to offset), of which the
  // first `taken` were taken already.
  void start(std::uint64_t offset, std::vector<jint> ends, std::size_t taken);
  // The length of the run's next record when it starts at `offset`, else 0.
  std::size_t nextLength(std::uint64_t offset) const;
  // The index of the record at `offset` that took `consumed` characters,
  // when it is the run's next one (it is taken); -1 otherwise, and the run
  // is given up.
  long take(std::uint64_t offset, std::size_t consumed);
  bool empty() const { return ends_.empty(); }
  void clear();

 private:
  std::vector<jint> ends_;
  std::uint64_t start_ = 0;  // stream offset of the run's first record
  std::size_t next_ = 0;     // index of the next record
};

// The arrays that carry a run's text and ends into the VM, kept from run to
// run by a stream (global references).
struct RunArrays {
  GlobalRef text;
  GlobalRef ends;
  jsize textCapacity = 0;
  jsize endCapacity = 0;
};

// Whether the VM refused the library's class (then no run is ever made:
// the records take NewStringUTF).
bool recordStringsRefused();

// The Strings of the records of text that end at ends (a String[]), or an
// empty reference when the VM cannot make them (the class cannot be
// defined, out of memory; whatever it throws is cleared).
GlobalRef makeRecordStrings(JNIEnv* env, RunArrays& arrays, std::string_view text, const std::vector<jint>& ends);

}  // namespace kiv::utils
