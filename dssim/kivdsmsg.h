// Every text that the data-set simulation writes to the console or to the
// trace file, in one place. printf formats keep their exact original spelling
// ("%0.8x" prints as "%.8x" does).
#pragma once

// Compilers warn that "%0.8x" ignores its '0'; the texts keep their spelling.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"

namespace kiv::dsmsg {

// ---- PIP string ----------------------------------------------------------------
inline constexpr const char* kSeparator = " $ ";
inline constexpr const char* kClosing = " $$$ ";
inline constexpr const char* kAbsentString = "00000000";
inline constexpr const char* kConcatMarker = "$C$O$N$C$A$T$";
inline constexpr const char* kNull = "(null)";  // an absent text in a trace line
inline constexpr const char* kConcatIdent = "$C$O$N$C$A$T$ $$$ ";

// ---- allocation service and data-set files -----------------------------------------
inline constexpr const char* kWaitingForSemaphore = "Waiting for DD semaphore...\n";
inline constexpr const char* kGeneratedNameFormat = "SYS%0.5X";
inline constexpr const char* kFileNameFormat = "%s_%s_%s";
inline constexpr const char* kSysoutFileNameFormat = "%s__";
inline constexpr const char* kCreatingFile = "Creating file '%s'\n";
inline constexpr const char* kNewDatasetText =
    "\n"
    "This file represents a just created empty data set.\n"
    "It might be a HFS, PS or a PDS; any contents are ignored if HFS or PDS";
inline constexpr const char* kCalledSvc99 = "Called SVC99 with textunit pointer %p\n";
inline constexpr const char* kBadFileName = "\tname refused, not a file of the current directory: '%s'\n";
inline constexpr const char* kDeletedFile = "\tdeleted file '%s'\n";

// ---- DD lists ------------------------------------------------------------------------
inline constexpr const char* kDynallocFailed =
    "\tdynalloc failed: DD=%s (%s), errcode=0x%0.8x, infocode=0x%0.8x\n";
inline constexpr const char* kAllocDDBegin = "allocDD() begin\n";
inline constexpr const char* kAllocDDEnd = "allocDD() end\n";
inline constexpr const char* kAllocateItem = "\tallocate in spawned process: %s\n";
inline constexpr const char* kConcatenateNext = "\tconcatenate next DD to '%s'\n";
inline constexpr const char* kCurrentDDName = "\tcurrent DD name: '%s'\n";
inline constexpr const char* kTooManyDDs = "\ttoo many DDs in one list (at most %d)\n";
inline constexpr const char* kPipStringTooLong = "\tPIP string longer than %d characters refused\n";
inline constexpr const char* kFreeDDBegin = "freeDD() begin\n";
inline constexpr const char* kFreeDDEnd = "freeDD() end\n";
inline constexpr const char* kFreeItem = "\tfree in spawned process: %s\n";
inline constexpr const char* kDynfreeFailed = "\tdynfree failed: errcode=0x%0.8x, infocode=0x%0.8x\n";
inline constexpr const char* kSvc99Error = "\tSVC99: Error code = %d   Information code = %d\n";

// ---- utilities -------------------------------------------------------------------------
inline constexpr const char* kAttach = "\tATTACH='%s'  %s%s%s  %s%s%s\n";
inline constexpr const char* kParmOpen = "(PARM='";
inline constexpr const char* kStepOpen = "(STEPLIB='";
inline constexpr const char* kNameClose = "')";
inline constexpr const char* kWouldHaveCalled = "\tMVS would have called the utility '%s' now.\n";
inline constexpr const char* kAttachReturnCode = "\tATTACH return code=%0.8x\n";

}  // namespace kiv::dsmsg

#pragma GCC diagnostic pop
