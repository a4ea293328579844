// The reading side of a record stream: the file is read in blocks into a
// buffer of the stream's own, and records are taken from that buffer the way
// the C library's fgets takes them from a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace kiv::utils {

class LineBuffer {
 public:
  // One record as fgets(buffer, maxChars + 1, file) reads it: the characters
  // up to and including the next line end, at most maxChars of them, or the
  // rest of the data. `consumed` characters left the buffer; the record's
  // text ends at its first NUL byte (as a C string would), so `length` may
  // be shorter. `data` stays valid until the next call that reads.
  struct Record {
    const char* data = nullptr;
    std::size_t consumed = 0;
    std::size_t length = 0;
    std::uint64_t offset = 0;  // where it starts: characters taken since the stream opened
  };
  enum class Status { kRecord, kEnd, kError };

  // Takes the next record of at most maxChars (> 0) characters, reading the
  // file when the buffered data holds no whole record. kEnd: nothing is left;
  // kError: the file could not be read (the caller reports errno and clears
  // the file's error; what was buffered stays). grown is set when the buffer
  // had to grow: it follows the longest record, never maxChars at once.
  // The caller makes sure no other thread uses the file meanwhile (the C
  // library's lock is skipped).
  Status next(std::FILE* file, std::size_t maxChars, Record& record, bool& grown);

  // Takes the next n buffered characters as one record, when the caller
  // knows them to be a whole line without NUL characters that fits the
  // maximum (no search needed); false when fewer are buffered.
  bool takeKnown(std::size_t n, Record& record);

  // The buffered characters that no record has taken yet, and their offset.
  std::string_view pending() const { return {data_.data() + pos_, end_ - pos_}; }
  std::uint64_t offset() const { return taken_; }

  // Byte reads on the same stream take what is buffered first: up to n
  // characters into out; how many.
  std::size_t take(char* out, std::size_t n);

  std::size_t capacity() const { return data_.size(); }
  // Frees the buffer (the stream is closed).
  void release();

 private:
  // Makes the `consumed` characters at the front a record whose text has
  // `length` characters, and takes them.
  void takeRecord(std::size_t consumed, std::size_t length, Record& record);

  std::vector<char> data_;
  std::size_t pos_ = 0;  // first character not taken yet
  std::size_t end_ = 0;  // end of the buffered characters
  std::uint64_t taken_ = 0;
  bool eof_ = false;
};

}  // namespace kiv::utils
