#include "testsite.h"

namespace vantortest {

STDMETHODIMP TestSite::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite)
    *out = static_cast<IOleClientSite*>(this);
  else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
    *out = static_cast<IOleInPlaceSite*>(this);
  else if (windowless && (iid == IID_IOleInPlaceSiteEx || iid == IID_IOleInPlaceSiteWindowless))
    *out = static_cast<IOleInPlaceSiteWindowless*>(this);
  return *out ? S_OK : E_NOINTERFACE;
}

STDMETHODIMP TestSite::SaveObject() {
  ++saves;
  return S_OK;
}

STDMETHODIMP TestSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TestSite::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP TestSite::GetWindow(HWND* wnd) {
  if (!wnd) return E_POINTER;
  *wnd = GetDesktopWindow();
  return S_OK;
}

STDMETHODIMP TestSite::OnInPlaceActivate() {
  ++activations;
  return S_OK;
}

STDMETHODIMP TestSite::OnUIActivate() {
  ++uiActivations;
  return S_OK;
}

STDMETHODIMP TestSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                        LPRECT, LPRECT, LPOLEINPLACEFRAMEINFO) {
  if (frame) *frame = nullptr;
  if (doc) *doc = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TestSite::OnInPlaceDeactivate() {
  ++deactivations;
  return S_OK;
}

STDMETHODIMP TestSite::OnInPlaceActivateEx(BOOL* noRedraw, DWORD) {
  if (noRedraw) *noRedraw = TRUE;
  ++activations;
  return S_OK;
}

STDMETHODIMP TestSite::OnInPlaceDeactivateEx(BOOL) {
  ++deactivations;
  return S_OK;
}

STDMETHODIMP PropertyBag::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IPropertyBag) *out = static_cast<IPropertyBag*>(this);
  return *out ? S_OK : E_NOINTERFACE;
}

STDMETHODIMP PropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  if (!name || !value) return E_POINTER;
  if (value->vt == VT_BSTR && value->bstrVal) {
    ++uninitialisedReads;
    value->bstrVal = nullptr;
  }
  const auto it = values.find(name);
  if (it == values.end()) return E_INVALIDARG;
  VariantClear(value);
  value->vt = VT_BSTR;
  value->bstrVal = SysAllocStringLen(it->second.data(), static_cast<UINT>(it->second.size()));
  return S_OK;
}

STDMETHODIMP PropertyBag::Write(LPCOLESTR name, VARIANT* value) {
  if (!name || !value) return E_POINTER;
  if (value->vt != VT_BSTR) return E_INVALIDARG;
  values[name] = std::wstring(value->bstrVal, SysStringLen(value->bstrVal));
  return S_OK;
}

}  // namespace vantortest
