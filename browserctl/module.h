// Vantor's module state: the DLL instance, the count of live objects, held
// factories and server locks behind DllCanUnloadNow, and the type library of the module.
#pragma once

// COM interfaces have no virtual destructors by design: objects release
// themselves.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace vantor {

HINSTANCE moduleInstance();
std::wstring modulePath();

// Live objects, LockServer locks and client references to the class
// factory together.
void moduleLock();
void moduleUnlock();
long moduleLockCount();

// Type information from the module's own type library (loaded once).
HRESULT moduleTypeInfo(REFGUID guid, ITypeInfo** info);

// Creates an isInstalled control and hands out the asked interface.
HRESULT createControl(REFIID iid, void** out);

// Sends the hosting browser back to the previous page on behalf of the
// control whose IUnknown is given (HlinkGoBack in the product).
HRESULT navigateBack(IUnknown* control);

}  // namespace vantor
