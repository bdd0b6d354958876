#include "AnswerBuffers.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kChunkSize = 64 * 1024;
}

void* AnswerBlock::allocate(size_t bytes, size_t align) {
    size_t offset = (m_used + align - 1) / align * align;
    if (m_chunks.empty() || offset + bytes > m_capacity) {
        size_t size = std::max(kChunkSize, bytes + align);
        m_chunks.push_back(std::make_unique<std::byte[]>(size));
        m_capacity = size;
        m_used = 0;
        offset = 0;
    }
    m_used = offset + bytes;
    return m_chunks.back().get() + offset;
}

net::Text AnswerBlock::text(std::u16string_view s) {
    auto* p = static_cast<char16_t*>(allocate((s.size() + 1) * sizeof(char16_t),
                                              alignof(char16_t)));
    std::copy(s.begin(), s.end(), p);
    p[s.size()] = u'\0';
    return p;
}

const uint8_t* AnswerBlock::bytes(const uint8_t* data, size_t size) {
    if (data == nullptr) {
        return nullptr;
    }
    auto* p = static_cast<uint8_t*>(allocate(std::max<size_t>(size, 1), 1));
    if (size > 0) {
        std::memcpy(p, data, size);
    }
    return p;
}

net::WKSTA_INFO_101 copyInto(AnswerBlock& block, const net::WKSTA_INFO_101& e) {
    net::WKSTA_INFO_101 r = e;
    r.wki101_computername = block.text(e.wki101_computername);
    r.wki101_langroup = block.text(e.wki101_langroup);
    r.wki101_lanroot = block.text(e.wki101_lanroot);
    return r;
}

net::USER_INFO_0 copyInto(AnswerBlock& block, const net::USER_INFO_0& e) {
    return {block.text(e.usri0_name)};
}

net::USER_INFO_3 copyInto(AnswerBlock& block, const net::USER_INFO_3& e) {
    net::USER_INFO_3 r = e;
    r.usri3_name = block.text(e.usri3_name);
    r.usri3_password = block.text(e.usri3_password);
    r.usri3_home_dir = block.text(e.usri3_home_dir);
    r.usri3_comment = block.text(e.usri3_comment);
    r.usri3_script_path = block.text(e.usri3_script_path);
    r.usri3_full_name = block.text(e.usri3_full_name);
    r.usri3_usr_comment = block.text(e.usri3_usr_comment);
    r.usri3_parms = block.text(e.usri3_parms);
    r.usri3_workstations = block.text(e.usri3_workstations);
    r.usri3_logon_hours = block.bytes(e.usri3_logon_hours, net::LogonHoursBytes);
    r.usri3_logon_server = block.text(e.usri3_logon_server);
    r.usri3_profile = block.text(e.usri3_profile);
    r.usri3_home_dir_drive = block.text(e.usri3_home_dir_drive);
    return r;
}

net::GROUP_INFO_1 copyInto(AnswerBlock& block, const net::GROUP_INFO_1& e) {
    return {block.text(e.grpi1_name), block.text(e.grpi1_comment)};
}

net::GROUP_USERS_INFO_1 copyInto(AnswerBlock& block, const net::GROUP_USERS_INFO_1& e) {
    return {block.text(e.grui1_name), e.grui1_attributes};
}

void* AnswerBuffers::handOutText(std::u16string_view s) {
    auto block = create<char16_t>();
    block->entries.assign(s.begin(), s.end());
    block->entries.push_back(u'\0');
    return handOut(std::move(block));
}

void AnswerBuffers::keep(void* first, std::unique_ptr<AnswerBlock> block) {
    std::lock_guard lock(m_mutex);
    m_blocks.emplace(first, std::move(block));
}

uint32_t AnswerBuffers::release(void* buffer) {
    std::unique_ptr<AnswerBlock> block;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_blocks.find(buffer);
        if (it == m_blocks.end()) {
            return net::InvalidParameter;
        }
        block = std::move(it->second);
        m_blocks.erase(it);
    }
    return net::Success;
}

size_t AnswerBuffers::outstanding() const {
    std::lock_guard lock(m_mutex);
    return m_blocks.size();
}
