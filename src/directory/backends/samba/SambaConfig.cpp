#include "SambaConfig.h"

#include <krb5.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <fstream>
#include <sstream>

namespace {

std::string trim(const std::string& s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) {
        ++b;
    }
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) {
        --e;
    }
    return s.substr(b, e - b);
}

// Samba compares parameter names without regard to case, spaces or
// underscores ("dns forwarder" is "dnsforwarder").
std::string paramKey(const std::string& name) {
    std::string key;
    for (char c : name) {
        if (c != ' ' && c != '\t' && c != '_') {
            key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
    }
    return key;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Reads the values of one section of an INI-like file (smb.conf or
// krb5.conf), joining smb.conf's backslash continuation lines.
void readSection(const std::string& path, const std::string& section,
                 void (*take)(const std::string& key, const std::string& value, void* ctx),
                 void* ctx) {
    std::ifstream in(path);
    if (!in) {
        return;
    }
    std::string line;
    std::string current;
    std::string pending;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.back() == '\\') {
            pending += line.substr(0, line.size() - 1);
            continue;
        }
        line = trim(pending + line);
        pending.clear();
        if (line.empty() || line[0] == '#' || line[0] == ';') {
            continue;
        }
        if (line[0] == '[') {
            const size_t close = line.find(']');
            current = lower(
                trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos || current != section) {
            continue;
        }
        take(paramKey(line.substr(0, eq)), trim(line.substr(eq + 1)), ctx);
    }
}

}  // namespace

SambaMachineSettings ReadMachineSettings(const std::string& smbConfPath,
                                         const std::string& krb5ConfPaths) {
    SambaMachineSettings s;
    readSection(
        smbConfPath, "global",
        [](const std::string& key, const std::string& value, void* ctx) {
            auto* settings = static_cast<SambaMachineSettings*>(ctx);
            if (key == "workgroup") {
                settings->workgroup = value;
            } else if (key == "realm") {
                settings->realm = value;
            }
        },
        &s);
    if (s.realm.empty()) {
        std::stringstream paths(krb5ConfPaths);
        std::string path;
        while (s.realm.empty() && std::getline(paths, path, ':')) {
            readSection(
                path, "libdefaults",
                [](const std::string& key, const std::string& value, void* ctx) {
                    if (key == "defaultrealm") {
                        static_cast<SambaMachineSettings*>(ctx)->realm = value;
                    }
                },
                &s);
        }
    }
    return s;
}

namespace {

void splitUser(const std::string& value, SambaCredentials& c) {
    const size_t sep = value.find_first_of("\\/");
    if (sep != std::string::npos) {
        c.domain = value.substr(0, sep);
        c.user = value.substr(sep + 1);
        return;
    }
    c.user = value;
}

}  // namespace

std::optional<SambaCredentials> ReadAuthFile(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = path + ": cannot be opened";
        return std::nullopt;
    }
    SambaCredentials c;
    bool hasUser = false;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string t = trim(line);
        if (t.empty() || t[0] == '#' || t[0] == ';') {
            continue;
        }
        const size_t eq = t.find('=');
        if (eq == std::string::npos) {
            error = path + ":" + std::to_string(number) + ": expected \"name = value\"";
            return std::nullopt;
        }
        const std::string key = lower(trim(t.substr(0, eq)));
        // The password is kept as written after "=", spaces inside included;
        // only the blanks around it go.
        const std::string value = trim(t.substr(eq + 1));
        if (key == "username") {
            splitUser(value, c);
            hasUser = true;
        } else if (key == "password") {
            c.password = value;
        } else if (key == "domain") {
            c.domain = value;
        } else {
            error = path + ":" + std::to_string(number) + ": unknown setting \"" + key +
                    "\" (expected username, password or domain)";
            return std::nullopt;
        }
    }
    if (!hasUser || c.user.empty()) {
        error = path + ": no \"username = \" line";
        return std::nullopt;
    }
    return c;
}

std::optional<SambaCredentials> ParseUserOption(const std::string& value, std::string& error) {
    if (value.find('%') != std::string::npos) {
        error =
            "a password is never taken from the command line; put it in an authentication "
            "file (-A FILE) or type it into the sign-in dialog";
        return std::nullopt;
    }
    SambaCredentials c;
    const size_t at = value.find('@');
    if (at != std::string::npos && value.find_first_of("\\/") == std::string::npos) {
        c.user = value.substr(0, at);
        c.domain = value.substr(at + 1);
    } else {
        splitUser(value, c);
    }
    if (c.user.empty()) {
        error = "no user name in \"" + value + "\"";
        return std::nullopt;
    }
    return c;
}

std::string DefaultTicketPrincipal() {
    krb5_context ctx = nullptr;
    if (krb5_init_context(&ctx) != 0) {
        return {};
    }
    std::string result;
    krb5_ccache cc = nullptr;
    krb5_principal principal = nullptr;
    if (krb5_cc_default(ctx, &cc) == 0 && krb5_cc_get_principal(ctx, cc, &principal) == 0) {
        // A cache may hold only expired tickets; look for a live TGT.
        krb5_cc_cursor cursor;
        if (krb5_cc_start_seq_get(ctx, cc, &cursor) == 0) {
            krb5_creds creds;
            const krb5_timestamp now = static_cast<krb5_timestamp>(std::time(nullptr));
            while (krb5_cc_next_cred(ctx, cc, &cursor, &creds) == 0) {
                const bool tgt =
                    krb5_is_config_principal(ctx, creds.server) == 0 && creds.server->length == 2 &&
                    std::string(creds.server->data[0].data, creds.server->data[0].length) ==
                        "krbtgt";
                if (tgt && creds.times.endtime > now) {
                    char* name = nullptr;
                    if (krb5_unparse_name(ctx, principal, &name) == 0) {
                        result = name;
                        krb5_free_unparsed_name(ctx, name);
                    }
                }
                krb5_free_cred_contents(ctx, &creds);
                if (!result.empty()) {
                    break;
                }
            }
            krb5_cc_end_seq_get(ctx, cc, &cursor);
        }
    }
    if (principal) {
        krb5_free_principal(ctx, principal);
    }
    if (cc) {
        krb5_cc_close(ctx, cc);
    }
    krb5_free_context(ctx);
    return result;
}
