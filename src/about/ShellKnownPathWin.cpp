// The known-folder lookup on Windows, in plain Win32 (no toolkit), so that
// the mingw-w64 build compiles it as it stands.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "KnownFolders.h"

namespace {

// COM for the user-interface thread from start to end: the shell's
// folder functions need it. Apartment-threaded, as the toolkit's own OLE
// start-up asks later (it then gets S_FALSE and balances its own call).
struct ComApartment {
    ComApartment() {
        m_initialised =
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
    ~ComApartment() {
        if (m_initialised) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool m_initialised;
};
ComApartment g_comApartment;

// GetVersionEx reports what the manifest claims; RtlGetVersion reports
// the system itself.
DWORD SystemMajorVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(PRTL_OSVERSIONINFOW);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        if (FARPROC proc = GetProcAddress(ntdll, "RtlGetVersion")) {
            auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void (*)()>(proc));
            if (rtlGetVersion(&info) == 0) {
                return info.dwMajorVersion;
            }
        }
    }
    return 0;
}

GUID ToGuid(const KnownFolderId& pId) {
    GUID g;
    g.Data1 = pId.Data1;
    g.Data2 = pId.Data2;
    g.Data3 = pId.Data3;
    for (int i = 0; i < 8; ++i) {
        g.Data4[i] = pId.Data4[i];
    }
    return g;
}

}  // namespace

std::wstring KnownFolderPathWin32(const KnownFolderId& pId) {
    if (SystemMajorVersion() >= 6) {
        // Bound when first needed: shell32 before Vista does not export it,
        // and a static import would stop the program from starting there.
        using SHGetKnownFolderPathFn = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
        static SHGetKnownFolderPathFn getKnownFolderPath = [] {
            HMODULE shell32 = LoadLibraryW(L"shell32.dll");
            FARPROC proc = shell32 ? GetProcAddress(shell32, "SHGetKnownFolderPath") : nullptr;
            return reinterpret_cast<SHGetKnownFolderPathFn>(reinterpret_cast<void (*)()>(proc));
        }();
        if (!getKnownFolderPath) {
            return {};
        }
        PWSTR path = nullptr;
        const HRESULT hr = getKnownFolderPath(ToGuid(pId), 0, nullptr, &path);
        std::wstring result;
        if (SUCCEEDED(hr) && path) {
            result = path;
        }
        // Freed also after a failure: the function may hand a buffer back.
        CoTaskMemFree(path);
        return result;
    }
    const int csidl = KnownFolderToCSIDL(pId);
    if (csidl == 0) {
        throw EConvertError("Cannot convert to CSIDL - " + KnownFolderIdText(pId));
    }
    wchar_t buffer[MAX_PATH];
    if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) >= 0) {
        return buffer;
    }
    return {};
}
