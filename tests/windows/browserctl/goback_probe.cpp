// The navigation back of the test build of the server: instead of asking
// urlmon (whose HlinkGoBack crashes under Wine) it records the call, which
// the test container reads through VantorProbeGoBack.
#include "module.h"

namespace {
LONG g_calls = 0;
IUnknown* g_last = nullptr;  // compared only, never called
}  // namespace

namespace vantor {

HRESULT navigateBack(IUnknown* control) {
  InterlockedIncrement(&g_calls);
  g_last = control;
  return S_OK;
}

}  // namespace vantor

// How often the control navigated back, and with which IUnknown last time.
extern "C" void __stdcall VantorProbeGoBack(LONG* calls, IUnknown** last) {
  if (calls) *calls = g_calls;
  if (last) *last = g_last;
}
