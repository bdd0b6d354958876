// A directory back-end for tests: each call takes the next answer that the
// test scripted for its operation (status and, optionally, an answer
// buffer), every call is recorded with its arguments, and released buffers
// are counted. A call with nothing scripted answers ERROR_NOT_SUPPORTED and
// counts as unscripted, so a test notices calls it did not expect.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "AnswerBuffers.h"
#include "NetApi.h"

struct ScriptedCall {
    std::string op;
    std::optional<std::u16string> server;  // nullopt: a null server
    std::u16string name;                   // the domain, user or group argument
    uint32_t level = 0;
    uint32_t filter = 0;
    uint32_t prefMaxLen = 0;
    uint64_t resumeIn = 0;
    bool hasResume = false;
};

class ScriptedBackend : public DirectoryBackend {
public:
    using Member = std::pair<std::u16string, uint32_t>;   // name, attributes
    using Group = std::pair<std::u16string, std::u16string>;  // name, comment

    // A missing answer (nullopt) hands out no buffer at all.
    void scriptWkstaGetInfo(uint32_t status, std::optional<std::u16string> langroup);
    void scriptGetDCName(uint32_t status, std::optional<std::u16string> dcName);
    void scriptUserEnum(uint32_t status, std::optional<std::vector<std::u16string>> names);
    void scriptUserGetInfo(uint32_t status, std::optional<net::USER_INFO_3> info);
    void scriptGroupEnum(uint32_t status, std::optional<std::vector<Group>> groups);
    void scriptGroupGetUsers(uint32_t status, std::optional<std::vector<Member>> members);
    void scriptUserGetGroups(uint32_t status, std::optional<std::vector<Member>> groups);

    const std::vector<ScriptedCall>& calls() const { return m_calls; }
    size_t released() const { return m_released; }
    size_t outstanding() const { return m_buffers.outstanding(); }
    size_t unscripted() const { return m_unscripted; }
    size_t badReleases() const { return m_badReleases; }

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
    uint32_t NetGroupGetUsers(net::Text server, net::Text groupName, uint32_t level,
                              void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                              uint32_t* totalEntries, uintptr_t* resumeHandle) override;
    uint32_t NetUserGetGroups(net::Text server, net::Text userName, uint32_t level,
                              void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                              uint32_t* totalEntries) override;
    uint32_t NetApiBufferFree(void* buffer) override;

private:
    // One scripted answer: its status and the buffer to hand out, built when
    // scripted so the test's strings need not outlive the script call.
    struct Answer {
        uint32_t status = 0;
        std::unique_ptr<AnswerBlock> block;
        void* (*handOut)(AnswerBuffers&, std::unique_ptr<AnswerBlock>) = nullptr;
        uint32_t count = 0;
    };
    template <class Entry>
    static Answer makeAnswer(uint32_t status, std::unique_ptr<AnswerOf<Entry>> block);

    uint32_t answer(const char* op, ScriptedCall call, void** buffer, uint32_t* entriesRead,
                    uint32_t* totalEntries);

    std::deque<Answer>& queue(const std::string& op) { return m_queues[op]; }

    std::unordered_map<std::string, std::deque<Answer>> m_queues;
    std::vector<ScriptedCall> m_calls;
    AnswerBuffers m_buffers;
    size_t m_released = 0;
    size_t m_unscripted = 0;
    size_t m_badReleases = 0;
};
