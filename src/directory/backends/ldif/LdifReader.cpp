#include "LdifReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include <lber.h>
#include <ldif.h>

#include "NameFold.h"

namespace {

std::string_view view(const berval& b) {
    return {b.bv_val, b.bv_len};
}

std::string systemReason(int error) {
    return std::strerror(error);
}

}  // namespace

LdifError::LdifError(std::string file, unsigned long line, std::string reason)
    : std::runtime_error(file + (line ? ":" + std::to_string(line) : std::string()) + ": " +
                         reason),
      m_file(std::move(file)),
      m_line(line),
      m_reason(std::move(reason)) {}

LdifReader::LdifReader(std::string path) : m_path(std::move(path)), m_file(nullptr, ldif_close) {
    errno = 0;
    m_file.reset(ldif_open(m_path.c_str(), "r"));
    if (m_file == nullptr) {
        fail(0, "cannot be opened: " + systemReason(errno));
    }
    // The parser takes bytes as UTF-8 text and knows no byte order mark: a
    // UTF-8 one is stepped over, and UTF-16 (what ldifde writes with -u)
    // would come apart into NUL-cut lines, so it is named instead.
    unsigned char head[3] = {};
    const size_t got = std::fread(head, 1, sizeof head, m_file->fp);
    if (std::ferror(m_file->fp)) {
        fail(0, "cannot be read: " + systemReason(errno));
    }
    if (got >= 2 &&
        ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF))) {
        fail(0, "is UTF-16 text; LDIF is read as UTF-8 (ldifde writes that without -u)");
    }
    if (!(got == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF)) {
        std::rewind(m_file->fp);
    }
}

LdifReader::~LdifReader() {
    ber_memfree(m_buffer);
}

void LdifReader::fail(unsigned long line, std::string reason) const {
    throw LdifError(m_path, line, std::move(reason));
}

unsigned long LdifReader::includeLine(long from) const {
    // The parser has opened the included file in place of this one and
    // counts on across both, so the include line's number is found by
    // counting this file's lines up to where the parser left it.
    const long to = std::ftell(m_file->prev->fp);
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(m_path.c_str(), "rb"), std::fclose);
    unsigned long lines = 0;
    if (f && from >= 0 && to > from && std::fseek(f.get(), from, SEEK_SET) == 0) {
        for (long k = from; k < to; ++k) {
            const int c = std::fgetc(f.get());
            if (c == EOF) {
                break;
            }
            lines += c == '\n';
        }
    }
    return lines;
}

bool LdifReader::readRecord() {
    const long before = std::ftell(m_file->fp);
    const unsigned long linesBefore = m_lineNumber;
    errno = 0;
    const int rc = ldif_read_record(m_file.get(), &m_lineNumber, &m_buffer, &m_bufferSize);
    static constexpr const char* kInclude =
        "an \"include:\" line, which is not followed: an export is read from one file";
    if (rc < 0) {
        fail(m_lineNumber, kInclude);
    }
    if (m_file->prev != nullptr) {
        fail(linesBefore + includeLine(before), kInclude);
    }
    if (std::ferror(m_file->fp)) {
        fail(m_lineNumber, "cannot be read: " + systemReason(errno));
    }
    if (rc == 0) {
        return false;
    }
    markLineStarts();
    // The parser counts the blank line that ends a record, unless the file
    // ended it; what it has read is the record's lines and, before them,
    // only blank lines, so the record's first line is counted back from the
    // last.
    const unsigned long lines = m_lineStarts.size();
    const bool blankEnded = !std::feof(m_file->fp);
    m_recordLine = m_lineNumber + 1 - lines - (blankEnded ? 1 : 0);
    return true;
}

void LdifReader::markLineStarts() {
    m_lineStarts.clear();
    const size_t size = std::strlen(m_buffer);
    size_t at = 0;
    while (at < size) {
        m_lineStarts.push_back(at);
        const void* nl = std::memchr(m_buffer + at, '\n', size - at);
        if (nl == nullptr) {
            break;
        }
        at = static_cast<const char*>(nl) - m_buffer + 1;
    }
}

unsigned long LdifReader::lineAt(const char* p) const {
    const size_t offset = static_cast<size_t>(p - m_buffer);
    const auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
    return m_recordLine + static_cast<unsigned long>(it - m_lineStarts.begin()) - 1;
}

bool LdifReader::next(LdifRecord& record) {
    enum class Kind { Entry, SearchResult, Reference };
    for (;;) {
        if (!readRecord()) {
            return false;
        }
        record.dn = {};
        record.line = 0;
        record.values.clear();
        Kind kind = Kind::Entry;
        bool versionAllowed = m_first;
        m_first = false;
        bool begun = false;

        char* cursor = m_buffer;
        while (char* line = ldif_getline(&cursor)) {
            const unsigned long at = lineAt(line);
            const char* colon = std::strchr(line, ':');
            if (colon == nullptr) {
                fail(at, "not an attribute line (\"name: value\")");
            }
            if (colon[1] == '<') {
                fail(at,
                     "a value given by URL (\":<\"), which is not fetched: an export holds "
                     "its values");
            }
            const bool base64 = colon[1] == ':';
            berval type{};
            berval value{};
            int freeValue = 0;
            if (ldif_parse_line2(line, &type, &value, &freeValue) != 0) {
                fail(at, base64 ? "not a valid base64 value" : "not a valid attribute line");
            }
            const std::string_view name = view(type);

            if (!begun) {
                if (versionAllowed && EqualAsciiNoCase(name, "version")) {
                    versionAllowed = false;
                    if (view(value) != "1") {
                        fail(at, "LDIF version " + std::string(view(value)) +
                                     " is not known; version 1 is");
                    }
                    continue;
                }
                begun = true;
                if (EqualAsciiNoCase(name, "dn")) {
                    record.dn = view(value);
                    record.line = at;
                } else if (EqualAsciiNoCase(name, "search")) {
                    // ldapsearch (without -LLL) closes every page of its
                    // answer with the search's result.
                    kind = Kind::SearchResult;
                } else if (EqualAsciiNoCase(name, "ref")) {
                    // A continuation reference to another directory.
                    kind = Kind::Reference;
                } else {
                    fail(at, "the record does not begin with \"dn:\"");
                }
                continue;
            }
            if (kind == Kind::SearchResult) {
                if (EqualAsciiNoCase(name, "result")) {
                    const std::string_view result = view(value);
                    if (result.substr(0, result.find(' ')) != "0") {
                        fail(at, "the export was cut short: its search ended with \"result: " +
                                     std::string(result) + "\"");
                    }
                }
                continue;
            }
            if (kind == Kind::Reference) {
                continue;
            }
            if (EqualAsciiNoCase(name, "changetype")) {
                if (!EqualAsciiNoCase(view(value), "add")) {
                    fail(at, "a change record (changetype: " + std::string(view(value)) +
                                 "), not an entry of an export");
                }
                continue;
            }
            if (EqualAsciiNoCase(name, "control")) {
                continue;
            }
            record.values.push_back({name, view(value), at});
        }
        if (begun && kind == Kind::Entry) {
            return true;
        }
    }
}
