// Container parts for the tests of the isInstalled control: a client site
// with an in-place site (windowless or not) that counts the calls it gets,
// and an in-memory property bag.
#pragma once

#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <map>
#include <string>

namespace vantortest {

class TestSite final : public IOleClientSite, public IOleInPlaceSiteWindowless {
 public:
  bool windowless = true;      // answers IOleInPlaceSiteWindowless
  bool allowInPlace = true;    // what CanInPlaceActivate says
  int activations = 0;         // OnInPlaceActivate(Ex)
  int deactivations = 0;       // OnInPlaceDeactivate(Ex)
  int uiActivations = 0;
  int saves = 0;               // SaveObject

  // IUnknown: the site lives on the test's stack; references are not counted.
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  // IOleClientSite
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override;
  STDMETHODIMP GetContainer(IOleContainer**) override;
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow
  STDMETHODIMP GetWindow(HWND* wnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return allowInPlace ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame**, IOleInPlaceUIWindow**, LPRECT, LPRECT,
                                LPOLEINPLACEFRAMEINFO) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
  // IOleInPlaceSiteEx
  STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD) override;
  STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override;
  STDMETHODIMP RequestUIActivate() override { return S_OK; }
  // IOleInPlaceSiteWindowless
  STDMETHODIMP CanWindowlessActivate() override { return S_OK; }
  STDMETHODIMP GetCapture() override { return S_FALSE; }
  STDMETHODIMP SetCapture(BOOL) override { return S_OK; }
  STDMETHODIMP GetFocus() override { return S_FALSE; }
  STDMETHODIMP SetFocus(BOOL) override { return S_OK; }
  STDMETHODIMP GetDC(LPCRECT, DWORD, HDC*) override { return E_NOTIMPL; }
  STDMETHODIMP ReleaseDC(HDC) override { return E_NOTIMPL; }
  STDMETHODIMP InvalidateRect(LPCRECT, BOOL) override { return S_OK; }
  STDMETHODIMP InvalidateRgn(HRGN, BOOL) override { return S_OK; }
  STDMETHODIMP ScrollRect(INT, INT, LPCRECT, LPCRECT) override { return S_OK; }
  STDMETHODIMP AdjustRect(LPRECT) override { return S_OK; }
  STDMETHODIMP OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) override { return S_FALSE; }
};

// Property bag of texts, as a page's parameter elements give them.
class PropertyBag final : public IPropertyBag {
 public:
  std::map<std::wstring, std::wstring> values;
  // Reads asked for a BSTR in a VARIANT whose string was not cleared: the
  // bag would have to free a pointer it cannot trust. The bag counts them
  // and drops the pointer instead.
  int uninitialisedReads = 0;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override;
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;
};

}  // namespace vantortest
