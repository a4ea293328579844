// The Windows side of the installer helper.
#pragma once

#include "helper.h"

namespace orlin {

// HelperOs over the Win32 calls.
std::unique_ptr<HelperOs> makeWindowsOs();
// True when ORLIN_INSTALLER_DEBUG is defined in this process's environment.
bool debugSwitchOn();
// The walk over every process and 16-bit task of the machine.
bool enumerateProcesses(ProcessVisitor visitor, void* context);

}  // namespace orlin
