// The plain logic behind the data-set readers, writers and streams.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

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

// Reads one line (line end included) of at most maxChars characters into
// buffer, starting at buffer[0]; the buffer grows with the line, in steps,
// never to maxChars at once. Returns the line's length; 0 when nothing was
// read. grown is set when the buffer had to grow. The caller makes sure no
// other thread uses the file meanwhile (the C library's lock is skipped).
std::size_t readLine(std::FILE* file, std::size_t maxChars, std::vector<char>& buffer, bool& grown);

}  // namespace kiv::utils
