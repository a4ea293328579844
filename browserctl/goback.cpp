// The navigation back of the product: HlinkGoBack of the URL moniker
// library, looked up when first needed.
#include "module.h"

namespace vantor {

HRESULT navigateBack(IUnknown* control) {
  using GoBackFn = HRESULT(WINAPI*)(IUnknown*);
  static const GoBackFn goBack = [] {
    HMODULE urlmon = LoadLibraryW(L"urlmon.dll");  // stays loaded with the process
    return urlmon ? reinterpret_cast<GoBackFn>(
                        reinterpret_cast<void*>(GetProcAddress(urlmon, "HlinkGoBack")))
                  : nullptr;
  }();
  return goBack ? goBack(control) : E_NOTIMPL;
}

}  // namespace vantor
