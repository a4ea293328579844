// The simulated utility invocation (ATTACH), the file-existence test and the
// APF test.
#include "kivdsmsg.h"
#include "kivdssim.h"
#include "kivtrace.h"

#include <sys/stat.h>

namespace kiv {

namespace {

// A host name padded with blanks to eight characters; longer names stay whole.
std::string padded(const char* name) {
  std::string out = name ? name : "";
  if (out.size() < 8) out.resize(8, ' ');
  return out;
}

}  // namespace

int runUtility(const char* utility, const char* parm, const char* steplib) {
  const std::string name = padded(utility);
  const bool hasParm = parm && *parm;
  const bool hasSteplib = steplib && *steplib;
  const std::string lib = hasSteplib ? padded(steplib) : std::string();
  traceLineL(0, dsmsg::kAttach, name.c_str(), hasParm ? dsmsg::kParmOpen : "", hasParm ? parm : "",
             hasParm ? dsmsg::kNameClose : "", hasSteplib ? dsmsg::kStepOpen : "", lib.c_str(),
             hasSteplib ? dsmsg::kNameClose : "");
  traceLineL(0, dsmsg::kWouldHaveCalled, name.c_str());
  const int rc = 0;
  traceLineL(0, dsmsg::kAttachReturnCode, static_cast<unsigned>(rc));
  return rc;
}

int fileexists(const char* name) {
  struct stat st;
  return name && stat(name, &st) == 0 ? 1 : 0;
}

int testAPF() { return 0; }

}  // namespace kiv
