// The plain logic behind the data-set readers, writers and streams.
#pragma once

#include <string>

namespace kiv::utils {

// The mode handed to the C library's fopen for a class's open mode: the
// part before the first comma. Host options such as ",recfm=*" mean nothing
// to a desktop C library (and some refuse the whole mode for them).
std::string hostOpenMode(const char* mode);

// ivMaxreclen for a file of `size` bytes: the size, 65535 for an empty file,
// at most the largest Java int.
int maxRecordLength(long long size);

// The character that readRecordN_old stores for a byte of the line: BEL, BS
// and TAB become a blank; VT, FF and CR a newline; any other byte its value.
char16_t mapRecordByte(unsigned char byte);

// Writes out what the writers that are still open hold in their buffers,
// skipping any stream another thread holds (what the library does at exit).
void flushOpenStreams();

}  // namespace kiv::utils
