// Appending to a file that several processes write at once, each opening
// and closing it for every piece it adds (the trace file of the launcher, the
// host-services library and the spawned children).
#pragma once

#include <string_view>

namespace kiv::platform {

// Appends text to the file at path (created when missing): opens the file
// for appending only, hands the whole text to the system in one write and
// closes the file again. The system puts each write at the then end of the
// file in one step, so what other processes append at the same time never
// lands inside the text:
//   POSIX: write(2) on a descriptor opened with O_APPEND; the bytes as given.
//   Windows: WriteFile on a handle opened with FILE_APPEND_DATA and without
//   FILE_WRITE_DATA; every LF is written as CR LF, as the C library's text
//   mode writes it. Around the write the appenders take turns through a
//   byte-range lock far beyond the file's end: Wine puts an append-only
//   write at the end it found a moment before, not in one step with it.
// When the system takes less than the whole text, the rest follows in
// further writes. Returns 0, or the error number (errno; GetLastError on
// Windows) of the open or write that failed.
int appendToFile(const char* path, std::string_view text);

}  // namespace kiv::platform
