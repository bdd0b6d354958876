// The registry operations the settings need, behind a small interface: the
// Windows registry itself, or a REGEDIT4 file standing in for it where there
// is none (RegFile.h). Values travel as the registry holds them, a type code
// and raw bytes, so that the checks of a value's type and size are made once
// (SettingsStore.cpp) and catch the same faults on every platform.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The registry's type codes (winnt.h), for the kinds the settings use.
inline constexpr uint32_t kRegSz = 1;      // REG_SZ: UTF-16LE text with a terminating NUL
inline constexpr uint32_t kRegBinary = 3;  // REG_BINARY
inline constexpr uint32_t kRegDword = 4;   // REG_DWORD: 4 bytes, little-endian

struct RegData {
    uint32_t type = 0;
    std::vector<uint8_t> bytes;

    bool operator==(const RegData&) const = default;
};

// An open key. Value names are compared without regard to case, as the
// registry does.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // Nothing when the value does not exist (or cannot be read).
    virtual std::optional<RegData> queryValue(std::u16string_view name) = 0;
    // False when the value could not be written.
    virtual bool setValue(std::u16string_view name, const RegData& data) = 0;
};

// The current user's hive, HKEY_CURRENT_USER. Paths are below it, their
// parts joined by backslashes ("Software\\zentory.example\\Zentory\\Font").
class RegistryHive {
public:
    virtual ~RegistryHive() = default;
    // Null when the key does not exist or cannot be opened.
    virtual std::unique_ptr<RegistryKey> openKey(std::u16string_view path) = 0;
    // Opens the key, creating it (and the keys above it) when missing; null
    // when it can be neither opened nor created.
    virtual std::unique_ptr<RegistryKey> createKey(std::u16string_view path) = 0;
};

#ifdef _WIN32
// HKEY_CURRENT_USER itself, opened with read access (KEY_READ) or with write
// access (KEY_WRITE). WindowsRegistry.cpp.
std::unique_ptr<RegistryHive> OpenCurrentUserRegistry(bool forWriting);
#endif

// REG_SZ data as the registry holds it, and back: the text ends at the first
// NUL (or with the data, when a writer left the NUL out).
std::vector<uint8_t> EncodeRegSz(std::u16string_view text);
std::u16string DecodeRegSz(const std::vector<uint8_t>& bytes);
