// vantortest.exe <mode> [args]: the test container and driver of Vantor.
//   regdump            prints the registry entries of the class, its ProgIDs
//                      and its type library, one line each, sorted
//   server <dll>       loads the DLL directly: exports, class factory, unload
//                      rule, the control's interfaces, properties,
//                      persistence and safety
//   create             creates the registered control by CLSID and ProgIDs and
//                      uses it through IDispatch by name
//   typelib            reads the registered type library back
//   apartment          uses the registered control from the multithreaded
//                      apartment (through COM's proxies)
//   activate <exe>     activation with <exe> registered as the JNLP program
//                      (needs Vantor.dll registered and the stand-in
//                      urlmon.dll beside this program, loaded with the DLL
//                      override urlmon=n)
//   dbgbox <exe>       the "Launch Command line" box, found, read and closed
//                      (needs a display, and what activate needs)
//   atl <exe>          hosted in Wine's ATL container (atl.dll), activated
//                      by it (needs a display, and what activate needs)
// Prints one line per failed check; exits 0 when all checks pass, else 1.
#include "testsite.h"
#include "vantor_h.h"

#include <objsafe.h>
#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using vantortest::PropertyBag;
using vantortest::TestSite;

namespace {

int g_checks = 0;
int g_failures = 0;

void check(bool ok, const std::string& what) {
  ++g_checks;
  if (!ok) {
    ++g_failures;
    std::printf("FAIL: %s\n", what.c_str());
  }
}

std::string hex(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08lx", static_cast<unsigned long>(hr));
  return buf;
}

void checkHr(HRESULT got, HRESULT want, const std::string& what) {
  check(got == want, what + ": got " + hex(got) + ", want " + hex(want));
}

std::string narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += c < 128 ? static_cast<char>(c) : '?';
  return s;
}

template <class T>
struct Ptr {
  T* p = nullptr;
  Ptr() = default;
  Ptr(const Ptr&) = delete;
  Ptr& operator=(const Ptr&) = delete;
  ~Ptr() { reset(); }
  void reset() {
    if (p) p->Release();
    p = nullptr;
  }
  T* operator->() const { return p; }
  void** out() {
    reset();
    return reinterpret_cast<void**>(&p);
  }
  T** put() {
    reset();
    return &p;
  }
};

struct Text {
  BSTR b = nullptr;
  Text() = default;
  explicit Text(const wchar_t* s) : b(SysAllocString(s)) {}
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  ~Text() { SysFreeString(b); }
  BSTR* put() {
    SysFreeString(b);
    b = nullptr;
    return &b;
  }
  std::wstring str() const { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }
};

const wchar_t* const kClsidText = L"{7A31C0D2-4E95-11D4-B3C8-00A0C9E1F2A7}";
const wchar_t* const kLibidText = L"{7A31C0D0-4E95-11D4-B3C8-00A0C9E1F2A7}";

// ---- regdump ------------------------------------------------------------

void dumpKey(HKEY root, const std::wstring& path, std::vector<std::string>& lines) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  lines.push_back(narrow(path));
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLen = 256, type = 0, size = 0;
    BYTE data[2048];
    size = sizeof data;
    if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    std::wstring value;
    if (type == REG_SZ)
      value.assign(reinterpret_cast<wchar_t*>(data), size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    lines.push_back(narrow(path) + "|" + (nameLen ? narrow(name) : "(default)") + "|" +
                    (type == REG_SZ ? "REG_SZ" : "type" + std::to_string(type)) + "|" +
                    narrow(value));
  }
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLen = 256;
    if (RegEnumKeyExW(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    subkeys.emplace_back(name, nameLen);
  }
  RegCloseKey(key);
  for (const auto& s : subkeys) dumpKey(root, path + L"\\" + s, lines);
}

int regdump() {
  std::vector<std::string> lines;
  for (const wchar_t* k : {L"Vantor.isInstalled", L"Vantor.isInstalled.1", L"Vantor.isInstalled.2"})
    dumpKey(HKEY_CLASSES_ROOT, k, lines);
  dumpKey(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsidText, lines);
  std::sort(lines.begin(), lines.end());
  for (const auto& l : lines) std::printf("%s\n", l.c_str());
  HKEY key = nullptr;
  const bool clsidRoot = RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ, &key) == 0;
  if (clsidRoot) RegCloseKey(key);
  const bool typeLib =
      RegOpenKeyExW(HKEY_CLASSES_ROOT, (std::wstring(L"TypeLib\\") + kLibidText).c_str(), 0,
                    KEY_READ, &key) == 0;
  if (typeLib) RegCloseKey(key);
  const bool iface = RegOpenKeyExW(HKEY_CLASSES_ROOT,
                                   L"Interface\\{7A31C0D1-4E95-11D4-B3C8-00A0C9E1F2A7}", 0,
                                   KEY_READ, &key) == 0;
  if (iface) RegCloseKey(key);
  std::printf("CLSID root: %s\ntype library: %s\ninterface: %s\n", clsidRoot ? "yes" : "no",
              typeLib ? "yes" : "no", iface ? "yes" : "no");
  return 0;
}

// ---- the control's own checks -------------------------------------------

void checkProperties(IisInstalled* c) {
  Text v;
  checkHr(c->get_app(v.put()), S_OK, "get_app of an absent property");
  check(v.b != nullptr && v.str().empty(), "an absent property reads as an empty string");
  checkHr(c->get_app(nullptr), E_POINTER, "get_app without an out pointer");
  Text a(L"http://host/app.jnlp"), d(L""), b(L"FALSE");
  checkHr(c->put_app(a.b), S_OK, "put_app");
  checkHr(c->put_dbg(d.b), S_OK, "put_dbg empty");
  checkHr(c->put_back(b.b), S_OK, "put_back");
  c->get_app(v.put());
  check(v.str() == L"http://host/app.jnlp", "app reads back");
  check(v.b != a.b, "the getter hands out a copy");
  c->get_dbg(v.put());
  check(v.b && v.str().empty(), "dbg reads back empty");
  c->get_back(v.put());
  check(v.str() == L"FALSE", "back reads back");
  checkHr(c->put_app(nullptr), S_OK, "put_app null");
  c->get_app(v.put());
  check(v.b && v.str().empty(), "app null reads as empty");
  Text nul;
  nul.b = SysAllocStringLen(L"a\0b", 3);
  c->put_dbg(nul.b);
  c->get_dbg(v.put());
  check(SysStringLen(v.b) == 3, "a property keeps embedded NULs");
}

// Whether the stored form keeps absent apart from empty, and all three texts.
void checkStreams(IUnknown* unk, IClassFactory* factory) {
  Ptr<IPersistStreamInit> ps;
  checkHr(unk->QueryInterface(IID_IPersistStreamInit, ps.out()), S_OK, "IPersistStreamInit");
  Ptr<IisInstalled> c;
  unk->QueryInterface(IID_IisInstalled, c.out());
  ps->InitNew();
  Text a(L"http://h/\x00e9t\x00e9.jnlp"), d(L"");
  c->put_app(a.b);
  c->put_dbg(d.b);
  check(ps->IsDirty() == S_OK, "dirty after a put");
  Ptr<IStream> stream;
  CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
  checkHr(ps->Save(stream.p, TRUE), S_OK, "stream save");
  check(ps->IsDirty() == S_FALSE, "clean after a save");
  ULARGE_INTEGER max{};
  ps->GetSizeMax(&max);
  STATSTG st{};
  stream->Stat(&st, STATFLAG_NONAME);
  check(max.QuadPart == st.cbSize.QuadPart, "GetSizeMax is the saved size");

  // a second object loads what the first saved
  Ptr<IUnknown> other;
  factory->CreateInstance(nullptr, IID_IUnknown, other.out());
  if (!other.p) return;
  Ptr<IPersistStreamInit> ps2;
  Ptr<IisInstalled> c2;
  other->QueryInterface(IID_IPersistStreamInit, ps2.out());
  other->QueryInterface(IID_IisInstalled, c2.out());
  Text junk(L"junk");
  c2->put_back(junk.b);
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  checkHr(ps2->Load(stream.p), S_OK, "stream load");
  Text v;
  c2->get_app(v.put());
  check(v.str() == L"http://h/\x00e9t\x00e9.jnlp", "stream round trip of app");
  c2->get_dbg(v.put());
  check(v.b && v.str().empty(), "stream round trip of an empty dbg");
  c2->get_back(v.put());
  check(v.str().empty(), "stream round trip of an absent back");

  // damaged streams: an error, no change
  Ptr<IStream> bad;
  CreateStreamOnHGlobal(nullptr, TRUE, bad.put());
  const char junkData[] = "VNT1\x10\0\0\0\1\0";
  bad->Write(junkData, sizeof junkData - 1, nullptr);
  bad->Seek(zero, STREAM_SEEK_SET, nullptr);
  check(FAILED(ps2->Load(bad.p)), "a truncated stream fails to load");
  c2->get_app(v.put());
  check(v.str() == L"http://h/\x00e9t\x00e9.jnlp", "a failed load changes nothing");
  Ptr<IStream> foreign;
  CreateStreamOnHGlobal(nullptr, TRUE, foreign.put());
  foreign->Write("PK\3\4\xff\xff\xff\x7f", 8, nullptr);
  foreign->Seek(zero, STREAM_SEEK_SET, nullptr);
  check(FAILED(ps2->Load(foreign.p)), "a foreign stream fails to load");

  // storage
  Ptr<IPersistStorage> pstg;
  checkHr(unk->QueryInterface(IID_IPersistStorage, pstg.out()), S_OK, "IPersistStorage");
  Ptr<ILockBytes> bytes;
  CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put());
  Ptr<IStorage> stg;
  StgCreateDocfileOnILockBytes(bytes.p, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                               stg.put());
  check(stg.p != nullptr, "a storage for the test");
  if (!stg.p) return;
  checkHr(pstg->Save(stg.p, TRUE), S_OK, "storage save");
  CLSID cls{};
  ReadClassStg(stg.p, &cls);
  check(cls == CLSID_isInstalled, "the storage names the class");
  Ptr<IPersistStorage> pstg2;
  ps2->QueryInterface(IID_IPersistStorage, pstg2.out());
  Text x(L"x");
  c2->put_app(x.b);
  checkHr(pstg2->Load(stg.p), S_OK, "storage load");
  c2->get_app(v.put());
  check(v.str() == L"http://h/\x00e9t\x00e9.jnlp", "storage round trip of app");
}

// Points module m's imports from `dll` that lead to `from` at `to`; false
// when it has none.
bool redirectImport(HMODULE m, const char* dll, void* from, void* to) {
  auto* base = reinterpret_cast<BYTE*>(m);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!from || !dir.VirtualAddress) return false;
  bool found = false;
  for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       d->Name; ++d) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), dll) != 0) continue;
    for (auto* t = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); t->u1.Function; ++t) {
      if (reinterpret_cast<void*>(t->u1.Function) != from) continue;
      DWORD old = 0;
      VirtualProtect(&t->u1.Function, sizeof t->u1.Function, PAGE_READWRITE, &old);
      t->u1.Function = reinterpret_cast<ULONG_PTR>(to);
      VirtualProtect(&t->u1.Function, sizeof t->u1.Function, old, &old);
      found = true;
    }
  }
  return found;
}

// VariantInit as its contract has it: the type becomes VT_EMPTY, nothing
// else is promised. (Wine's clears the whole VARIANT; older Windows leaves
// the rest as it was.) Here the rest holds a pointer no one may free.
void WINAPI contractVariantInit(VARIANTARG* v) {
  v->vt = VT_EMPTY;
  v->bstrVal = reinterpret_cast<BSTR>(static_cast<ULONG_PTR>(0xDEAD0010));
}

void checkPropertyBag(IUnknown* unk, HMODULE server) {
  Ptr<IPersistPropertyBag> pb;
  checkHr(unk->QueryInterface(IID_IPersistPropertyBag, pb.out()), S_OK, "IPersistPropertyBag");
  PropertyBag bag;
  bag.values[L"app"] = L"http://h/a b.jnlp";
  bag.values[L"back"] = L"false";
  bag.values[L"other"] = L"ignored";
  // dbg is missing from the bag: its read fails, and nothing of it may be
  // freed
  auto* const wineInit = reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("oleaut32.dll"), "VariantInit"));
  auto* const ownInit = reinterpret_cast<void*>(contractVariantInit);
  const bool redirected = redirectImport(server, "oleaut32.dll", wineInit, ownInit);
  check(redirected, "the server's VariantInit import is found");
  checkHr(pb->Load(&bag, nullptr), S_OK, "property bag load");
  if (redirected) redirectImport(server, "oleaut32.dll", ownInit, wineInit);
  check(bag.uninitialisedReads == 0,
        "every property is read into a cleared VARIANT (" +
            std::to_string(bag.uninitialisedReads) + " were not)");
  Ptr<IisInstalled> c;
  unk->QueryInterface(IID_IisInstalled, c.out());
  Text v;
  c->get_app(v.put());
  check(v.str() == L"http://h/a b.jnlp", "app from the bag");
  c->get_back(v.put());
  check(v.str() == L"false", "back from the bag");
  Text d(L"");
  c->put_dbg(d.b);
  PropertyBag out;
  checkHr(pb->Save(&out, TRUE, TRUE), S_OK, "property bag save");
  check(out.values.size() == 3 && out.values[L"app"] == L"http://h/a b.jnlp" &&
            out.values[L"dbg"].empty() && out.values[L"back"] == L"false",
        "the bag receives the three properties by name");
  c->put_dbg(nullptr);
  PropertyBag out2;
  pb->Save(&out2, TRUE, TRUE);
  check(out2.values.count(L"dbg") == 0, "an absent property is not written to the bag");
  Ptr<IPersist> p;
  checkHr(unk->QueryInterface(IID_IPersist, p.out()), S_OK, "IPersist");
  CLSID cls{};
  p->GetClassID(&cls);
  check(cls == CLSID_isInstalled, "GetClassID");
}

void checkSafety(IUnknown* unk) {
  Ptr<IObjectSafety> s;
  checkHr(unk->QueryInterface(IID_IObjectSafety, s.out()), S_OK, "IObjectSafety");
  const GUID someIid = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  for (const IID* iid : {&IID_IDispatch, &IID_IPersistPropertyBag, &someIid, &IID_NULL}) {
    DWORD supported = 99, enabled = 99;
    checkHr(s->GetInterfaceSafetyOptions(*iid, &supported, &enabled), S_OK,
            "GetInterfaceSafetyOptions");
    check(supported == 1 && enabled == 1, "safe for untrusted callers, whatever the interface");
  }
  DWORD one = 0;
  checkHr(s->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &one), E_POINTER,
          "GetInterfaceSafetyOptions without supported");
  checkHr(s->GetInterfaceSafetyOptions(IID_IDispatch, &one, nullptr), E_POINTER,
          "GetInterfaceSafetyOptions without enabled");
  checkHr(s->SetInterfaceSafetyOptions(someIid, 3, 3), S_OK, "SetInterfaceSafetyOptions");
}

void checkInterfaces(IUnknown* unk) {
  const IID* table[] = {&IID_IisInstalled,
                        &IID_IDispatch,
                        &IID_IViewObjectEx,
                        &IID_IViewObject2,
                        &IID_IViewObject,
                        &IID_IOleInPlaceObjectWindowless,
                        &IID_IOleInPlaceObject,
                        &IID_IOleWindow,
                        &IID_IOleInPlaceActiveObject,
                        &IID_IOleControl,
                        &IID_IOleObject,
                        &IID_IPersistStreamInit,
                        &IID_IPersistPropertyBag,
                        &IID_IPersist,
                        &IID_ISpecifyPropertyPages,
                        &IID_IQuickActivate,
                        &IID_IPersistStorage,
                        &IID_IDataObject,
                        &IID_IProvideClassInfo,
                        &IID_IProvideClassInfo2,
                        &IID_IObjectSafety};
  int n = 0;
  for (const IID* iid : table) {
    ++n;
    char entry[32];
    std::snprintf(entry, sizeof entry, "table entry %d", n);
    Ptr<IUnknown> p, id;
    checkHr(unk->QueryInterface(*iid, p.out()), S_OK, entry);
    if (!p.p) continue;
    p->QueryInterface(IID_IUnknown, id.out());
    check(id.p == unk, std::string("one IUnknown identity from ") + entry);
  }
  Ptr<IUnknown> none;
  checkHr(unk->QueryInterface(IID_IClassFactory, none.out()), E_NOINTERFACE, "no other interface");
  check(none.p == nullptr, "no pointer for an unknown interface");

  Ptr<IOleObject> ole;
  unk->QueryInterface(IID_IOleObject, ole.out());
  DWORD misc = 0;
  ole->GetMiscStatus(DVASPECT_CONTENT, &misc);
  check(misc == 384, "misc status of the content aspect is 384");
  Ptr<IProvideClassInfo2> pci;
  unk->QueryInterface(IID_IProvideClassInfo2, pci.out());
  Ptr<ITypeInfo> ti;
  checkHr(pci->GetClassInfo(ti.put()), S_OK, "GetClassInfo");
  if (ti.p) {
    TYPEATTR* attr = nullptr;
    ti->GetTypeAttr(&attr);
    check(attr && attr->typekind == TKIND_COCLASS && attr->guid == CLSID_isInstalled,
          "class info is the isInstalled coclass");
    if (attr) ti->ReleaseTypeAttr(attr);
  }
  Ptr<IViewObjectEx> view;
  unk->QueryInterface(IID_IViewObjectEx, view.out());
  RECTL bounds{0, 0, 10, 10};
  checkHr(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr, &bounds, nullptr,
                     nullptr, 0),
          S_OK, "Draw paints nothing and succeeds");
  Ptr<IQuickActivate> qa;
  unk->QueryInterface(IID_IQuickActivate, qa.out());
  QACONTAINER qc{};
  qc.cbSize = sizeof qc;
  QACONTROL qctl{};
  qctl.cbSize = sizeof qctl;
  checkHr(qa->QuickActivate(&qc, &qctl), S_OK, "QuickActivate");
  check(qctl.dwMiscStatus == 384, "QuickActivate reports the misc status");
}

// ---- server <dll> ---------------------------------------------------------

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();

int server(const char* dll) {
  HMODULE lib = LoadLibraryA(dll);
  check(lib != nullptr, std::string("load ") + dll);
  if (!lib) return 1;
  auto getClass = reinterpret_cast<GetClassObjectFn>(
      reinterpret_cast<void*>(GetProcAddress(lib, "DllGetClassObject")));
  auto canUnload =
      reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(lib, "DllCanUnloadNow")));
  check(getClass && canUnload, "the exports are found by name");
  if (!getClass || !canUnload) return 1;

  const GUID otherClsid = {0x7A31C0D3, 0x4E95, 0x11D4, {0xB3, 0xC8, 0, 0xA0, 0xC9, 0xE1, 0xF2, 0xA7}};
  void* out = reinterpret_cast<void*>(1);
  checkHr(getClass(otherClsid, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE,
          "DllGetClassObject for another CLSID");
  check(out == nullptr, "no pointer for another CLSID");
  checkHr(getClass(CLSID_isInstalled, IID_IClassFactory, nullptr), E_POINTER,
          "DllGetClassObject without an out pointer");
  checkHr(canUnload(), S_OK, "DllCanUnloadNow before any object");

  Ptr<IClassFactory> factory, factory2;
  checkHr(getClass(CLSID_isInstalled, IID_IClassFactory, factory.out()), S_OK,
          "DllGetClassObject for isInstalled");
  getClass(CLSID_isInstalled, IID_IUnknown, factory2.out());
  check(factory.p && static_cast<IUnknown*>(factory.p) == factory2.p, "one class factory");
  if (!factory.p) return 1;
  checkHr(canUnload(), S_FALSE, "a held class factory keeps the DLL");

  Ptr<IUnknown> agg;
  checkHr(factory->CreateInstance(factory2.p, IID_IUnknown, agg.out()), CLASS_E_NOAGGREGATION,
          "no aggregation");
  Ptr<IUnknown> unk;
  checkHr(factory->CreateInstance(nullptr, IID_IUnknown, unk.out()), S_OK, "CreateInstance");
  if (!unk.p) return 1;
  checkHr(canUnload(), S_FALSE, "DllCanUnloadNow with a live object");

  Ptr<IisInstalled> c;
  unk->QueryInterface(IID_IisInstalled, c.out());
  checkProperties(c.p);
  checkInterfaces(unk.p);
  checkSafety(unk.p);
  checkPropertyBag(unk.p, lib);
  checkStreams(unk.p, factory.p);

  // without a client site there is nothing to activate in
  Ptr<IOleObject> ole;
  unk->QueryInterface(IID_IOleObject, ole.out());
  check(FAILED(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr)),
        "activation without a client site fails");

  c.reset();
  ole.reset();
  unk.reset();
  checkHr(canUnload(), S_FALSE, "DllCanUnloadNow after the last object, the factory held");
  factory2.reset();
  checkHr(canUnload(), S_FALSE, "DllCanUnloadNow with one of two factory references left");
  factory->LockServer(TRUE);
  factory.reset();
  checkHr(canUnload(), S_FALSE, "DllCanUnloadNow with a server lock");
  getClass(CLSID_isInstalled, IID_IClassFactory, factory.out());
  if (!factory.p) return 1;
  factory->LockServer(FALSE);
  checkHr(canUnload(), S_FALSE, "DllCanUnloadNow after the lock, the factory held");
  factory.reset();
  checkHr(canUnload(), S_OK, "DllCanUnloadNow after the last factory reference");
  return 0;
}

// ---- create -----------------------------------------------------------------

HRESULT dispatchPut(IDispatch* d, DISPID id, const wchar_t* text) {
  Text value(text);
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_BSTR;
  arg.bstrVal = value.b;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&arg, &named, 1, 1};
  return d->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

std::wstring dispatchGet(IDispatch* d, DISPID id) {
  VARIANT result;
  VariantInit(&result);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  const HRESULT hr =
      d->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
  std::wstring s = SUCCEEDED(hr) && result.vt == VT_BSTR
                       ? std::wstring(result.bstrVal, SysStringLen(result.bstrVal))
                       : L"<" + std::to_wstring(hr) + L">";
  VariantClear(&result);
  return s;
}

// COM's own unloading: a class factory held by a client keeps the DLL
// loaded through CoFreeUnusedLibraries; once it is released the DLL goes.
void checkUnloading() {
  Ptr<IClassFactory> factory;
  checkHr(CoGetClassObject(CLSID_isInstalled, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                           factory.out()),
          S_OK, "CoGetClassObject");
  if (!factory.p) return;
  CoFreeUnusedLibraries();
  const bool kept = GetModuleHandleA("Vantor.dll") != nullptr;
  check(kept, "CoFreeUnusedLibraries keeps the DLL while its class factory is held");
  if (!kept) {
    factory.p = nullptr;  // its code is gone: neither call nor release it
    return;
  }
  Ptr<IUnknown> unk;
  checkHr(factory->CreateInstance(nullptr, IID_IUnknown, unk.out()), S_OK,
          "CreateInstance after CoFreeUnusedLibraries");
  unk.reset();
  factory.reset();
  CoFreeUnusedLibraries();
  check(GetModuleHandleA("Vantor.dll") == nullptr,
        "CoFreeUnusedLibraries unloads the DLL once nothing holds it");
}

int create() {
  checkUnloading();
  Ptr<IisInstalled> byClsid;
  checkHr(CoCreateInstance(CLSID_isInstalled, nullptr, CLSCTX_INPROC_SERVER, IID_IisInstalled,
                           byClsid.out()),
          S_OK, "CoCreateInstance by CLSID");
  for (const wchar_t* progId :
       {L"Vantor.isInstalled", L"Vantor.isInstalled.1", L"Vantor.isInstalled.2"}) {
    CLSID cls{};
    checkHr(CLSIDFromProgID(progId, &cls), S_OK, "CLSIDFromProgID " + narrow(progId));
    check(cls == CLSID_isInstalled, "ProgID " + narrow(progId) + " names the class");
    Ptr<IDispatch> d;
    checkHr(CoCreateInstance(cls, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, d.out()), S_OK,
            "CoCreateInstance by " + narrow(progId));
  }
  LPOLESTR progId = nullptr;
  ProgIDFromCLSID(CLSID_isInstalled, &progId);
  check(progId && std::wstring(progId) == L"Vantor.isInstalled.2", "the class's ProgID");
  CoTaskMemFree(progId);
  if (!byClsid.p) return 1;

  Ptr<IDispatch> d;
  byClsid->QueryInterface(IID_IDispatch, d.out());
  const wchar_t* names[] = {L"app", L"dbg", L"back", L"APP"};
  const DISPID want[] = {1, 3, 4, 1};
  for (int i = 0; i < 4; ++i) {
    DISPID id = -1;
    LPOLESTR name = const_cast<LPOLESTR>(names[i]);
    checkHr(d->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK, "GetIDsOfNames " + narrow(names[i]));
    check(id == want[i], "dispatch id of " + narrow(names[i]));
  }
  DISPID id = 0;
  LPOLESTR unknown = const_cast<LPOLESTR>(L"launch");
  checkHr(d->GetIDsOfNames(IID_NULL, &unknown, 1, 0, &id), DISP_E_UNKNOWNNAME, "an unknown name");
  check(dispatchGet(d.p, 1).empty(), "app through IDispatch starts empty");
  checkHr(dispatchPut(d.p, 1, L"http://h/x.jnlp"), S_OK, "put app through IDispatch");
  checkHr(dispatchPut(d.p, 3, L"yes"), S_OK, "put dbg through IDispatch");
  checkHr(dispatchPut(d.p, 4, L"False"), S_OK, "put back through IDispatch");
  check(dispatchGet(d.p, 1) == L"http://h/x.jnlp", "app through IDispatch");
  check(dispatchGet(d.p, 3) == L"yes", "dbg through IDispatch");
  check(dispatchGet(d.p, 4) == L"False", "back through IDispatch");
  Text v;
  byClsid->get_app(v.put());
  check(v.str() == L"http://h/x.jnlp", "IDispatch and the vtable share the property");
  check(FAILED(dispatchPut(d.p, 2, L"x")), "dispatch id 2 is not used");
  UINT count = 0;
  d->GetTypeInfoCount(&count);
  check(count == 1, "one type information");
  return 0;
}

// ---- typelib ---------------------------------------------------------------

std::wstring docOf(ITypeInfo* ti, MEMBERID id, std::wstring* help) {
  BSTR name = nullptr, doc = nullptr;
  ti->GetDocumentation(id, &name, &doc, nullptr, nullptr);
  std::wstring n = name ? name : L"";
  if (help) *help = doc ? doc : L"";
  SysFreeString(name);
  SysFreeString(doc);
  return n;
}

int typelib() {
  Ptr<ITypeLib> lib;
  checkHr(LoadRegTypeLib(LIBID_VANTORLib, 1, 0, 0, lib.put()), S_OK, "LoadRegTypeLib 1.0");
  if (!lib.p) return 1;
  BSTR name = nullptr, doc = nullptr;
  lib->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
  check(name && std::wstring(name) == L"VANTORLib", "library name");
  check(doc && std::wstring(doc) == L"Vantor 1.0 Type Library", "library help string");
  SysFreeString(name);
  SysFreeString(doc);
  TLIBATTR* la = nullptr;
  lib->GetLibAttr(&la);
  check(la && la->guid == LIBID_VANTORLib && la->wMajorVerNum == 1 && la->wMinorVerNum == 0,
        "LIBID and version 1.0");
  if (la) lib->ReleaseTLibAttr(la);

  Ptr<ITypeInfo> cls;
  checkHr(lib->GetTypeInfoOfGuid(CLSID_isInstalled, cls.put()), S_OK, "the coclass");
  if (cls.p) {
    std::wstring help;
    check(docOf(cls.p, MEMBERID_NIL, &help) == L"isInstalled", "coclass name");
    check(help == L"isInstalled Class", "coclass help string");
    TYPEATTR* ta = nullptr;
    cls->GetTypeAttr(&ta);
    check(ta && (ta->wTypeFlags & TYPEFLAG_FCANCREATE) && ta->cImplTypes == 1, "creatable, one interface");
    if (ta) cls->ReleaseTypeAttr(ta);
    int flags = 0;
    cls->GetImplTypeFlags(0, &flags);
    check(flags & IMPLTYPEFLAG_FDEFAULT, "IisInstalled is the default interface");
  }

  Ptr<ITypeInfo> itf;
  checkHr(lib->GetTypeInfoOfGuid(IID_IisInstalled, itf.put()), S_OK, "the interface");
  if (!itf.p) return 1;
  std::wstring help;
  check(docOf(itf.p, MEMBERID_NIL, &help) == L"IisInstalled", "interface name");
  check(help == L"IisInstalled Interface", "interface help string");
  TYPEATTR* ta = nullptr;
  itf->GetTypeAttr(&ta);
  check(ta && (ta->wTypeFlags & TYPEFLAG_FDUAL), "the interface is dual");
  if (ta) itf->ReleaseTypeAttr(ta);
  ta = nullptr;
  // the vtable part of the dual interface: its own six members after
  // IUnknown and IDispatch
  HREFTYPE ref = 0;
  Ptr<ITypeInfo> vtbl;
  checkHr(itf->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), S_OK, "the vtable part");
  itf->GetRefTypeInfo(ref, vtbl.put());
  if (!vtbl.p) return 1;
  itf.reset();
  itf.p = vtbl.p;
  vtbl.p = nullptr;
  itf->GetTypeAttr(&ta);
  check(ta && ta->typekind == TKIND_INTERFACE, "the vtable part is an interface");
  struct Want {
    MEMBERID id;
    INVOKEKIND kind;
    const wchar_t* name;
  } want[] = {{1, INVOKE_PROPERTYGET, L"app"}, {1, INVOKE_PROPERTYPUT, L"app"},
              {3, INVOKE_PROPERTYGET, L"dbg"}, {3, INVOKE_PROPERTYPUT, L"dbg"},
              {4, INVOKE_PROPERTYGET, L"back"}, {4, INVOKE_PROPERTYPUT, L"back"}};
  check(ta && ta->cFuncs == 6, "six members");
  const int n = ta ? std::min<int>(ta->cFuncs, 6) : 0;
  for (int i = 0; i < n; ++i) {
    FUNCDESC* fd = nullptr;
    itf->GetFuncDesc(static_cast<UINT>(i), &fd);
    if (!fd) continue;
    std::wstring fhelp;
    const std::wstring fname = docOf(itf.p, fd->memid, &fhelp);
    const std::string tag = "member " + std::to_string(i);
    check(fd->memid == want[i].id, tag + " dispatch id");
    check(fd->invkind == want[i].kind, tag + " kind");
    check(fname == want[i].name, tag + " name");
    check(fhelp == std::wstring(L"property ") + want[i].name, tag + " help string");
    check(fd->callconv == CC_STDCALL && fd->elemdescFunc.tdesc.vt == VT_HRESULT,
          tag + " HRESULT, standard calling convention");
    check(fd->oVft == static_cast<short>((7 + i) * sizeof(void*)), tag + " slot after IDispatch");
    itf->ReleaseFuncDesc(fd);
  }
  if (ta) itf->ReleaseTypeAttr(ta);
  return 0;
}

// ---- activation ------------------------------------------------------------

const char kJnlpKey[] = "JNLPFile\\Shell\\Open\\Command";

// What the stand-in urlmon.dll recorded of the control's navigation back.
struct ProbeState {
  LONG calls = 0;
  IUnknown* last = nullptr;
  IOleClientSite* site = nullptr;
  DWORD thread = 0;
};

using StandInFn = void(WINAPI*)(LONG*, IUnknown**, IOleClientSite**, DWORD*);

StandInFn standIn() {
  HMODULE m = GetModuleHandleA("urlmon.dll");
  return m ? reinterpret_cast<StandInFn>(reinterpret_cast<void*>(GetProcAddress(m, "StandInGoBack")))
           : nullptr;
}

ProbeState probe() {
  ProbeState s;
  if (const StandInFn fn = standIn()) fn(&s.calls, &s.last, &s.site, &s.thread);
  return s;
}

// The registry keys the server opened with RegOpenKeyExA and has not closed:
// its imports of RegOpenKeyExA and RegCloseKey lead here.
std::vector<HKEY> g_openKeys;
using RegOpenFn = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
using RegCloseFn = LONG(WINAPI*)(HKEY);
RegOpenFn g_regOpen = nullptr;
RegCloseFn g_regClose = nullptr;

LONG WINAPI countedRegOpen(HKEY root, LPCSTR path, DWORD options, REGSAM access, PHKEY out) {
  const LONG rc = g_regOpen(root, path, options, access, out);
  if (rc == ERROR_SUCCESS && out) g_openKeys.push_back(*out);
  return rc;
}

LONG WINAPI countedRegClose(HKEY key) {
  const auto it = std::find(g_openKeys.begin(), g_openKeys.end(), key);
  if (it != g_openKeys.end()) g_openKeys.erase(it);
  return g_regClose(key);
}

bool countRegistryKeys(HMODULE server) {
  HMODULE advapi = GetModuleHandleA("advapi32.dll");
  g_regOpen = reinterpret_cast<RegOpenFn>(reinterpret_cast<void*>(GetProcAddress(advapi, "RegOpenKeyExA")));
  g_regClose = reinterpret_cast<RegCloseFn>(reinterpret_cast<void*>(GetProcAddress(advapi, "RegCloseKey")));
  return g_regOpen && g_regClose &&
         redirectImport(server, "advapi32.dll", reinterpret_cast<void*>(g_regOpen),
                        reinterpret_cast<void*>(countedRegOpen)) &&
         redirectImport(server, "advapi32.dll", reinterpret_cast<void*>(g_regClose),
                        reinterpret_cast<void*>(countedRegClose));
}

// Counts the processes started from here: the container runs in a job that
// its children join.
// An inheritable event whose handle value the fake launcher is told: it
// sets the event only when it holds the handle.
class Launches {
 public:
  Launches() {
    job_ = CreateJobObjectA(nullptr, nullptr);
    joined_ = job_ && AssignProcessToJobObject(job_, GetCurrentProcess());
    done_ = CreateEventA(nullptr, FALSE, FALSE, "VantorFakeLauncherDone");
    go_ = CreateEventA(nullptr, TRUE, FALSE, "VantorFakeLauncherGo");
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    inherit_ = CreateEventA(&inheritable, TRUE, FALSE, nullptr);
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    log_ = std::string(dir) + "vantor-fake-" + std::to_string(GetCurrentProcessId()) + ".log";
    SetEnvironmentVariableA("VANTOR_FAKE_LOG", log_.c_str());
    SetEnvironmentVariableA(
        "VANTOR_FAKE_INHERIT",
        std::to_string(reinterpret_cast<ULONG_PTR>(inherit_)).c_str());
  }
  Launches(const Launches&) = delete;
  Launches& operator=(const Launches&) = delete;
  ~Launches() {
    SetEnvironmentVariableA("VANTOR_FAKE_INHERIT", nullptr);
    DeleteFileA(log_.c_str());
    for (HANDLE h : {done_, go_, inherit_, job_})
      if (h) CloseHandle(h);
  }
  bool ready() const { return joined_ && done_ && go_ && inherit_; }
  // Whether a launcher held the container's inheritable handle (and resets it).
  bool handleInherited() {
    const bool set = WaitForSingleObject(inherit_, 0) == WAIT_OBJECT_0;
    ResetEvent(inherit_);
    return set;
  }
  // Whether the launcher has reported (without waiting; consumes the report).
  bool reportedAlready() { return WaitForSingleObject(done_, 0) == WAIT_OBJECT_0; }
  // Lets a held launcher go on (VANTOR_FAKE_HOLD), or holds the next ones.
  void release(bool go) {
    if (go)
      SetEvent(go_);
    else
      ResetEvent(go_);
  }
  // Processes ever started in the job, the container itself not counted.
  DWORD started() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &info, sizeof info,
                              nullptr);
    return info.TotalProcesses - 1;
  }
  // Waits for the fake launcher's report: its argument count and command line.
  bool report(int& argc, std::string& line) {
    if (WaitForSingleObject(done_, 60000) != WAIT_OBJECT_0) return false;
    FILE* f = std::fopen(log_.c_str(), "rb");
    if (!f) return false;
    char buf[4096];
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = '\0';
    char* nl = std::strchr(buf, '\n');
    if (!nl) return false;
    *nl = '\0';
    argc = std::atoi(buf);
    line = nl + 1;
    return true;
  }

 private:
  HANDLE job_ = nullptr;
  HANDLE done_ = nullptr;
  HANDLE go_ = nullptr;
  HANDLE inherit_ = nullptr;
  bool joined_ = false;
  std::string log_;
};

void setRegistered(const std::string& command) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CLASSES_ROOT, kJnlpKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>(command.size() + 1));
  RegCloseKey(key);
}

struct Props {
  const wchar_t* app = nullptr;
  const wchar_t* dbg = nullptr;
  const wchar_t* back = nullptr;
};

struct Outcome {
  HRESULT hr = E_FAIL;
  DWORD launched = 0;
  bool wentBack = false;
  bool backWithOwnUnknown = false;
  bool backFromSite = false;     // the IUnknown led to the container's site
  bool backOnPageThread = false;
  bool inherited = false;        // the launcher held a handle of the container
  std::size_t keysOpen = 0;      // registry keys the activation left open
  int argc = 0;
  std::string line;
};

// Creates a control in `site`, sets its properties, runs `before` and
// activates it with `verb`; reports what happened.
Outcome activate(Launches& launches, TestSite& site, const Props& p, LONG verb = OLEIVERB_INPLACEACTIVATE,
                 const std::function<void(IOleObject*)>& before = {}) {
  Outcome o;
  Ptr<IisInstalled> c;
  CoCreateInstance(CLSID_isInstalled, nullptr, CLSCTX_INPROC_SERVER, IID_IisInstalled, c.out());
  if (!c.p) return o;
  Text app(p.app), dbg(p.dbg), back(p.back);
  if (p.app) c->put_app(app.b);
  if (p.dbg) c->put_dbg(dbg.b);
  if (p.back) c->put_back(back.b);
  Ptr<IOleObject> ole;
  c->QueryInterface(IID_IOleObject, ole.out());
  ole->SetClientSite(&site);
  if (before) before(ole.p);
  const ProbeState was = probe();
  const DWORD startedBefore = launches.started();
  g_openKeys.clear();
  RECT pos{0, 0, 1, 1};
  o.hr = ole->DoVerb(verb, nullptr, &site, 0, nullptr, &pos);
  o.keysOpen = g_openKeys.size();
  o.launched = launches.started() - startedBefore;
  const ProbeState now = probe();
  Ptr<IUnknown> self;
  c->QueryInterface(IID_IUnknown, self.out());
  o.wentBack = now.calls > was.calls;
  o.backWithOwnUnknown = o.wentBack && now.last == self.p;
  o.backFromSite = o.wentBack && now.site == static_cast<IOleClientSite*>(&site);
  o.backOnPageThread = o.wentBack && now.thread == GetCurrentThreadId();
  if (o.launched) launches.report(o.argc, o.line);
  o.inherited = launches.handleInherited();
  ole->Close(OLECLOSE_NOSAVE);
  ole->SetClientSite(nullptr);
  return o;
}

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

int activation(const std::string& fake) {
  Launches launches;
  check(launches.ready(), "a job and an event for counting launches");
  if (!launches.ready()) return 1;
  Ptr<IUnknown> first;
  CoCreateInstance(CLSID_isInstalled, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, first.out());
  HMODULE server = GetModuleHandleA("Vantor.dll");
  check(first.p && server, "the product server is registered");
  if (!first.p || !server) return 1;
  check(countRegistryKeys(server), "the server's registry imports are counted");

  setRegistered(quoted(fake) + " \"%1\"");
  TestSite site;
  {
    const Outcome o = activate(launches, site, {L"http://host/app.jnlp", nullptr, nullptr});
    checkHr(o.hr, S_OK, "activation");
    check(o.launched == 1, "one program started");
    check(o.line == quoted(fake) + " http://host/app.jnlp", "command line: " + o.line);
    check(o.argc == 2, "the launcher gets the address as one argument");
    check(!o.inherited, "the launcher inherits no handle of the browser");
    check(o.keysOpen == 0, "the activation leaves no registry key open");
    check(standIn() != nullptr, "the stand-in urlmon.dll is loaded in place of Wine's");
    check(o.wentBack && o.backWithOwnUnknown, "HlinkGoBack gets the control's own IUnknown");
    check(o.backFromSite, "HlinkGoBack finds the container's client site from it");
    check(o.backOnPageThread, "HlinkGoBack is called on the page's thread");
    check(site.activations == 1 && site.deactivations == 1, "activated in place and deactivated at close");
  }
  {
    // The control does not wait for the launcher: DoVerb returns while the
    // launcher is held, then the launcher is let go.
    launches.release(false);
    Ptr<IOleObject> ole;
    CoCreateInstance(CLSID_isInstalled, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, ole.out());
    Ptr<IisInstalled> c;
    if (ole.p) ole->QueryInterface(IID_IisInstalled, c.out());
    if (c.p) {
      Text app(L"held");
      c->put_app(app.b);
      ole->SetClientSite(&site);
      SetEnvironmentVariableA("VANTOR_FAKE_HOLD", "1");
      RECT pos{0, 0, 1, 1};
      const DWORD before = launches.started();
      ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, nullptr, &pos);
      SetEnvironmentVariableA("VANTOR_FAKE_HOLD", nullptr);
      const bool started = launches.started() - before == 1;
      const bool waited = launches.reportedAlready();
      launches.release(true);
      int argc = 0;
      std::string line;
      check(started && !waited && launches.report(argc, line),
            "the activation returns while the launcher still runs");
      ole->Close(OLECLOSE_NOSAVE);
      ole->SetClientSite(nullptr);
    }
  }
  {
    const Outcome o = activate(launches, site, {});
    checkHr(o.hr, S_OK, "activation with app absent");
    check(o.launched == 0, "app absent: nothing started");
    check(o.wentBack, "app absent: still back");
  }
  {
    const Outcome o = activate(launches, site, {L"http://h/a b  c.jnlp", nullptr, L"no"});
    check(o.launched == 1, "app with blanks: started");
    check(o.line == quoted(fake) + " http://h/a b  c.jnlp", "app with blanks unquoted: " + o.line);
    check(o.argc == 4, "app with blanks: several arguments");
    check(o.wentBack, "back other than false: back");
  }
  {
    // app reaches the program in the system ANSI code page (here 1252):
    // e-acute is the one byte E9, not the two bytes of UTF-8.
    check(GetACP() == 1252, "the system ANSI code page is 1252, as the next check expects: " +
                                std::to_string(GetACP()));
    const Outcome o = activate(launches, site, {L"caf\u00e9", nullptr, nullptr});
    std::string bytes;
    for (unsigned char ch : o.line.substr(std::min(o.line.size(), quoted(fake).size() + 1))) {
      char hex[4];
      std::snprintf(hex, sizeof hex, " %02X", ch);
      bytes += hex;
    }
    check(o.launched == 1 && o.line == quoted(fake) + " caf\xE9", "app in the ANSI code page: bytes" + bytes);
  }
  for (const wchar_t* no : {L"false", L"FALSE", L"FaLsE"}) {
    const Outcome o = activate(launches, site, {L"x", nullptr, no});
    check(o.launched == 1, "back false: still launched");
    check(!o.wentBack, "back " + narrow(no) + ": no navigation back");
  }
  for (const wchar_t* yes : {L"false ", L"", L"true"}) {
    const Outcome o = activate(launches, site, {nullptr, nullptr, yes});
    check(o.wentBack, "back '" + narrow(yes) + "': back");
  }
  {
    const Outcome o = activate(launches, site, {L"", nullptr, nullptr});
    check(o.launched == 1 && o.line == quoted(fake) + " ", "app empty: program and one blank");
  }
  for (LONG verb : {OLEIVERB_PRIMARY, OLEIVERB_SHOW, OLEIVERB_UIACTIVATE}) {
    const Outcome o = activate(launches, site, {L"v", nullptr, nullptr}, verb);
    check(o.hr == S_OK && o.launched == 1 && o.wentBack, "verb " + std::to_string(verb) + " activates");
  }
  {
    const Outcome o = activate(launches, site, {L"x", nullptr, nullptr}, OLEIVERB_INPLACEACTIVATE,
                               [](IOleObject* ole) { ole->Close(OLECLOSE_NOSAVE); });
    check(o.launched == 1, "closed before activation: still launched");
    check(!o.wentBack, "closed before activation: no navigation back");
  }
  {
    // closing a changed control asks the site to save it, unless told not to
    TestSite saving;
    for (DWORD option : {OLECLOSE_SAVEIFDIRTY, OLECLOSE_NOSAVE}) {
      Ptr<IOleObject> ole;
      CoCreateInstance(CLSID_isInstalled, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, ole.out());
      Ptr<IisInstalled> c;
      ole->QueryInterface(IID_IisInstalled, c.out());
      Text app(L"x");
      c->put_app(app.b);
      ole->SetClientSite(&saving);
      checkHr(ole->Close(option), S_OK, "Close");
      ole->SetClientSite(nullptr);
    }
    check(saving.saves == 1, "saved at close only when asked to");
  }
  {
    TestSite refusing;
    refusing.allowInPlace = false;
    const Outcome o = activate(launches, refusing, {L"x", nullptr, nullptr});
    check(FAILED(o.hr), "a site that refuses in-place activation: the verb fails");
    check(o.launched == 0 && !o.wentBack, "failed activation: nothing else happens");
  }
  {
    TestSite windowed;
    windowed.windowless = false;
    const Outcome o = activate(launches, windowed, {L"x", nullptr, nullptr});
    check(o.hr == S_OK && o.launched == 1 && windowed.activations == 1,
          "an in-place site without windowless support");
  }
  {
    const std::wstring longApp(300, L'a');
    const Outcome o = activate(launches, site, {longApp.c_str(), nullptr, nullptr});
    check(o.hr == S_OK && o.launched == 0, "an app too long for the command line: nothing started");
    check(o.wentBack, "an app too long: still back");
    // the longest that fits: 259 bytes with the program and the blank
    const std::wstring fits(259 - quoted(fake).size() - 1, L'b');
    const Outcome o2 = activate(launches, site, {fits.c_str(), nullptr, nullptr});
    check(o2.launched == 1 && o2.line.size() == 259, "a command line of 259 bytes is started");
    const std::wstring over(fits.size() + 1, L'b');
    check(activate(launches, site, {over.c_str(), nullptr, nullptr}).launched == 0,
          "a command line of 260 bytes is refused");
  }
  {
    setRegistered(quoted(fake) + " \"%1\" " + std::string(300, 'x'));
    const Outcome o = activate(launches, site, {L"x", nullptr, nullptr});
    check(o.launched == 0 && o.wentBack, "a registered command longer than 259 bytes: refused, back");
  }
  {
    std::string bare = fake;
    setRegistered(bare + " %1");
    const Outcome o = activate(launches, site, {L"x", nullptr, nullptr});
    check(o.launched == 0, "a command without quotes: nothing started");
    check(o.wentBack, "a command without quotes: still back");
    setRegistered("\"" + fake + " %1");
    check(activate(launches, site, {L"x", nullptr, nullptr}).launched == 0,
          "a command with one quote: nothing started");
  }
  {
    setRegistered(quoted(fake + ".missing") + " \"%1\"");
    const Outcome o = activate(launches, site, {L"x", nullptr, nullptr});
    check(o.hr == S_OK && o.launched == 0 && o.wentBack, "a program that does not start: back");
  }
  {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "JNLPFile");
    const Outcome o = activate(launches, site, {L"x", nullptr, nullptr});
    check(o.hr == S_OK && o.launched == 0 && o.wentBack, "no JNLP program registered: back");
  }
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "JNLPFile");
  return 0;
}

// ---- the dbg box -----------------------------------------------------------

struct BoxWatch {
  HANDLE stop = nullptr;
  int seen = 0;
  std::string title, text;
};

DWORD WINAPI watchBoxes(void* arg) {
  auto* w = static_cast<BoxWatch*>(arg);
  while (WaitForSingleObject(w->stop, 50) == WAIT_TIMEOUT) {
    HWND box = FindWindowA("#32770", "Launch Command line");
    if (!box || !IsWindowVisible(box)) continue;
    char title[256] = {}, text[1024] = {};
    GetWindowTextA(box, title, sizeof title);
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    w->title = title;
    w->text = text;
    ++w->seen;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    while (IsWindow(box) && WaitForSingleObject(w->stop, 20) == WAIT_TIMEOUT) {
    }
  }
  return 0;
}

Outcome watched(Launches& launches, TestSite& site, const Props& p, BoxWatch& w) {
  w = BoxWatch{};
  w.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, watchBoxes, &w, 0, nullptr);
  const Outcome o = activate(launches, site, p);
  SetEvent(w.stop);
  check(WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0, "the box watcher ends within 30 s");
  CloseHandle(thread);
  CloseHandle(w.stop);
  return o;
}

int dbgbox(const std::string& fake) {
  Launches launches;
  check(launches.ready(), "a job and an event for counting launches");
  setRegistered(quoted(fake) + " \"%1\"");
  TestSite site;
  BoxWatch w;
  Outcome o = watched(launches, site, {L"http://h/a.jnlp", L"", nullptr}, w);
  check(w.seen == 1, "dbg empty: one box");
  check(w.title == "Launch Command line", "box title: " + w.title);
  check(w.text == quoted(fake) + " http://h/a.jnlp", "box text: " + w.text);
  check(o.launched == 1 && o.line == w.text, "the shown command line is started after the box");
  o = watched(launches, site, {L"http://h/a.jnlp", L"false", nullptr}, w);
  check(w.seen == 1 && o.launched == 1, "dbg false: still a box");
  o = watched(launches, site, {L"http://h/a.jnlp", nullptr, nullptr}, w);
  check(w.seen == 0 && o.launched == 1, "dbg never set: no box");
  o = watched(launches, site, {nullptr, L"", nullptr}, w);
  check(w.seen == 0 && o.launched == 0, "app absent: no box");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "JNLPFile");
  return 0;
}

// ---- atl <exe>: hosted in Wine's ATL control container ------------------------

using AxWinInitFn = BOOL(WINAPI*)();
using AxCreateControlFn = HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**);
using AxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

// The stored form of a control whose app is `app`, in a stream at its start.
bool savedControl(const wchar_t* app, Ptr<IStream>& stream) {
  Ptr<IisInstalled> c;
  CoCreateInstance(CLSID_isInstalled, nullptr, CLSCTX_INPROC_SERVER, IID_IisInstalled, c.out());
  Ptr<IPersistStreamInit> ps;
  if (!c.p || FAILED(c->QueryInterface(IID_IPersistStreamInit, ps.out()))) return false;
  Text value(app);
  c->put_app(value.b);
  CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
  if (!stream.p || FAILED(ps->Save(stream.p, TRUE))) return false;
  LARGE_INTEGER zero{};
  return SUCCEEDED(stream->Seek(zero, STREAM_SEEK_SET, nullptr));
}

int atl(const std::string& fake) {
  Launches launches;
  check(launches.ready(), "a job and an event for counting launches");
  HMODULE atlDll = LoadLibraryA("atl.dll");
  auto init = atlDll ? reinterpret_cast<AxWinInitFn>(reinterpret_cast<void*>(GetProcAddress(atlDll, "AtlAxWinInit"))) : nullptr;
  auto createControl = atlDll ? reinterpret_cast<AxCreateControlFn>(reinterpret_cast<void*>(
                                    GetProcAddress(atlDll, "AtlAxCreateControl")))
                              : nullptr;
  auto getControl = atlDll ? reinterpret_cast<AxGetControlFn>(reinterpret_cast<void*>(
                                 GetProcAddress(atlDll, "AtlAxGetControl")))
                           : nullptr;
  check(init && createControl && getControl && init(), "Wine's atl.dll and its container window");
  if (!init || !createControl || !getControl || !launches.ready()) return 1;
  setRegistered(quoted(fake) + " \"%1\"");

  // 1. AtlAxCreateControl with the stored form of a control whose app is set:
  //    the container loads it, activates the control in place, the program
  //    starts and the browser is sent back through the container's site.
  {
    Ptr<IStream> stream;
    check(savedControl(L"http://h/atl.jnlp", stream), "a stored control for the container");
    HWND host = CreateWindowExA(0, "STATIC", "Vantor in ATL", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    const ProbeState was = probe();
    const DWORD before = launches.started();
    Ptr<IUnknown> container;
    checkHr(createControl(L"Vantor.isInstalled", host, stream.p, container.put()), S_OK,
            "AtlAxCreateControl by ProgID");
    const DWORD launched = launches.started() - before;
    const ProbeState now = probe();
    // the control is the one that went back (Wine's AtlAxGetControl knows
    // only its own window class)
    Ptr<IUnknown> control;
    if (now.last) now.last->QueryInterface(IID_IUnknown, control.out());
    Ptr<IisInstalled> c;
    if (control.p) control->QueryInterface(IID_IisInstalled, c.out());
    check(c.p != nullptr, "the container holds an isInstalled control");
    Text v;
    if (c.p) c->get_app(v.put());
    check(v.str() == L"http://h/atl.jnlp", "the container loaded the stored properties");
    int argc = 0;
    std::string line;
    check(launched == 1 && launches.report(argc, line) && line == quoted(fake) + " http://h/atl.jnlp",
          "activated by the container: the program started with app (" + line + ")");
    check(now.calls == was.calls + 1 && control.p && now.last == control.p,
          "activated by the container: HlinkGoBack with the control's IUnknown");
    Ptr<IOleClientSite> site;
    if (container.p) container->QueryInterface(IID_IOleClientSite, site.out());
    check(site.p && now.site == site.p, "HlinkGoBack finds the container's own client site");
    c.reset();
    site.reset();
    control.reset();
    container.reset();
    DestroyWindow(host);
  }
  // 2. The container window class with the ProgID as its text, as a dialog
  //    or a host program makes it: app absent, nothing starts, but back.
  {
    const ProbeState was = probe();
    const DWORD before = launches.started();
    HWND ax = CreateWindowExA(0, "AtlAxWin", "Vantor.isInstalled.2", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              0, 0, 200, 100, nullptr, nullptr, atlDll, nullptr);
    check(ax != nullptr, "an AtlAxWin window for Vantor.isInstalled.2");
    Ptr<IUnknown> control;
    if (ax) getControl(ax, control.put());
    Ptr<IisInstalled> c;
    if (control.p) control->QueryInterface(IID_IisInstalled, c.out());
    check(c.p != nullptr, "the AtlAxWin window holds the control");
    check(launches.started() == before, "AtlAxWin, app absent: nothing started");
    check(probe().calls == was.calls + 1, "AtlAxWin, app absent: still back");
    c.reset();
    control.reset();
    if (ax) DestroyWindow(ax);
  }
  // The container released everything: COM can unload the server.
  CoFreeUnusedLibraries();
  check(GetModuleHandleA("Vantor.dll") == nullptr, "the container released the controls");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "JNLPFile");
  return 0;
}

// ---- apartment: a client in the multithreaded apartment --------------------

// Pumps this (single-threaded) apartment's messages until `thread` ends, so
// that calls from other apartments are served; false after 60 s.
bool serveUntilEnded(HANDLE thread) {
  const DWORD until = GetTickCount() + 60000;
  for (;;) {
    const DWORD left = until - GetTickCount();
    if (static_cast<LONG>(left) <= 0) return false;
    const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return true;
    if (r != WAIT_OBJECT_0 + 1) return false;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
}

const wchar_t kCrossText[] = L"http://h/\x00e9\x4e2d\xd83d\xde00 x.jnlp";

// Whether `p` is a proxy: only a proxy answers IClientSecurity.
bool isProxy(IUnknown* p) {
  Ptr<IUnknown> security;
  return SUCCEEDED(p->QueryInterface(IID_IClientSecurity, security.out()));
}

// The other apartment's side: the control handed over by the page's
// apartment, and one it creates itself, which COM makes in the page's
// apartment too (the class is apartment-threaded).
DWORD WINAPI mtaClient(void* arg) {
  auto* stream = static_cast<IStream*>(arg);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  {
    Ptr<IisInstalled> c;
    checkHr(CoGetInterfaceAndReleaseStream(stream, IID_IisInstalled, c.out()), S_OK,
            "the control reaches the other apartment");
    if (c.p) {
      check(isProxy(c.p), "the other apartment calls through a proxy");
      Text app(kCrossText), v;
      checkHr(c->put_app(app.b), S_OK, "put_app from the other apartment");
      checkHr(c->get_app(v.put()), S_OK, "get_app from the other apartment");
      check(v.str() == kCrossText, "a non-ASCII text crosses the apartments both ways");
      const std::wstring longText(20000, L'w');
      Text dbg(longText.c_str());
      c->put_dbg(dbg.b);
      c->get_dbg(v.put());
      check(v.str() == longText, "a text of 20000 characters crosses the apartments");
      Ptr<IDispatch> d;
      checkHr(c->QueryInterface(IID_IDispatch, d.out()), S_OK, "IDispatch from the other apartment");
      if (d.p) {
        DISPID id = 0;
        LPOLESTR name = const_cast<LPOLESTR>(L"back");
        checkHr(d->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK, "GetIDsOfNames through the proxy");
        checkHr(dispatchPut(d.p, id, L"false"), S_OK, "Invoke put through the proxy");
        check(dispatchGet(d.p, id) == L"false", "Invoke get through the proxy");
      }
    }
  }
  {
    Ptr<IisInstalled> own;
    checkHr(CoCreateInstance(CLSID_isInstalled, nullptr, CLSCTX_INPROC_SERVER, IID_IisInstalled,
                             own.out()),
            S_OK, "CoCreateInstance from the multithreaded apartment");
    if (own.p) {
      check(isProxy(own.p), "the control is made in a single-threaded apartment");
      Text back(L"FALSE"), v;
      own->put_back(back.b);
      own->get_back(v.put());
      check(v.str() == L"FALSE", "properties of a control made for the other apartment");
    }
  }
  CoUninitialize();
  return 0;
}

int apartment() {
  Ptr<IisInstalled> c;
  checkHr(CoCreateInstance(CLSID_isInstalled, nullptr, CLSCTX_INPROC_SERVER, IID_IisInstalled,
                           c.out()),
          S_OK, "CoCreateInstance in the page's apartment");
  if (!c.p) return 1;
  IStream* stream = nullptr;
  checkHr(CoMarshalInterThreadInterfaceInStream(IID_IisInstalled, c.p, &stream), S_OK,
          "the control is marshalled (its interface is registered)");
  if (!stream) return 1;
  HANDLE thread = CreateThread(nullptr, 0, mtaClient, stream, 0, nullptr);
  check(serveUntilEnded(thread), "the other apartment's calls are served");
  CloseHandle(thread);
  Text v;
  c->get_app(v.put());
  check(v.str() == kCrossText, "the calls of the other apartment reached the control");
  c->get_back(v.put());
  check(v.str() == L"false", "the IDispatch calls of the other apartment reached the control");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf(
        "usage: vantortest regdump|server <dll>|create|typelib|apartment|"
        "activate <exe>|dbgbox <exe>|atl <exe>\n");
    return 2;
  }
  const std::string mode = argv[1];
  if (mode == "regdump") return regdump();
  if ((mode == "server" || mode == "activate" || mode == "dbgbox" || mode == "atl") && argc < 3) {
    std::printf("vantortest: %s needs an argument\n", mode.c_str());
    return 2;
  }
  CoInitialize(nullptr);
  int rc = 2;
  if (mode == "server")
    rc = server(argv[2]);
  else if (mode == "create")
    rc = create();
  else if (mode == "typelib")
    rc = typelib();
  else if (mode == "apartment")
    rc = apartment();
  else if (mode == "activate")
    rc = activation(argv[2]);
  else if (mode == "dbgbox")
    rc = dbgbox(argv[2]);
  else if (mode == "atl")
    rc = atl(argv[2]);
  else
    std::printf("vantortest: unknown mode %s\n", mode.c_str());
  CoUninitialize();
  if (rc == 2) return 2;
  std::printf("%s: %d checks, %d failed\n", mode.c_str(), g_checks, g_failures);
  return rc != 0 || g_failures ? 1 : 0;
}
