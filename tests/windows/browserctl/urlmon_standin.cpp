// urlmon.dll stand-in for the activation tests: the product Vantor.dll,
// loaded beside it with the DLL override urlmon=n, calls this HlinkGoBack
// instead of Wine's (which crashes). It records what it receives; the test
// container reads the record through StandInGoBack.
#include <windows.h>
#include <oleidl.h>

namespace {
LONG g_calls = 0;
IUnknown* g_last = nullptr;       // compared only
IOleClientSite* g_site = nullptr;  // the site the control named, compared only
DWORD g_thread = 0;
}  // namespace

// What the real HlinkGoBack does first: from the control's IUnknown to its
// client site, where it would find the browser's frame.
extern "C" HRESULT WINAPI HlinkGoBack(IUnknown* unk) {
  InterlockedIncrement(&g_calls);
  g_last = unk;
  g_site = nullptr;
  g_thread = GetCurrentThreadId();
  IOleObject* ole = nullptr;
  if (unk && SUCCEEDED(unk->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)))) {
    IOleClientSite* site = nullptr;
    if (SUCCEEDED(ole->GetClientSite(&site)) && site) {
      g_site = site;
      site->Release();
    }
    ole->Release();
  }
  return S_OK;
}

// The number of calls so far and, of the last one, the IUnknown given, the
// client site it led to and the calling thread.
extern "C" void WINAPI StandInGoBack(LONG* calls, IUnknown** last, IOleClientSite** site,
                                     DWORD* thread) {
  if (calls) *calls = g_calls;
  if (last) *last = g_last;
  if (site) *site = g_site;
  if (thread) *thread = g_thread;
}
