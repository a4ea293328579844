// The plain logic behind the native methods of KivDatasetDD.
#pragma once

#include "kivdssim.h"

#include <memory>
#include <string>

namespace kiv::utils {

// The text of a status code (1 OLD, 2 MOD, 4 NEW, 8 SHR) or of a
// disposition code (1 UNCATLG, 2 CATLG, 4 DELETE, 8 KEEP); other codes have
// no text ("").
const char* statusText(int code);
const char* dispositionText(int code);

// The allocation trace line of a request after dynallocL (its line end
// included).
std::string allocationLine(const PIP& pip, int rc);

// The live request behind a DD object's handle, or null.
std::shared_ptr<PIP> ddRequest(int handle);
// Number of live DD requests (for tests).
std::size_t ddRequestCount();

}  // namespace kiv::utils
