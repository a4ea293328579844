// The isInstalled control: a windowless, invisible ActiveX control whose
// activation starts the program registered for JNLP files and sends the
// browser back.
#include "comsupport.h"
#include "launch.h"
#include "module.h"
#include "props.h"
#include "vantor_h.h"
#include "vantormsg.h"

#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <new>
#include <vector>

namespace vantor {

namespace {

// The status bits of the content aspect: activate as soon as visible.
constexpr DWORD kMiscStatus = OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE;

bool isLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

// The registered open command of JNLP files, or nullopt.
std::optional<std::string> registeredCommand(HKEY key) {
  char buf[kCommandBufferSize];
  DWORD size = sizeof buf;
  if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;  // also a value longer than the buffer
  return std::string(registryText(buf, size));
}

std::string toAnsi(std::u16string_view text) {
  text = untilNul(text);
  if (text.empty()) return {};
  const auto* w = reinterpret_cast<const wchar_t*>(text.data());
  const int len = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, w, len, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, w, len, out.data(), n, nullptr, nullptr);
  return out;
}

// Starts the registered JNLP program with `app`; every failure skips the launch.
void launchApplication(const Properties& props) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, msg::kJnlpOpenCommandKey, 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS)
    return;
  const auto registered = registeredCommand(key);
  auto line = registered ? launchCommand(*registered, toAnsi(*props.app), isLeadByte) : std::nullopt;
  if (line) {
    if (props.dbg) MessageBoxA(nullptr, line->c_str(), msg::kLaunchBoxTitle, MB_OK);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessA(nullptr, line->data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
  }
  RegCloseKey(key);
}

HRESULT getProperty(const std::optional<std::u16string>& value, BSTR* out) {
  if (!out) return E_POINTER;
  *out = Bstr(value ? std::u16string_view(*value) : std::u16string_view()).detach();
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT readExact(IStream* stream, void* data, ULONG size) {
  ULONG got = 0;
  const HRESULT hr = stream->Read(data, size, &got);
  if (FAILED(hr)) return hr;
  return got == size ? S_OK : STG_E_READFAULT;
}

class Control final : public IisInstalled,
                      public IViewObjectEx,
                      public IOleInPlaceObjectWindowless,
                      public IOleInPlaceActiveObject,
                      public IOleControl,
                      public IOleObject,
                      public IPersistStreamInit,
                      public IPersistPropertyBag,
                      public ISpecifyPropertyPages,
                      public IQuickActivate,
                      public IPersistStorage,
                      public IDataObject,
                      public IProvideClassInfo2,
                      public IObjectSafety {
 public:
  Control() { moduleLock(); }
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  ~Control() { moduleUnlock(); }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = interfaceFor(iid);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return moduleTypeInfo(IID_IisInstalled, info);
  }
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                             DISPID* ids) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids) return E_POINTER;
    ComPtr<ITypeInfo> info;
    const HRESULT hr = moduleTypeInfo(IID_IisInstalled, info.put());
    return FAILED(hr) ? hr : DispGetIDsOfNames(info.get(), names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ComPtr<ITypeInfo> info;
    const HRESULT hr = moduleTypeInfo(IID_IisInstalled, info.put());
    if (FAILED(hr)) return hr;
    return DispInvoke(static_cast<IisInstalled*>(this), info.get(), id, flags, params, result,
                      excep, argErr);
  }

  // IisInstalled
  STDMETHODIMP get_app(BSTR* out) override { return getProperty(props_.app, out); }
  STDMETHODIMP put_app(BSTR value) override { return putProperty(props_.app, value); }
  STDMETHODIMP get_dbg(BSTR* out) override { return getProperty(props_.dbg, out); }
  STDMETHODIMP put_dbg(BSTR value) override { return putProperty(props_.dbg, value); }
  STDMETHODIMP get_back(BSTR* out) override { return getProperty(props_.back, out); }
  STDMETHODIMP put_back(BSTR value) override { return putProperty(props_.back, value); }

  // IViewObject, IViewObject2, IViewObjectEx: nothing is drawn.
  STDMETHODIMP Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECTL, LPCRECTL,
                    BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
    return S_OK;
  }
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** set) override {
    if (set) *set = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) override {
    viewSink_ = ComPtr<IAdviseSink>(sink);
    viewAspects_ = aspects;
    viewAdvf_ = advf;
    return S_OK;
  }
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override {
    if (aspects) *aspects = viewAspects_;
    if (advf) *advf = viewAdvf_;
    if (sink) *sink = ComPtr<IAdviseSink>(viewSink_).detach();
    return S_OK;
  }
  STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override {
    return GetExtent(aspect, size);
  }
  STDMETHODIMP GetRect(DWORD, LPRECTL) override { return E_NOTIMPL; }
  STDMETHODIMP GetViewStatus(DWORD* status) override {
    if (!status) return E_POINTER;
    *status = 0;  // transparent: nothing is drawn
    return S_OK;
  }
  STDMETHODIMP QueryHitPoint(DWORD, LPCRECT, POINT, LONG, DWORD* hit) override {
    if (!hit) return E_POINTER;
    *hit = HITRESULT_OUTSIDE;
    return S_OK;
  }
  STDMETHODIMP QueryHitRect(DWORD, LPCRECT, LPCRECT, LONG, DWORD* hit) override {
    if (!hit) return E_POINTER;
    *hit = HITRESULT_OUTSIDE;
    return S_OK;
  }
  STDMETHODIMP GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*,
                                LPSIZEL) override {
    return E_NOTIMPL;
  }

  // IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless
  STDMETHODIMP GetWindow(HWND* wnd) override {
    if (!wnd) return E_POINTER;
    *wnd = nullptr;
    return E_FAIL;  // windowless
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override {
    if (!inPlace_) return S_OK;
    UIDeactivate();
    inPlace_ = false;
    ComPtr<IOleInPlaceSiteWindowless> windowless;
    if (windowless_ &&
        SUCCEEDED(ipSite_->QueryInterface(IID_IOleInPlaceSiteWindowless, windowless.putVoid())))
      windowless->OnInPlaceDeactivateEx(TRUE);
    else
      ipSite_->OnInPlaceDeactivate();
    ipSite_.reset();
    return S_OK;
  }
  STDMETHODIMP UIDeactivate() override {
    if (!uiActive_) return S_OK;
    uiActive_ = false;
    ipSite_->OnUIDeactivate(FALSE);
    return S_OK;
  }
  STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT) override {
    if (!pos) return E_POINTER;
    pos_ = *pos;
    return S_OK;
  }
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) override {
    if (result) *result = 0;
    return S_FALSE;
  }
  STDMETHODIMP GetDropTarget(IDropTarget** target) override {
    if (target) *target = nullptr;
    return E_NOTIMPL;
  }

  // IOleInPlaceActiveObject
  STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

  // IOleControl
  STDMETHODIMP GetControlInfo(CONTROLINFO*) override { return E_NOTIMPL; }
  STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
  STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    site_ = ComPtr<IOleClientSite>(site);
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite** site) override {
    if (!site) return E_POINTER;
    *site = ComPtr<IOleClientSite>(site_).detach();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD saveOption) override {
    closed_ = true;
    return standardClose(saveOption);
  }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject** data) override {
    if (data) *data = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND,
                      LPCRECT pos) override {
    return guarded([&]() -> HRESULT {
      if (!site_ && activeSite) site_ = ComPtr<IOleClientSite>(activeSite);
      switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
          return inPlaceActivate(verb, pos);
        case OLEIVERB_HIDE:
          return UIDeactivate();
        case OLEIVERB_DISCARDUNDOSTATE:
          return S_OK;
        case OLEIVERB_OPEN:
        case OLEIVERB_PROPERTIES:
          return E_NOTIMPL;
        default:
          return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
      }
    });
  }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override {
    return OleRegEnumVerbs(CLSID_isInstalled, verbs);
  }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* clsid) override { return GetClassID(clsid); }
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override {
    return OleRegGetUserType(CLSID_isInstalled, form, type);
  }
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    extent_ = *size;
    return S_OK;
  }
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    *size = extent_;
    return S_OK;
  }
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override {
    HRESULT hr = adviseHolder();
    return FAILED(hr) ? hr : oleAdvise_->Advise(sink, cookie);
  }
  STDMETHODIMP Unadvise(DWORD cookie) override {
    return oleAdvise_ ? oleAdvise_->Unadvise(cookie) : OLE_E_NOCONNECTION;
  }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** e) override {
    if (!e) return E_POINTER;
    *e = nullptr;
    return oleAdvise_ ? oleAdvise_->EnumAdvise(e) : E_FAIL;
  }
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override {
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IPersist
  STDMETHODIMP GetClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_isInstalled;
    return S_OK;
  }

  // IPersistStreamInit
  STDMETHODIMP IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
  STDMETHODIMP Load(LPSTREAM stream) override {
    return guarded([&]() -> HRESULT {
      if (!stream) return E_POINTER;
      std::array<std::uint8_t, kStoredHeaderSize> header{};
      HRESULT hr = readExact(stream, header.data(), header.size());
      if (FAILED(hr)) return hr;
      const auto size = storedBodySize(header);
      if (!size) return E_INVALIDARG;
      std::vector<std::uint8_t> body(*size);
      hr = readExact(stream, body.data(), *size);
      if (FAILED(hr)) return hr;
      if (!loadStoredBody(body, props_)) return E_INVALIDARG;
      dirty_ = false;
      return S_OK;
    });
  }
  STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override {
    return guarded([&]() -> HRESULT {
      if (!stream) return E_POINTER;
      const auto data = storeProperties(props_);
      if (!data) return STG_E_MEDIUMFULL;
      ULONG written = 0;
      const HRESULT hr = stream->Write(data->data(), static_cast<ULONG>(data->size()), &written);
      if (FAILED(hr)) return hr;
      if (written != data->size()) return STG_E_WRITEFAULT;
      if (clearDirty) dirty_ = false;
      return S_OK;
    });
  }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override {
    return guarded([&]() -> HRESULT {
      if (!size) return E_POINTER;
      const auto data = storeProperties(props_);
      size->QuadPart = data ? data->size() : 0;
      return data ? S_OK : STG_E_MEDIUMFULL;
    });
  }
  STDMETHODIMP InitNew() override {
    props_ = {};
    dirty_ = false;
    return S_OK;
  }

  // IPersistPropertyBag
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override {
    return guarded([&]() -> HRESULT {
      if (!bag) return E_POINTER;
      Properties loaded;
      for (const auto& p : kPropertyTable) {
        // asks the bag for a string; VariantInit promises only the type, so
        // the string is cleared too: a bag may free what it is handed
        Variant v;
        v->vt = VT_BSTR;
        v->bstrVal = nullptr;
        const std::wstring name = wide(p.name);
        if (SUCCEEDED(bag->Read(name.c_str(), v.get(), log)) &&
            (v->vt == VT_BSTR || SUCCEEDED(VariantChangeType(v.get(), v.get(), 0, VT_BSTR))))
          loaded.*p.member = std::u16string(view(v->bstrVal));
      }
      props_ = std::move(loaded);
      dirty_ = false;
      return S_OK;
    });
  }
  STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL) override {
    return guarded([&]() -> HRESULT {
      if (!bag) return E_POINTER;
      for (const auto& p : kPropertyTable) {
        const auto& value = props_.*p.member;
        if (!value) continue;  // absent properties are not written
        Bstr text(*value);
        if (!text.get()) return E_OUTOFMEMORY;
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = text.get();
        const std::wstring name = wide(p.name);
        const HRESULT hr = bag->Write(name.c_str(), &v);
        if (FAILED(hr)) return hr;
      }
      if (clearDirty) dirty_ = false;
      return S_OK;
    });
  }

  // ISpecifyPropertyPages: none.
  STDMETHODIMP GetPages(CAUUID* pages) override {
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
  }

  // IQuickActivate
  STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override {
    if (!container || !control) return E_POINTER;
    if (control->cbSize < sizeof(QACONTROL)) return E_UNEXPECTED;
    SetClientSite(container->pClientSite);
    if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    control->dwMiscStatus = kMiscStatus;
    control->dwViewStatus = 0;
    control->dwEventCookie = 0;
    control->dwPropNotifyCookie = 0;
    control->dwPointerActivationPolicy = 0;
    return S_OK;
  }
  STDMETHODIMP SetContentExtent(LPSIZEL size) override { return SetExtent(DVASPECT_CONTENT, size); }
  STDMETHODIMP GetContentExtent(LPSIZEL size) override { return GetExtent(DVASPECT_CONTENT, size); }

  // IPersistStorage: the properties in the stream "Contents".
  STDMETHODIMP InitNew(IStorage* storage) override {
    if (!storage) return E_POINTER;
    return InitNew();
  }
  STDMETHODIMP Load(IStorage* storage) override {
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    const HRESULT hr = storage->OpenStream(msg::kStorageStream, nullptr,
                                           STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put());
    return FAILED(hr) ? hr : Load(stream.get());
  }
  STDMETHODIMP Save(IStorage* storage, BOOL) override {
    if (!storage) return E_POINTER;
    HRESULT hr = WriteClassStg(storage, CLSID_isInstalled);
    if (FAILED(hr)) return hr;
    ComPtr<IStream> stream;
    hr = storage->CreateStream(msg::kStorageStream,
                               STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.put());
    return FAILED(hr) ? hr : Save(stream.get(), TRUE);
  }
  STDMETHODIMP SaveCompleted(IStorage*) override { return S_OK; }
  STDMETHODIMP HandsOffStorage() override { return S_OK; }

  // IDataObject: no data formats; advise connections are kept.
  STDMETHODIMP GetData(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC** e) override {
    if (e) *e = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* cookie) override {
    if (!dataAdvise_) {
      const HRESULT hr = CreateDataAdviseHolder(dataAdvise_.put());
      if (FAILED(hr)) return hr;
    }
    return dataAdvise_->Advise(static_cast<IDataObject*>(this), format, advf, sink, cookie);
  }
  STDMETHODIMP DUnadvise(DWORD cookie) override {
    return dataAdvise_ ? dataAdvise_->Unadvise(cookie) : OLE_E_NOCONNECTION;
  }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA** e) override {
    if (!e) return E_POINTER;
    *e = nullptr;
    return dataAdvise_ ? dataAdvise_->EnumAdvise(e) : E_FAIL;
  }

  // IProvideClassInfo, IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override {
    return moduleTypeInfo(CLSID_isInstalled, info);
  }
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override {
    if (!guid) return E_POINTER;
    *guid = GUID_NULL;
    // the control has no outgoing interface
    return kind == GUIDKIND_DEFAULT_SOURCE_DISP_IID ? E_FAIL : E_INVALIDARG;
  }

  // IObjectSafety: safe for untrusted callers, whatever the interface.
  STDMETHODIMP GetInterfaceSafetyOptions(REFIID, DWORD* supported, DWORD* enabled) override {
    if (!supported || !enabled) return E_POINTER;
    *supported = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
    *enabled = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
    return S_OK;
  }
  STDMETHODIMP SetInterfaceSafetyOptions(REFIID, DWORD, DWORD) override { return S_OK; }

 private:
  // The interface table, in its order.
  void* interfaceFor(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IisInstalled || iid == IID_IDispatch)
      return static_cast<IisInstalled*>(this);
    if (iid == IID_IViewObjectEx || iid == IID_IViewObject2 || iid == IID_IViewObject)
      return static_cast<IViewObjectEx*>(this);
    if (iid == IID_IOleInPlaceObjectWindowless || iid == IID_IOleInPlaceObject ||
        iid == IID_IOleWindow)
      return static_cast<IOleInPlaceObjectWindowless*>(this);
    if (iid == IID_IOleInPlaceActiveObject) return static_cast<IOleInPlaceActiveObject*>(this);
    if (iid == IID_IOleControl) return static_cast<IOleControl*>(this);
    if (iid == IID_IOleObject) return static_cast<IOleObject*>(this);
    if (iid == IID_IPersistStreamInit) return static_cast<IPersistStreamInit*>(this);
    if (iid == IID_IPersistPropertyBag || iid == IID_IPersist)
      return static_cast<IPersistPropertyBag*>(this);
    if (iid == IID_ISpecifyPropertyPages) return static_cast<ISpecifyPropertyPages*>(this);
    if (iid == IID_IQuickActivate) return static_cast<IQuickActivate*>(this);
    if (iid == IID_IPersistStorage) return static_cast<IPersistStorage*>(this);
    if (iid == IID_IDataObject) return static_cast<IDataObject*>(this);
    if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2)
      return static_cast<IProvideClassInfo2*>(this);
    if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
    return nullptr;
  }

  HRESULT putProperty(std::optional<std::u16string>& member, BSTR value) {
    return guarded([&]() -> HRESULT {
      if (value)
        member = std::u16string(view(value));
      else
        member.reset();
      dirty_ = true;
      return S_OK;
    });
  }

  HRESULT adviseHolder() {
    return oleAdvise_ ? S_OK : CreateOleAdviseHolder(oleAdvise_.put());
  }

  // Activation: the standard in-place activation, then the launch and the
  // navigation back.
  HRESULT inPlaceActivate(LONG verb, LPCRECT pos) {
    const HRESULT hr = standardInPlaceActivate(verb, pos);
    if (FAILED(hr)) return hr;
    if (props_.app) launchApplication(props_);
    if (navigatesBack(props_.back, closed_)) navigateBack(static_cast<IisInstalled*>(this));
    return hr;
  }

  HRESULT standardInPlaceActivate(LONG verb, LPCRECT pos) {
    if (!site_) return E_UNEXPECTED;
    if (!inPlace_) {
      ComPtr<IOleInPlaceSite> site;
      HRESULT hr = site_->QueryInterface(IID_IOleInPlaceSite, site.putVoid());
      if (FAILED(hr)) return hr;
      if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
      ComPtr<IOleInPlaceSiteWindowless> windowless;
      windowless_ = SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                                   windowless.putVoid())) &&
                    windowless->CanWindowlessActivate() == S_OK;
      if (windowless_) {
        BOOL noRedraw = FALSE;
        hr = windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
      } else {
        hr = site->OnInPlaceActivate();
      }
      if (FAILED(hr)) return hr;
      inPlace_ = true;
      ipSite_ = site;
      ComPtr<IOleInPlaceFrame> frame;
      ComPtr<IOleInPlaceUIWindow> doc;
      RECT rcPos{}, rcClip{};
      OLEINPLACEFRAMEINFO frameInfo{};
      frameInfo.cb = sizeof frameInfo;
      if (SUCCEEDED(site->GetWindowContext(frame.put(), doc.put(), &rcPos, &rcClip, &frameInfo)))
        pos_ = rcPos;
    }
    if (pos) pos_ = *pos;
    if (verb == OLEIVERB_UIACTIVATE && !uiActive_) {
      uiActive_ = true;
      ipSite_->OnUIActivate();
    }
    return S_OK;
  }

  HRESULT standardClose(DWORD saveOption) {
    InPlaceDeactivate();
    if (dirty_ && site_ &&
        (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE)) {
      site_->SaveObject();
      if (oleAdvise_) oleAdvise_->SendOnSave();
    }
    if (oleAdvise_) oleAdvise_->SendOnClose();
    return S_OK;
  }

  LONG refs_ = 1;
  Properties props_;
  bool dirty_ = false;
  bool closed_ = false;
  bool inPlace_ = false;
  bool uiActive_ = false;
  bool windowless_ = false;
  ComPtr<IOleClientSite> site_;
  ComPtr<IOleInPlaceSite> ipSite_;
  ComPtr<IOleAdviseHolder> oleAdvise_;
  ComPtr<IDataAdviseHolder> dataAdvise_;
  ComPtr<IAdviseSink> viewSink_;
  DWORD viewAspects_ = 0;
  DWORD viewAdvf_ = 0;
  SIZEL extent_{2540, 2540};  // one inch, in HIMETRIC
  RECT pos_{};
};

}  // namespace

HRESULT createControl(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  auto* control = new (std::nothrow) Control;
  if (!control) return E_OUTOFMEMORY;
  const HRESULT hr = control->QueryInterface(iid, out);
  control->Release();
  return hr;
}

}  // namespace vantor
