// The about window's Windows side: the version resource, the system's
// version and the system's INI reader.
#include <windows.h>

#include <QDir>
#include <QString>
#include <iterator>
#include <stdexcept>

#include "FileVersion.h"
#include "IniFile.h"

namespace {

[[noreturn]] void raiseLastError() {
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message = text ? QString::fromWCharArray(text).trimmed()
                           : QStringLiteral("System error code %1").arg(code);
    LocalFree(text);
    throw std::runtime_error(message.toStdString());
}

}  // namespace

FileVersion GetFileVersion() {
    wchar_t path[32768];
    const DWORD length = GetModuleFileNameW(nullptr, path, DWORD(std::size(path)));
    if (length == 0 || length == std::size(path)) {
        raiseLastError();
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0) {
        raiseLastError();
    }
    QByteArray data(qsizetype(size), Qt::Uninitialized);
    if (!GetFileVersionInfoW(path, 0, size, data.data())) {
        raiseLastError();
    }
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoLength = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoLength)) {
        raiseLastError();
    }
    return {HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
            HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS)};
}

OsVersion CurrentOsVersion() {
    OsVersion v;
    // RtlGetVersion: GetVersionEx reports what the manifest claims.
    using RtlGetVersionFn = LONG(WINAPI*)(PRTL_OSVERSIONINFOW);
    RTL_OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        if (FARPROC proc = GetProcAddress(ntdll, "RtlGetVersion")) {
            auto rtlGetVersion =
                reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void (*)()>(proc));
            rtlGetVersion(reinterpret_cast<PRTL_OSVERSIONINFOW>(&info));
        }
    }
    v.major = int(info.dwMajorVersion);
    v.minor = int(info.dwMinorVersion);
    v.build = QString::number(info.dwBuildNumber);
    v.servicePackMajor = info.wServicePackMajor;

    wchar_t name[256] = {};
    DWORD bytes = sizeof name - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                     L"ProductName", RRF_RT_REG_SZ, nullptr, name, &bytes) == ERROR_SUCCESS) {
        v.productName = QString::fromWCharArray(name);
    } else {
        v.productName = QStringLiteral("Windows");
    }
    // Windows 11 kept the registry's "Windows 10" name; its builds start
    // at 22000.
    if (info.dwBuildNumber >= 22000 && v.productName.startsWith(u"Windows 10")) {
        v.productName.replace(8, 2, QStringLiteral("11"));
    }

    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    switch (system.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_AMD64:
    case PROCESSOR_ARCHITECTURE_IA64:
    case 12:  // PROCESSOR_ARCHITECTURE_ARM64, missing from older headers
        v.is64Bit = true;
        break;
    default:
        v.is64Bit = false;
        break;
    }
    return v;
}

QString ReadProfileString(const QString& pFileName, const QString& pSection, const QString& pKey,
                          const QString& pDefault) {
    wchar_t buffer[kProfileValueMax + 1];
    const DWORD n = GetPrivateProfileStringW(
        reinterpret_cast<const wchar_t*>(pSection.utf16()),
        reinterpret_cast<const wchar_t*>(pKey.utf16()),
        reinterpret_cast<const wchar_t*>(pDefault.utf16()), buffer, DWORD(std::size(buffer)),
        reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(pFileName).utf16()));
    return QString::fromWCharArray(buffer, int(n));
}
