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
#pragma once

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

// The Strings of one run of records, held for a stream (not thread-safe: the
// stream's lock covers it). The run starts at a stream offset; records are
// taken in order.
class RecordStrings {
 public:
  RecordStrings() = default;
  RecordStrings(const RecordStrings&) = delete;
  RecordStrings& operator=(const RecordStrings&) = delete;

  // Makes the Strings of the records of text that end at ends (text starts at
  // stream offset `offset`). False, holding nothing, when the VM cannot make
  // them (the class cannot be defined, out of memory).
  bool make(JNIEnv* env, std::string_view text, std::uint64_t offset, std::vector<jint> ends);

  // The String (a local reference) of the record at `offset` that took
  // `consumed` characters, when it is the next one of the run. Null
  // otherwise: the run is given up and the caller makes the String itself.
  jstring take(JNIEnv* env, std::uint64_t offset, std::size_t consumed);

  // The length of the run's next record when it starts at `offset`, else 0.
  std::size_t nextLength(std::uint64_t offset) const;

  bool empty() const { return strings_ == nullptr; }
  // Lets go of the run's Strings.
  void clear(JNIEnv* env);
  // And of the arrays kept for the next run (the stream is closed).
  void release(JNIEnv* env);

 private:
  jobjectArray strings_ = nullptr;  // a global reference while a run is held
  // The arrays that carry a run's text and ends into the VM, kept from run
  // to run (global references).
  jbyteArray textArray_ = nullptr;
  jintArray endArray_ = nullptr;
  jsize textCapacity_ = 0;
  jsize endCapacity_ = 0;
  std::vector<jint> ends_;
  std::uint64_t start_ = 0;  // stream offset of the run's first record
  std::size_t next_ = 0;     // index of the next record
};

}  // namespace kiv::utils
