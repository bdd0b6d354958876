// The directory on Windows: netapi32 itself, with the credentials of the
// user who is logged on. Statuses are Windows' own and pass through
// unchanged; the answers are copied out of Windows' buffers into answer
// blocks of the net:: structures, because the queries read those and they
// are not the SDK's types (char16_t for wchar_t, uint32_t for DWORD).
//
// This header includes no Windows header, so the queries and the records
// (whose flag PASSWORD_EXPIRED is a macro in <lmaccess.h>) can sit next to
// it in one translation unit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "AnswerBuffers.h"
#include "NetApi.h"

class WindowsBackend : public DirectoryBackend {
public:
    WindowsBackend() = default;
    WindowsBackend(const WindowsBackend&) = delete;
    WindowsBackend& operator=(const WindowsBackend&) = delete;

    uint32_t NetWkstaGetInfo(net::Text server, uint32_t level, void** buffer) override;
    uint32_t NetGetDCName(net::Text server, net::Text domain, void** buffer) override;
    uint32_t NetUserEnum(net::Text server, uint32_t level, uint32_t filter, void** buffer,
                         uint32_t prefMaxLen, uint32_t* entriesRead, uint32_t* totalEntries,
                         uint32_t* resumeHandle) override;
    uint32_t NetUserGetInfo(net::Text server, net::Text userName, uint32_t level,
                            void** buffer) override;
    uint32_t NetGroupEnum(net::Text server, uint32_t level, void** buffer, uint32_t prefMaxLen,
                          uint32_t* entriesRead, uint32_t* totalEntries,
                          uintptr_t* resumeHandle) override;
    uint32_t NetGroupGetUsers(net::Text server, net::Text groupName, uint32_t level, void** buffer,
                              uint32_t prefMaxLen, uint32_t* entriesRead, uint32_t* totalEntries,
                              uintptr_t* resumeHandle) override;
    uint32_t NetUserGetGroups(net::Text server, net::Text userName, uint32_t level, void** buffer,
                              uint32_t prefMaxLen, uint32_t* entriesRead,
                              uint32_t* totalEntries) override;
    // Releases a buffer this object handed out: net::Success, or
    // net::InvalidParameter for any other pointer (null included), where
    // netapi32's own function would corrupt its heap.
    uint32_t NetApiBufferFree(void* buffer) override;

    // Buffers handed out and not yet released; for the probe's leak check.
    size_t outstandingBuffers() const { return m_buffers.outstanding(); }

private:
    AnswerBuffers m_buffers;
};
