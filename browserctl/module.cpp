// The DLL's entry point, its four exports, the class factory and the
// registration of the class and the type library.
#include "module.h"

#include "comsupport.h"
#include "regscript.h"
#include "vantor_h.h"
#include "vantormsg.h"
#include "vantorres.h"

#include <new>
#include <vector>

namespace vantor {

namespace {

HINSTANCE g_instance = nullptr;
LONG g_locks = 0;

// Guards the two objects below, which the module creates once and holds a
// reference to until the process detaches.
CriticalSection g_cs;
IClassFactory* g_factory = nullptr;
ITypeLib* g_typeLib = nullptr;

// The module holds the factory's first reference itself (g_factory); every
// reference beyond that one keeps the module loaded, as objects and
// LockServer do, so that a client holding the factory never calls into an
// unloaded DLL.
class ClassFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    const LONG n = InterlockedIncrement(&refs_);
    if (n == 2) moduleLock();  // the first client reference
    return static_cast<ULONG>(n);
  }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 1) moduleUnlock();  // only the module's own reference is left
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return createControl(iid, out);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock)
      moduleLock();
    else
      moduleUnlock();
    return S_OK;
  }

 private:
  LONG refs_ = 1;
};

// The type library from the DLL's resources or else from a file of the
// same name with the extension .tlb; `path` names where it came from.
HRESULT loadModuleTypeLib(ITypeLib** lib, std::wstring& path) {
  path = modulePath();
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib);
  if (FAILED(hr)) {
    const auto dot = path.find_last_of(L".\\");
    if (dot != std::wstring::npos && path[dot] == L'.') path.erase(dot);
    path += L".tlb";
    hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib);
  }
  return hr;
}

// Writes below HKEY_CLASSES_ROOT.
class ClassesRoot final : public RegistryTarget {
 public:
  long createKey(const std::u16string& path) override {
    HKEY key = nullptr;
    const long rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, wide(path).c_str(), 0, nullptr, 0,
                                    KEY_WRITE, nullptr, &key, nullptr);
    if (rc == ERROR_SUCCESS) RegCloseKey(key);
    return rc;
  }
  long setString(const std::u16string& path, const std::u16string& name,
                 const std::u16string& data) override {
    HKEY key = nullptr;
    long rc = RegOpenKeyExW(HKEY_CLASSES_ROOT, wide(path).c_str(), 0, KEY_SET_VALUE, &key);
    if (rc != ERROR_SUCCESS) return rc;
    const std::wstring w = wide(data);
    rc = RegSetValueExW(key, name.empty() ? nullptr : wide(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(w.c_str()),
                        static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc;
  }
  long deleteTree(const std::u16string& path) override {
    return deleteKeyTree(HKEY_CLASSES_ROOT, wide(path));
  }

 private:
  // Removes a key with its subkeys, deepest first (RegDeleteTree is not
  // there before Windows Vista).
  static long deleteKeyTree(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    long rc = RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key);
    if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    for (;;) {
      wchar_t name[256];  // the longest key name and its terminator
      DWORD len = 256;
      rc = RegEnumKeyExW(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr);
      if (rc != ERROR_SUCCESS) break;
      rc = deleteKeyTree(key, std::wstring(name, len));
      if (rc != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
    if (rc != ERROR_NO_MORE_ITEMS) return rc;
    rc = RegDeleteKeyW(parent, path.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
  }
};

// The registration script from the resources with %MODULE% filled in.
HRESULT loadScript(RegScript& script) {
  HRSRC res = FindResourceW(g_instance, MAKEINTRESOURCEW(IDR_VANTOR_REGISTRY), L"REGISTRY");
  HGLOBAL data = res ? LoadResource(g_instance, res) : nullptr;
  const char* text = data ? static_cast<const char*>(LockResource(data)) : nullptr;
  if (!text) return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
  const int size = static_cast<int>(SizeofResource(g_instance, res));
  const int n = MultiByteToWideChar(CP_UTF8, 0, text, size, nullptr, 0);
  std::u16string wtext(static_cast<std::size_t>(n), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, size, reinterpret_cast<wchar_t*>(wtext.data()), n);
  const std::wstring path = modulePath();
  const Substitutions subst{{msg::kModulePlaceholder, std::u16string(path.begin(), path.end())}};
  std::string error;
  auto parsed = parseRegScript(wtext, subst, error);
  if (!parsed) return E_UNEXPECTED;
  script = std::move(*parsed);
  return S_OK;
}

HRESULT registerTypeLib() {
  ComPtr<ITypeLib> lib;
  std::wstring path;
  const HRESULT hr = loadModuleTypeLib(lib.put(), path);
  if (FAILED(hr)) return hr;
  return RegisterTypeLib(lib.get(), path.data(), nullptr);
}

void unregisterTypeLib() {
  using UnRegisterFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
  HMODULE oleaut = LoadLibraryW(L"oleaut32.dll");
  if (!oleaut) return;
  auto unreg = reinterpret_cast<UnRegisterFn>(
      reinterpret_cast<void*>(GetProcAddress(oleaut, "UnRegisterTypeLib")));
  ComPtr<ITypeLib> lib;
  std::wstring path;
  TLIBATTR* attr = nullptr;
  if (unreg && SUCCEEDED(loadModuleTypeLib(lib.put(), path)) && SUCCEEDED(lib->GetLibAttr(&attr))) {
    unreg(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
    lib->ReleaseTLibAttr(attr);
  }
  FreeLibrary(oleaut);
}

}  // namespace

HINSTANCE moduleInstance() { return g_instance; }

std::wstring modulePath() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(g_instance, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) return std::wstring(buf.data(), n);
    buf.resize(buf.size() * 2);
  }
}

void moduleLock() { InterlockedIncrement(&g_locks); }
void moduleUnlock() { InterlockedDecrement(&g_locks); }
long moduleLockCount() { return InterlockedCompareExchange(&g_locks, 0, 0); }

HRESULT moduleTypeInfo(REFGUID guid, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  return guarded([&]() -> HRESULT {
    Lock lock(g_cs);
    if (!g_typeLib) {
      std::wstring path;
      const HRESULT hr = loadModuleTypeLib(&g_typeLib, path);
      if (FAILED(hr)) return hr;
    }
    return g_typeLib->GetTypeInfoOfGuid(guid, info);
  });
}

}  // namespace vantor

using namespace vantor;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    // At process exit the libraries these objects live in may be gone already.
    if (!reserved) {
      if (g_factory) g_factory->Release();
      if (g_typeLib) g_typeLib->Release();
    }
    g_factory = nullptr;
    g_typeLib = nullptr;
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != CLSID_isInstalled) return CLASS_E_CLASSNOTAVAILABLE;
  Lock lock(g_cs);
  if (!g_factory) {
    g_factory = new (std::nothrow) ClassFactory;
    if (!g_factory) return E_OUTOFMEMORY;
  }
  return g_factory->QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return moduleLockCount() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  return guarded([]() -> HRESULT {
    RegScript script;
    const HRESULT hr = loadScript(script);
    if (FAILED(hr)) return hr;
    ClassesRoot root;
    if (const long rc = registerScript(script, root); rc != 0) return HRESULT_FROM_WIN32(rc);
    return registerTypeLib();
  });
}

// Goes on after every failure and reports success.
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  guarded([]() -> HRESULT {
    RegScript script;
    if (SUCCEEDED(loadScript(script))) {
      ClassesRoot root;
      unregisterScript(script, root);
    }
    return S_OK;
  });
  guarded([]() -> HRESULT {
    unregisterTypeLib();
    return S_OK;
  });
  return S_OK;
}
