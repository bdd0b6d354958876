// zentory-probe: the directory queries on Windows, through netapi32 with the
// credentials of the user who is logged on, from a console. The commands
// and the output are zentory-cli's, so that a domain read here and one read
// on Linux can be compared line by line. One item per line; messages go to
// standard error and a failure ends with a non-zero exit code.
//
// Text goes to a console as UTF-16 (WriteConsoleW), so every name shows
// whatever the console's code page; into a pipe or a file it goes as UTF-8.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// Only <windows.h>, never <lm.h> here: <lmaccess.h> defines
// PASSWORD_EXPIRED, which is the name of a flag in Records.h.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "NetApi.h"
#include "Ordering.h"
#include "Queries.h"
#include "Records.h"
#include "StatusText.h"
#include "Text.h"
#include "WindowsBackend.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be UTF-16 code units");

// Wide strings from Windows to char16_t, code unit by code unit.
std::u16string fromWide(const wchar_t* s) {
    std::u16string r;
    for (; s != nullptr && *s != L'\0'; ++s) {
        r.push_back(static_cast<char16_t>(*s));
    }
    return r;
}

// One of the standard streams: a console gets UTF-16 through WriteConsoleW,
// anything else UTF-8 bytes through the C runtime (which, in text mode,
// ends the lines with CR LF as Windows programs do).
class Stream {
public:
    Stream(DWORD which, FILE* file) : m_handle(GetStdHandle(which)), m_file(file) {
        DWORD mode = 0;
        m_console = m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE &&
                    GetConsoleMode(m_handle, &mode) != 0;
    }

    void line(std::u16string_view text) {
        if (m_console) {
            std::wstring wide(text.begin(), text.end());
            wide += L"\r\n";
            writeConsole(wide);
        } else {
            std::string bytes = Utf16ToUtf8(text);
            bytes += '\n';
            std::fwrite(bytes.data(), 1, bytes.size(), m_file);
        }
    }

    void flush() {
        if (!m_console) {
            std::fflush(m_file);
        }
    }

private:
    void writeConsole(const std::wstring& wide) {
        // WriteConsoleW takes a DWORD count and is happier with moderate
        // pieces; a piece never ends between the two halves of a
        // surrogate pair.
        constexpr size_t kPiece = 8192;
        const wchar_t* p = wide.data();
        size_t left = wide.size();
        while (left > 0) {
            size_t n = std::min(left, kPiece);
            if (n < left && n > 1 && p[n - 1] >= 0xD800 && p[n - 1] <= 0xDBFF) {
                --n;
            }
            DWORD written = 0;
            if (WriteConsoleW(m_handle, p, static_cast<DWORD>(n), &written, nullptr) == 0 ||
                written == 0) {
                return;
            }
            p += written;
            left -= written;
        }
    }

    HANDLE m_handle;
    FILE* m_file;
    bool m_console = false;
};

Stream& outStream() {
    static Stream s(STD_OUTPUT_HANDLE, stdout);
    return s;
}

Stream& errStream() {
    static Stream s(STD_ERROR_HANDLE, stderr);
    return s;
}

void out(std::u16string_view line) {
    outStream().line(line);
}

void err(std::u16string_view line) {
    // What went to standard output so far comes first, also when both
    // streams go into one file.
    outStream().flush();
    errStream().line(u"zentory-probe: " + std::u16string(line));
    errStream().flush();
}

std::u16string ascii(std::string_view s) {
    return AsciiToUtf16(s);
}

// The queries' error boxes, on standard error.
class ConsoleReporter : public ErrorReporter {
public:
    void showError(const std::u16string& text) override {
        err(text);
        ++errors;
    }
    int errors = 0;
};

// Dates as UTC, sortable: "yyyy-MM-dd HH:mm:ss"; "Never" and empty as the
// windows show them.
std::u16string dateText(tyDateTime value, bool expiry) {
    const double day = std::trunc(value);
    if (day == 0) {
        return {};
    }
    if (expiry && day == kDateNever) {
        return u"Never";
    }
    using namespace std::chrono;
    const sys_days epoch{year(1899) / December / 30};
    const sys_time<milliseconds> t =
        epoch + milliseconds(static_cast<long long>(std::llround(value * 86400000.0)));
    const sys_days date = floor<days>(t);
    const year_month_day ymd(date);
    const hh_mm_ss<seconds> time(floor<seconds>(t - date));
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", static_cast<int>(ymd.year()),
                  static_cast<int>(static_cast<unsigned>(ymd.month())),
                  static_cast<int>(static_cast<unsigned>(ymd.day())),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return ascii(buf);
}

void printUserInfo(const tyUserInfo3& u) {
    auto line = [](std::string_view key, const std::u16string& value) {
        out(ascii(key) + u" = " + value);
    };
    auto num = [](uint32_t v) { return DecimalText(v); };
    auto flag = [](bool b) { return std::u16string(b ? u"True" : u"False"); };
    line("Name", u.Name);
    line("PasswordAge", num(u.PasswordAge));
    line("Priv", u.Priv);
    line("HomeDir", u.HomeDir);
    line("Comment", u.Comment);
    for (const auto& f : kUi3FlagFields) {
        out(u"Flag " + ascii(f.name) + u" = " + flag(u.Flags.*f.field));
    }
    line("ScriptPath", u.ScriptPath);
    for (const auto& f : kUi3AuthFlagFields) {
        out(u"AuthFlags " + ascii(f.name) + u" = " + flag(u.AuthFlags.*f.field));
    }
    line("FullName", u.FullName);
    line("UsrComment", u.UsrComment);
    line("Workstations", u.Workstations);
    line("LastLogon", dateText(u.LastLogon, false));
    line("LastLogoff", dateText(u.LastLogoff, false));
    line("AcctExpires", dateText(u.AcctExpires, true));
    line("MaxStorage", u.MaxStorage == net::UserMaxStorageUnlimited ? std::u16string(u"Unlimited")
                                                                    : num(u.MaxStorage));
    line("UnitsPerWeek", u.UnitsPerWeek);
    line("LogonHours", num(u.LogonHours));
    line("BadPwCount", num(u.BadPwCount));
    line("NumLogons", num(u.NumLogons));
    line("LogonServer", u.LogonServer);
    line("CountryCode", num(u.CountryCode));
    line("CodePage", num(u.CodePage));
    line("UserId", num(u.UserId));
    line("PrimaryGroupId", num(u.PrimaryGroupId));
    line("Profile", u.Profile);
    line("HomeDirDrive", u.HomeDirDrive);
    line("PasswordExpired", num(u.PasswordExpired));
}

constexpr std::string_view kHelp =
    "Usage: zentory-probe [options] COMMAND [NAME]\n"
    "\n"
    "Reads the users and global groups of a Windows domain through netapi32,\n"
    "as the user who is logged on.\n"
    "\n"
    "Commands:\n"
    "  domain            The domain and its domain controller.\n"
    "  users             Every user account, one name per line.\n"
    "  groups            Every global group: name, a tab, its comment.\n"
    "  members GROUP     The members of a global group.\n"
    "  groups-of USER    The global groups of a user.\n"
    "  info USER         The user's account details, one \"Field = value\" per line;\n"
    "                    dates in UTC.\n"
    "\n"
    "Options:\n"
    "  --domain NAME     Find the controller of this domain instead of the\n"
    "                    workstation's own.\n"
    "  --server NAME     Ask this domain controller, without looking one up.\n"
    "  --help            This text.\n"
    "  --version         The program's version.\n"
    "  --                Everything after it is a command or a name, even when it\n"
    "                    begins with \"-\".";

struct Options {
    std::u16string command;
    std::u16string name;
    std::u16string domain;
    std::u16string server;
    bool help = false;
    bool version = false;
};

// By hand: there is no toolkit in the Windows build. Either a complete set
// of options, or an error message.
bool parseArguments(const std::vector<std::u16string>& args, Options& o, std::u16string& error) {
    std::vector<std::u16string> positional;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::u16string& a = args[i];
        if (optionsEnded || a.empty() || a[0] != u'-' || a == u"-") {
            if (a == u"/?" && !optionsEnded) {
                o.help = true;
                continue;
            }
            positional.push_back(a);
            continue;
        }
        if (a == u"--") {
            optionsEnded = true;
        } else if (a == u"--help" || a == u"-h" || a == u"-?") {
            o.help = true;
        } else if (a == u"--version") {
            o.version = true;
        } else if (a == u"--server" || a == u"--domain") {
            if (i + 1 >= args.size()) {
                error = a + u" needs a name";
                return false;
            }
            (a == u"--server" ? o.server : o.domain) = args[++i];
        } else if (a.starts_with(u"--server=")) {
            o.server = a.substr(9);
        } else if (a.starts_with(u"--domain=")) {
            o.domain = a.substr(9);
        } else {
            error = u"unknown option " + a + u"; see --help";
            return false;
        }
    }
    if (o.help || o.version) {
        return true;
    }
    if (positional.empty()) {
        error = u"no command given; see --help";
        return false;
    }
    o.command = positional[0];
    const bool needsName =
        o.command == u"members" || o.command == u"groups-of" || o.command == u"info";
    const bool known =
        needsName || o.command == u"domain" || o.command == u"users" || o.command == u"groups";
    const size_t names = positional.size() - 1;
    if (!known || (needsName && names != 1) || (!needsName && names != 0)) {
        error = u"usage: zentory-probe [options] " +
                (needsName ? o.command + u" NAME"
                 : known   ? o.command
                           : u"COMMAND") +
                u"; see --help";
        return false;
    }
    if (needsName) {
        o.name = positional[1];
    }
    return true;
}

int runCommand(const Options& o, DirectoryQueries& queries, StatusWatch& watch,
               ConsoleReporter& reporter) {
    std::u16string domain = o.domain.empty() ? queries.GetDomainName() : o.domain;
    std::u16string dc = o.server;
    uint32_t dcFailure = net::Success;
    if (dc.empty()) {
        watch.reset();
        dc = queries.GetDCName(domain);
        dcFailure = watch.lastFailure();
        if (dc == kDCNotFoundMarker) {
            dc.clear();
        }
    }
    auto noController = [&] {
        std::u16string text =
            u"Could not find domain controller for the domain \"" + domain + u"\".";
        if (dcFailure != net::Success) {
            text += u" " + StatusText(dcFailure);
        }
        err(text);
        return kExitFailure;
    };
    if (o.command == u"domain") {
        out(u"Domain = " + domain);
        out(u"Domain controller = " + dc);
        return dc.empty() ? noController() : 0;
    }
    if (dc.empty()) {
        return noController();
    }
    auto failed = [&](const std::u16string& what) {
        if (watch.lastFailure() != net::Success) {
            err(what + u": " + StatusText(watch.lastFailure()));
            return true;
        }
        return false;
    };
    watch.reset();
    if (o.command == u"users") {
        tyArrUsers users;
        queries.GetUsers(dc, users);
        if (failed(u"cannot list the users")) {
            return kExitFailure;
        }
        SortUsers(users, 0, 0);
        for (const auto& u : users) {
            out(u);
        }
        return 0;
    }
    if (o.command == u"groups") {
        tyArrGroup1 groups;
        queries.GetGroups(dc, groups);
        if (failed(u"cannot list the groups")) {
            return kExitFailure;
        }
        SortGroups(groups, 0, 0);
        for (const auto& g : groups) {
            out(g.Name + u"\t" + g.Comment);
        }
        return 0;
    }
    if (o.command == u"members" || o.command == u"groups-of") {
        const bool members = o.command == u"members";
        tyArrGroupUsersInfo1 entries;
        if (members) {
            queries.GetGroupUsers(dc, o.name, entries);
        } else {
            queries.GetUserGroups(dc, o.name, entries);
        }
        if (failed((members ? u"cannot list the members of \"" : u"cannot list the groups of \"") +
                   o.name + u"\"")) {
            return kExitFailure;
        }
        tyArrUsers names;
        names.reserve(entries.size());
        for (const auto& e : entries) {
            names.push_back(e.Name);
        }
        SortUsers(names, 0, 0);
        for (const auto& n : names) {
            out(n);
        }
        return 0;
    }
    if (o.command == u"info") {
        tyUserInfo3 info;
        queries.ReadUserInfo3(dc, o.name, info);
        if (reporter.errors > 0) {
            return kExitFailure;
        }
        printUserInfo(info);
        return 0;
    }
    return kExitUsage;
}

int run(int argc, wchar_t** argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(fromWide(argv[i]));
    }
    Options options;
    std::u16string error;
    if (!parseArguments(args, options, error)) {
        err(error);
        return kExitUsage;
    }
    if (options.help) {
        out(ascii(kHelp));
        return 0;
    }
    if (options.version) {
        out(u"zentory-probe " + ascii(ZENTORY_VERSION));
        return 0;
    }

    WindowsBackend backend;
    StatusWatch watch(backend);
    ConsoleReporter reporter;
    DirectoryQueries queries(watch, reporter);
    int code = runCommand(options, queries, watch, reporter);
    // Every answer buffer goes back through the interface; one that did not
    // would be a fault in the queries or the back-end.
    if (backend.outstandingBuffers() != 0) {
        err(DecimalText(backend.outstandingBuffers()) + u" answer buffers were not released");
        code = kExitFailure;
    }
    return code;
}

}  // namespace

// With -municode the C runtime calls wmain, so arguments arrive as UTF-16
// and names outside the ANSI code page survive.
extern "C" int wmain(int argc, wchar_t** argv) {
    int code = kExitFailure;
    try {
        code = run(argc, argv);
    } catch (const std::bad_alloc&) {
        err(u"not enough memory");
        code = kExitFailure;
    }
    outStream().flush();
    return code;
}
