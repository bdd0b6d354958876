// HKEY_CURRENT_USER through the Win32 registry functions. Built on Windows
// only; everywhere else RegFile stands in for it.
#include "RegistryHive.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 code units");

namespace {

std::wstring wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

class WindowsKey : public RegistryKey {
public:
    explicit WindowsKey(HKEY key) : m_key(key) {}
    ~WindowsKey() override { RegCloseKey(m_key); }
    WindowsKey(const WindowsKey&) = delete;
    WindowsKey& operator=(const WindowsKey&) = delete;

    std::optional<RegData> queryValue(std::u16string_view name) override {
        const std::wstring n = wide(name);
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(m_key, n.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        // The value may grow between asking its size and reading it.
        for (int attempt = 0; attempt < 4; ++attempt) {
            RegData data;
            data.bytes.resize(size);
            DWORD got = size;
            const LONG rc = RegQueryValueExW(m_key, n.c_str(), nullptr, &type,
                                             data.bytes.empty() ? nullptr : data.bytes.data(), &got);
            if (rc == ERROR_SUCCESS) {
                data.type = type;
                data.bytes.resize(got);
                return data;
            }
            if (rc != ERROR_MORE_DATA) {
                return std::nullopt;
            }
            size = got;
        }
        return std::nullopt;
    }

    bool setValue(std::u16string_view name, const RegData& data) override {
        const std::wstring n = wide(name);
        return RegSetValueExW(m_key, n.c_str(), 0, data.type,
                              data.bytes.empty() ? nullptr : data.bytes.data(),
                              DWORD(data.bytes.size())) == ERROR_SUCCESS;
    }

private:
    HKEY m_key;
};

class CurrentUserHive : public RegistryHive {
public:
    explicit CurrentUserHive(bool forWriting) : m_access(forWriting ? KEY_WRITE : KEY_READ) {}

    std::unique_ptr<RegistryKey> openKey(std::u16string_view path) override {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, wide(path).c_str(), 0, m_access, &key) !=
            ERROR_SUCCESS) {
            return nullptr;
        }
        return std::make_unique<WindowsKey>(key);
    }

    std::unique_ptr<RegistryKey> createKey(std::u16string_view path) override {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, wide(path).c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, m_access, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
            return nullptr;
        }
        return std::make_unique<WindowsKey>(key);
    }

private:
    REGSAM m_access;
};

}  // namespace

std::unique_ptr<RegistryHive> OpenCurrentUserRegistry(bool forWriting) {
    return std::make_unique<CurrentUserHive>(forWriting);
}
