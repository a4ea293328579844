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

// What the library does when the process ends: every writer and output
// stream still open writes out what its buffer holds and is closed. A
// stream that another thread holds is waited for, as is a pipe that is
// full, 2 seconds in all at the most.
void finishStreamsAtExit();

}  // namespace kiv::utils
