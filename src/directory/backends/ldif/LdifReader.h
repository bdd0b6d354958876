// Reads the records of an LDIF file through OpenLDAP's LDIF parser, which
// does the unfolding, base64 and comment handling, and adds what that parser
// leaves to its callers: the line number of every value, the "version:"
// line, and a refusal of what an export of a directory never holds (change
// records, and "include:" lines or "name:< URL" values, which would make the
// reader open other files).
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "LdifError.h"

struct LdifValue {
    std::string_view type;   // the attribute description, options included
    std::string_view value;  // base64 already decoded
    unsigned long line;      // where the value's line starts
};

// One record; its views stay valid until the next call of next().
struct LdifRecord {
    std::string_view dn;
    unsigned long line = 0;  // the "dn:" line
    std::vector<LdifValue> values;
};

class LdifReader {
public:
    // Throws LdifError when the file cannot be opened.
    explicit LdifReader(std::string path);
    ~LdifReader();
    LdifReader(const LdifReader&) = delete;
    LdifReader& operator=(const LdifReader&) = delete;

    const std::string& path() const { return m_path; }

    // The next entry of the file; false at its end. Throws LdifError for a
    // record that cannot be parsed or a file that cannot be read further.
    bool next(LdifRecord& record);

    [[noreturn]] void fail(unsigned long line, std::string reason) const;

private:
    bool readRecord();
    unsigned long includeLine(long from) const;
    void markLineStarts();
    unsigned long lineAt(const char* p) const;

    std::string m_path;
    std::unique_ptr<struct LDIFFP, void (*)(struct LDIFFP*)> m_file;
    char* m_buffer = nullptr;
    int m_bufferSize = 0;
    unsigned long m_lineNumber = 0;  // the last line the parser has read
    unsigned long m_recordLine = 0;  // the first line in m_buffer
    bool m_first = true;
    std::vector<size_t> m_lineStarts;  // offsets of the lines in m_buffer
};
