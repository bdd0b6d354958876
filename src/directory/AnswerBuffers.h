// Answer buffers for back-ends that are not netapi32 itself: each answer is
// one block that owns its entries and every text and byte string they point
// at, handed out as a pointer to the first entry and released as a whole
// through NetApiBufferFree, as the Windows functions' buffers are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "NetApi.h"

class AnswerBlock {
public:
    AnswerBlock() = default;
    AnswerBlock(const AnswerBlock&) = delete;
    AnswerBlock& operator=(const AnswerBlock&) = delete;
    virtual ~AnswerBlock() = default;

    // Copies a text into the block, zero-terminated; the pointer lives as
    // long as the block.
    net::Text text(std::u16string_view s);
    // The same, where a missing string stays missing.
    net::Text text(const char16_t* s) { return s ? text(std::u16string_view(s)) : nullptr; }
    const uint8_t* bytes(const uint8_t* data, size_t size);

private:
    void* allocate(size_t bytes, size_t align);

    std::vector<std::unique_ptr<std::byte[]>> m_chunks;
    size_t m_used = 0;
    size_t m_capacity = 0;
};

template <class Entry>
class AnswerOf : public AnswerBlock {
public:
    std::vector<Entry> entries;
};

// Deep copies of the answer structures into a block.
net::WKSTA_INFO_101 copyInto(AnswerBlock& block, const net::WKSTA_INFO_101& e);
net::USER_INFO_0 copyInto(AnswerBlock& block, const net::USER_INFO_0& e);
net::USER_INFO_3 copyInto(AnswerBlock& block, const net::USER_INFO_3& e);
net::GROUP_INFO_1 copyInto(AnswerBlock& block, const net::GROUP_INFO_1& e);
net::GROUP_USERS_INFO_1 copyInto(AnswerBlock& block, const net::GROUP_USERS_INFO_1& e);

// The buffers a back-end has handed out and not yet had back. Safe to use
// from several threads.
class AnswerBuffers {
public:
    template <class Entry>
    static std::unique_ptr<AnswerOf<Entry>> create() {
        return std::make_unique<AnswerOf<Entry>>();
    }

    // Hands out the block; the result is what the caller reads and frees.
    template <class Entry>
    void* handOut(std::unique_ptr<AnswerOf<Entry>> block) {
        // A block with no entries still needs an address of its own.
        if (block->entries.capacity() == 0) {
            block->entries.reserve(1);
        }
        void* first = block->entries.data();
        keep(first, std::move(block));
        return first;
    }

    // A buffer that holds one text (NetGetDCName's answer).
    void* handOutText(std::u16string_view s);

    // net::Success, or net::InvalidParameter for a pointer this back-end did
    // not hand out (or has already had back).
    uint32_t release(void* buffer);

    size_t outstanding() const;

private:
    void keep(void* first, std::unique_ptr<AnswerBlock> block);

    mutable std::mutex m_mutex;
    std::unordered_map<void*, std::unique_ptr<AnswerBlock>> m_blocks;
};
