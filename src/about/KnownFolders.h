// Known-folder identifiers and their CSIDL counterparts, in standard C++
// with no toolkit, so that the Windows lookup built on them
// (ShellKnownPathWin.cpp) compiles with nothing but the Win32 headers.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

// Laid out as the Win32 GUID, so a GUID converts to it member by member.
struct KnownFolderId {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];

    friend bool operator==(const KnownFolderId&, const KnownFolderId&) = default;
};

// The SDK's FOLDERID_ values of the folders the program asks for (named
// apart from them, since shlobj.h defines those names).
inline constexpr KnownFolderId kFolderDownloads{
    0x374de290, 0x123f, 0x4565, {0x91, 0x64, 0x39, 0xc4, 0x92, 0x5e, 0x46, 0x7b}};
inline constexpr KnownFolderId kFolderDesktop{
    0xb4bfcc3a, 0xdb2c, 0x424c, {0xb0, 0x29, 0x7f, 0xe9, 0x9a, 0x87, 0xc6, 0x41}};
inline constexpr KnownFolderId kFolderDocuments{
    0xfdd39ad0, 0x238f, 0x46af, {0xad, 0xb4, 0x6c, 0x85, 0x48, 0x03, 0x69, 0xc7}};
inline constexpr KnownFolderId kFolderMusic{
    0x4bd8d571, 0x6d19, 0x48d3, {0xbe, 0x97, 0x42, 0x22, 0x20, 0x08, 0x0e, 0x43}};
inline constexpr KnownFolderId kFolderPictures{
    0x33e28130, 0x4e1e, 0x4676, {0x83, 0x5a, 0x98, 0x39, 0x5c, 0x3b, 0xc3, 0xbb}};
inline constexpr KnownFolderId kFolderVideos{
    0x18989b1d, 0x99b5, 0x455b, {0x84, 0x1c, 0xab, 0x7c, 0x74, 0xe4, 0xdd, 0xfc}};
inline constexpr KnownFolderId kFolderProfile{
    0x5e6c858f, 0x0e22, 0x4760, {0x9a, 0xfe, 0xea, 0x33, 0x17, 0xb6, 0x71, 0x73}};

// Raised where a known folder has no CSIDL counterpart on a system that
// only has CSIDLs.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct KnownFolderCsidl {
    const char* name;  // the SDK's name without FOLDERID_
    KnownFolderId id;
    int csidl;
};

// The 50 known folders that have a CSIDL, in lookup order.
std::span<const KnownFolderCsidl> KnownFolderToCSIDLTable();

// The CSIDL of a known folder; 0 when it has none. Desktop's CSIDL is 0
// as well, so it cannot be told from a folder that is not in the table.
int KnownFolderToCSIDL(const KnownFolderId& pId);

// "{374DE290-123F-4565-9164-39C4925E467B}": braced, upper case.
std::string KnownFolderIdText(const KnownFolderId& pId);

#ifdef _WIN32
// The folder's path through the shell: SHGetKnownFolderPath from Windows
// Vista (6.0) on, SHGetFolderPathW with the CSIDL below. Empty when the
// shell has no path; EConvertError below 6.0 for a folder without CSIDL.
std::wstring KnownFolderPathWin32(const KnownFolderId& pId);
#endif
