// Why an LDIF export could not be read: the file, the line the fault is on
// (0 when it concerns the file as a whole) and the reason, and as what() the
// one message that the window and the console show, "FILE:LINE: reason".
#pragma once

#include <stdexcept>
#include <string>

class LdifError : public std::runtime_error {
public:
    LdifError(std::string file, unsigned long line, std::string reason);

    const std::string& file() const { return m_file; }
    unsigned long line() const { return m_line; }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_file;
    unsigned long m_line;
    std::string m_reason;
};
