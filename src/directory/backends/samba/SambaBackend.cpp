#include "SambaBackend.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

// libnetapi's header is C and wants the fixed-width types first.
#include <netapi.h>
#include <sys/mman.h>
#include <talloc.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>

#include "AdLdap.h"
#include "Text.h"

namespace {

// libnetapi keeps one global state: every call of every back-end object is
// serialised through this lock.
std::mutex& netapiLock() {
    static std::mutex lock;
    return lock;
}

// libnetapi_init hands every caller the same global context, so two
// back-end objects would share one set of credentials and free it twice.
// The object whose credentials the context holds owns it; another object
// starts it afresh with its own before its next call.
const void* g_owner = nullptr;

// libnetapi answers every failure to connect or to sign in with this one
// status, printing the reason on stdout.
constexpr uint32_t kSambaConnectFailed = 1003;
// After the controller restarts, libnetapi answers this to every call until
// it is started again.
constexpr uint32_t kSambaStale = 2152;
// DsGetDcName's "no controller" answers.
constexpr uint32_t kSambaNoSuchDomain = 1355;
constexpr uint32_t kSambaDCNotFound = 1908;
// AD's two ways of saying that an account never expires, as libnetapi turns
// them into seconds since 1970: 0x7FFFFFFFFFFFFFFF truncated to 32 bits,
// and 0 left as it is. Windows gives TIMEQ_FOREVER for both.
constexpr uint32_t kNeverTruncated = 159663333;

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

bool sameName(const std::string& a, const std::string& b) {
    return lower(a) == lower(b);
}

// libnetapi refuses server names with Windows' leading backslashes.
std::string stripBackslashes(std::string s) {
    size_t n = 0;
    while (n < s.size() && s[n] == '\\') {
        ++n;
    }
    return s.substr(n);
}

std::string utf8(net::Text s) {
    return s ? Utf16ToUtf8(s) : std::string();
}

// Captures what libnetapi prints on stdout during one call: the only place
// it tells a wrong password from an unreachable controller. Without the
// capture the text would also end up in the output of the console program.
class StdoutCapture {
public:
    StdoutCapture() { m_fd = memfd_create("zentory-netapi-output", MFD_CLOEXEC); }
    ~StdoutCapture() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    template <class F>
    uint32_t run(F&& f, std::string& output) {
        output.clear();
        int saved = -1;
        if (m_fd >= 0 && ftruncate(m_fd, 0) == 0 && lseek(m_fd, 0, SEEK_SET) == 0) {
            std::fflush(stdout);
            saved = dup(STDOUT_FILENO);
            if (saved >= 0 && dup2(m_fd, STDOUT_FILENO) < 0) {
                close(saved);
                saved = -1;
            }
        }
        const uint32_t status = f();
        if (saved >= 0) {
            std::fflush(stdout);
            dup2(saved, STDOUT_FILENO);
            close(saved);
            char buf[4096];
            const ssize_t n = pread(m_fd, buf, sizeof buf, 0);
            if (n > 0) {
                output.assign(buf, static_cast<size_t>(n));
            }
        }
        return status;
    }

private:
    int m_fd = -1;
};

// Samba's client library, after a Kerberos logon with a password, points
// KRB5CCNAME at its own memory cache for the rest of the process. That
// would hide the user's ticket cache from everything that comes later (a
// sign-in with the ticket, the LDAP logon), so the variable is put back
// after every call.
class TicketCacheVariable {
public:
    TicketCacheVariable() {
        const char* v = std::getenv("KRB5CCNAME");
        m_had = v != nullptr;
        if (v) {
            m_value = v;
        }
    }
    ~TicketCacheVariable() {
        if (m_had) {
            setenv("KRB5CCNAME", m_value.c_str(), 1);
        } else {
            unsetenv("KRB5CCNAME");
        }
    }
    TicketCacheVariable(const TicketCacheVariable&) = delete;
    TicketCacheVariable& operator=(const TicketCacheVariable&) = delete;

private:
    bool m_had = false;
    std::string m_value;
};

// The context's text for its last failure. When the context holds none,
// libnetapi makes one from the status on talloc's null context and never
// frees it; that copy is ours to free, the context's own text is not.
std::string errorText(libnetapi_ctx* ctx, uint32_t status) {
    if (!ctx) {
        return {};
    }
    const char* err = libnetapi_get_error_string(ctx, static_cast<NET_API_STATUS>(status));
    if (!err) {
        return {};
    }
    std::string text = err;
    if (talloc_parent(err) != ctx) {
        talloc_free(const_cast<char*>(err));
    }
    return text;
}

// What libnetapi printed, in Windows' words.
uint32_t classifyConnectFailure(const std::string& text) {
    struct Reason {
        const char* ntStatus;
        uint32_t status;
    };
    static const Reason reasons[] = {
        {"NT_STATUS_LOGON_FAILURE", net::LogonFailure},
        {"NT_STATUS_WRONG_PASSWORD", net::LogonFailure},
        {"NT_STATUS_NO_SUCH_USER", net::LogonFailure},
        {"NT_STATUS_ACCOUNT_DISABLED", net::AccountDisabled},
        {"NT_STATUS_ACCOUNT_LOCKED_OUT", net::AccountLockedOut},
        {"NT_STATUS_PASSWORD_MUST_CHANGE", net::PasswordMustChange},
        {"NT_STATUS_PASSWORD_EXPIRED", net::PasswordExpired},
        {"NT_STATUS_ACCOUNT_EXPIRED", net::AccountExpired},
        {"NT_STATUS_INVALID_WORKSTATION", net::InvalidWorkstation},
        {"NT_STATUS_INVALID_LOGON_HOURS", net::InvalidLogonHours},
        {"NT_STATUS_ACCOUNT_RESTRICTION", net::AccountRestriction},
        {"NT_STATUS_ACCESS_DENIED", net::AccessDenied},
    };
    for (const auto& r : reasons) {
        if (text.find(r.ntStatus) != std::string::npos) {
            return r.status;
        }
    }
    // No logon answer at all: the controller was not reached.
    return net::BadNetPath;
}

uint32_t windowsExpiry(uint32_t sambaExpiry) {
    return (sambaExpiry == kNeverTruncated || sambaExpiry == 0) ? net::TimeqForever : sambaExpiry;
}

// 1980-01-01 00:00 UTC in seconds since 1970.
constexpr int64_t k1980 = 315'532'800;

// libnetapi gives the age as the clock minus the moment the password was
// set, in 32 bits, and takes a password never set (pwdLastSet 0) as set in
// 1970: the age of such an account is the clock itself. netapi32 counts in
// seconds since 1980 and answers 0 for a password set before then and for
// one set after the moment of the answer (which libnetapi's subtraction
// turns into an age of more than a century).
uint32_t windowsPasswordAge(uint32_t sambaAge) {
    const int64_t lastSet = static_cast<int64_t>(time(nullptr)) - static_cast<int64_t>(sambaAge);
    return lastSet < k1980 ? 0 : sambaAge;
}

constexpr int64_t kFileTimePerSecond = 10'000'000;
// Seconds for which accounts read ahead answer the calls for them.
constexpr time_t kPrefetchLifetime = 60;
constexpr int64_t kFileTime1970 = 116'444'736'000'000'000;

// A FILETIME in seconds since 1970 as libnetapi turns the controller's
// times into them: to the nearest second, a half rounded down. nullopt
// where the value is outside what 32 bits of seconds since 1970 hold.
std::optional<uint32_t> sambaSeconds(int64_t fileTime) {
    if (fileTime < kFileTime1970) {
        return std::nullopt;
    }
    const int64_t since = fileTime - kFileTime1970;
    int64_t seconds = since / kFileTimePerSecond;
    if (since % kFileTimePerSecond > kFileTimePerSecond / 2) {
        ++seconds;
    }
    if (seconds > int64_t(UINT32_MAX)) {
        return std::nullopt;
    }
    return uint32_t(seconds);
}

int64_t integerOf(const ad::UserAttributes& a, ad::UserAttribute which) {
    const auto v = a.get(which);
    return v ? std::strtoll(std::string(*v).c_str(), nullptr, 10) : 0;
}

// The level-3 information that the account database gives for an account
// read ahead over LDAP, as libnetapi hands it on and as this back-end's own
// NetUserGetInfo corrects it: the same record a call at this moment gives.
net::USER_INFO_3 recordOf(const AdUserRecord& r, int64_t observationWindow, AnswerBlock& block) {
    const ad::UserAttributes a = r.attributes();
    ad::AccountFacts facts;
    facts.authFlags = r.authFlags;
    net::USER_INFO_3 u = ad::MapUserInfo3(a, facts, block);
    // libnetapi knows an administrator and a guest by the account's RID.
    if (u.usri3_user_id == 500) {
        u.usri3_priv = net::UserPrivAdmin;
    }
    // The lockout and expiry bits as the controller computes them now: a
    // lockout that has run out, a password older than the domain allows.
    if (r.hasComputedFlags) {
        constexpr uint32_t kComputed = ad::UfLockout | ad::UfPasswordExpired;
        u.usri3_flags = (u.usri3_flags & ~kComputed) | (r.computedFlags & kComputed);
        u.usri3_password_expired = (u.usri3_flags & ad::UfPasswordExpired) ? 1 : 0;
    }
    const time_t now = time(nullptr);
    // The password's age up to this call, counted as libnetapi counts it.
    const int64_t lastSet = integerOf(a, ad::UserAttribute::pwdLastSet);
    const uint32_t lastSetSeconds = sambaSeconds(lastSet).value_or(0);
    u.usri3_password_age = windowsPasswordAge(static_cast<uint32_t>(int64_t(now) - lastSetSeconds));
    for (auto [field, attribute] :
         {std::pair{&net::USER_INFO_3::usri3_last_logon, ad::UserAttribute::lastLogon},
          std::pair{&net::USER_INFO_3::usri3_last_logoff, ad::UserAttribute::lastLogoff}}) {
        if (const auto seconds = sambaSeconds(integerOf(a, attribute))) {
            u.*field = *seconds;
        }
    }
    if (u.usri3_acct_expires != net::TimeqForever) {
        if (const auto seconds = sambaSeconds(integerOf(a, ad::UserAttribute::accountExpires))) {
            u.usri3_acct_expires = *seconds;
        }
    }
    // The count of bad passwords is 0 once the observation window has
    // passed since the last one.
    if (u.usri3_bad_pw_count != 0) {
        const int64_t nowFileTime = int64_t(now) * kFileTimePerSecond + kFileTime1970;
        if (r.badPasswordTime - observationWindow < nowFileTime) {
            u.usri3_bad_pw_count = 0;
        }
    }
    return u;
}

}  // namespace

struct SambaBackend::Impl {
    SambaOptions options;
    SambaMachineSettings machine;
    libnetapi_ctx* ctx = nullptr;
    AnswerBuffers buffers;
    AdLdap ldap;
    // Accounts read ahead by PrefetchUserInfo3, by "host\nname" (name in
    // ASCII lower case), each handed out once.
    // They stand for a call only shortly after they were read: the reads
    // they are for follow at once.
    std::map<std::string, AdUserRecord> prefetched;
    time_t prefetchedAt = 0;
    int64_t observationWindow = 0;
    // A group's members read ahead with them, by "host\ngroup" (ASCII
    // lower case), for the one NetGroupGetUsers call that follows.
    std::string prefetchedGroup;
    std::vector<std::string> prefetchedMembers;

    bool prefetchFresh() const { return time(nullptr) - prefetchedAt <= kPrefetchLifetime; }

    void keep(std::vector<AdUserRecord>& records, const std::string& host, int64_t window) {
        if (!prefetchFresh()) {
            prefetched.clear();
        }
        observationWindow = window;
        prefetchedAt = time(nullptr);
        for (auto& r : records) {
            const size_t i = static_cast<size_t>(ad::UserAttribute::sAMAccountName);
            if (r.present.test(i)) {
                prefetched[host + "\n" + AsciiLower(r.values[i])] = std::move(r);
            }
        }
    }
    std::string ldapHost;
    StdoutCapture capture;
    std::string lastOutput;

    bool domainResolved = false;
    std::string flat;
    std::string dns;
    // The controller found by NetGetDCName: its NetBIOS name (what callers
    // get and pass back) and its DNS name (what connections need).
    std::string dcFlat;
    std::string dcHost;

    ~Impl() {
        ldap.disconnect();
        if (ctx && g_owner == this) {
            libnetapi_free(ctx);
            g_owner = nullptr;
        }
    }

    bool kerberos() const { return !options.credentials || options.credentials->useKerberos; }

    uint32_t init() {
        if (g_owner != nullptr && g_owner != this) {
            // Another object's credentials are in the global context.
            libnetapi_ctx* other = nullptr;
            if (libnetapi_getctx(&other) == 0 && other) {
                libnetapi_free(other);
            }
        }
        g_owner = nullptr;
        if (libnetapi_init(&ctx) != 0) {
            ctx = nullptr;
            return net::NotSupported;
        }
        g_owner = this;
        // libnetapi prompts on the terminal when no password is set; it
        // must never do that, so one is always set ("" with Kerberos).
        if (!kerberos()) {
            const auto& c = *options.credentials;
            std::string user = c.user;
            if (!c.domain.empty()) {
                user = c.domain.find('.') == std::string::npos ? c.domain + "\\" + c.user
                                                               : c.user + "@" + c.domain;
            }
            libnetapi_set_username(ctx, user.c_str());
            libnetapi_set_password(ctx, c.password.c_str());
        } else {
            libnetapi_set_use_kerberos(ctx);
            libnetapi_set_use_ccache(ctx);
            const std::string principal = DefaultTicketPrincipal();
            if (!principal.empty()) {
                libnetapi_set_username(ctx, principal.c_str());
            }
            libnetapi_set_password(ctx, "");
        }
        return net::Success;
    }

    void restart() {
        if (ctx && g_owner == this) {
            libnetapi_free(ctx);
            g_owner = nullptr;
        }
        ctx = nullptr;
        init();
    }

    // The global context, holding this object's credentials.
    bool own() {
        if (ctx && g_owner == this) {
            return true;
        }
        ctx = nullptr;
        return init() == net::Success;
    }

    // One libnetapi call with its output captured, started afresh once when
    // its state went stale, and its connection failures put in words.
    template <class F>
    uint32_t run(F&& f) {
        TicketCacheVariable keep;
        if (!own()) {
            return net::NotSupported;
        }
        uint32_t status = capture.run(f, lastOutput);
        if (status == kSambaStale) {
            restart();
            status = capture.run(f, lastOutput);
        }
        if (status == kSambaConnectFailed) {
            status = classifyConnectFailure(lastOutput + errorText(ctx, status));
        }
        return status;
    }

    void resolveDomain() {
        if (domainResolved) {
            return;
        }
        domainResolved = true;
        if (options.credentials && !options.credentials->domain.empty()) {
            const std::string& d = options.credentials->domain;
            (d.find('.') == std::string::npos ? flat : dns) = d;
        }
        if (dns.empty() && kerberos()) {
            const std::string principal = DefaultTicketPrincipal();
            const size_t at = principal.rfind('@');
            if (at != std::string::npos) {
                dns = principal.substr(at + 1);
            }
        }
        // The machine's own domain, unless the account belongs to another.
        if (dns.empty() && (flat.empty() || sameName(flat, machine.workgroup))) {
            dns = machine.realm;
        }
        if (flat.empty() && !dns.empty() && own()) {
            DOMAIN_CONTROLLER_INFO* info = nullptr;
            if (DsGetDcName(nullptr, dns.c_str(), nullptr, nullptr,
                            DS_DIRECTORY_SERVICE_REQUIRED | DS_RETURN_FLAT_NAME, &info) == 0 &&
                info) {
                if (info->domain_name) {
                    flat = info->domain_name;
                }
                ::NetApiBufferFree(info);
            }
        }
        if (flat.empty()) {
            flat = machine.workgroup;
        }
    }

    // The name libnetapi connects to for a server name the caller passes.
    std::string target(net::Text server) {
        std::string s = stripBackslashes(utf8(server));
        if (!s.empty() && !dcFlat.empty() && sameName(s, dcFlat)) {
            return dcHost;
        }
        return s;
    }

    // Kerberos needs the controller's DNS name for LDAP.
    std::string dnsHostOf(const std::string& host) {
        if (host.find('.') == std::string::npos && !dns.empty()) {
            return lower(host) + "." + lower(dns);
        }
        return host;
    }

    uint32_t findController(const std::string& domain, std::string& flatName, std::string& host) {
        if (!options.server.empty()) {
            host = stripBackslashes(options.server);
            flatName = host;
            return net::Success;
        }
        resolveDomain();
        if (!own()) {
            return net::NotSupported;
        }
        const std::string query = (!dns.empty() && sameName(domain, flat)) ? dns : domain;
        DOMAIN_CONTROLLER_INFO* info = nullptr;
        uint32_t status = DsGetDcName(nullptr, query.c_str(), nullptr, nullptr,
                                      DS_DIRECTORY_SERVICE_REQUIRED | DS_RETURN_DNS_NAME, &info);
        if (status == 0 && info) {
            host =
                stripBackslashes(info->domain_controller_name ? info->domain_controller_name : "");
            ::NetApiBufferFree(info);
            info = nullptr;
            status = DsGetDcName(nullptr, query.c_str(), nullptr, nullptr,
                                 DS_DIRECTORY_SERVICE_REQUIRED | DS_RETURN_FLAT_NAME, &info);
            if (status == 0 && info) {
                flatName = stripBackslashes(
                    info->domain_controller_name ? info->domain_controller_name : "");
                ::NetApiBufferFree(info);
            }
        }
        if (status == kSambaNoSuchDomain || status == kSambaDCNotFound) {
            return net::DCNotFound;
        }
        if (status == 0 && flatName.empty()) {
            flatName = upper(host.substr(0, host.find('.')));
        }
        return status;
    }

    uint32_t connectLdap(const std::string& host) {
        if (ldap.connected() && host == ldapHost) {
            return net::Success;
        }
        ldap.disconnect();
        ldapHost = host;
        AdLdapLogon logon;
        logon.host = host;
        logon.realm = upper(dns);
        if (!kerberos()) {
            logon.user = options.credentials->user;
            logon.password = options.credentials->password;
        }
        return ldap.connect(logon);
    }
};

SambaBackend::SambaBackend(SambaOptions options) : m(std::make_unique<Impl>()) {
    m->options = std::move(options);
    std::string krb5 = m->options.krb5ConfPaths;
    if (krb5.empty()) {
        const char* env = std::getenv("KRB5_CONFIG");
        krb5 = env && *env ? env : "/etc/krb5.conf";
    }
    m->machine = ReadMachineSettings(m->options.smbConfPath, krb5);
}

SambaBackend::~SambaBackend() {
    std::lock_guard lock(netapiLock());
    m.reset();
}

bool SambaBackend::start(std::string& error) {
    std::lock_guard lock(netapiLock());
    if (m->ctx && g_owner == m.get()) {
        return true;
    }
    // libnetapi reads this very file, whatever SMB_CONF_PATH says.
    if (access("/etc/samba/smb.conf", R_OK) != 0) {
        error =
            "/etc/samba/smb.conf is missing or unreadable. Samba's client library needs it: "
            "install the package samba-common, or write the file with the workgroup and realm "
            "of your domain in its [global] section.";
        return false;
    }
    if (m->init() != net::Success) {
        error = "Samba's client library (libnetapi) could not be started.";
        return false;
    }
    return true;
}

std::string SambaBackend::flatDomain() {
    std::lock_guard lock(netapiLock());
    m->resolveDomain();
    return m->flat;
}

std::string SambaBackend::dnsDomain() {
    std::lock_guard lock(netapiLock());
    m->resolveDomain();
    return m->dns;
}

uint32_t SambaBackend::checkLogon(std::string& detail) {
    std::lock_guard lock(netapiLock());
    detail.clear();
    if (m->kerberos() && DefaultTicketPrincipal().empty()) {
        detail = "the Kerberos ticket cache holds no valid ticket-granting ticket";
        return net::NoCredentials;
    }
    m->resolveDomain();
    std::string flatName;
    std::string host;
    uint32_t status = m->findController(m->flat, flatName, host);
    if (status != net::Success) {
        detail = "no domain controller found for " + (m->dns.empty() ? m->flat : m->dns);
        return status == net::DCNotFound ? status : net::DCNotFound;
    }
    m->dcFlat = flatName;
    m->dcHost = host;
    // The domain's password policy: small, and only for a signed-in user.
    status = m->run([&] {
        uint8_t* buf = nullptr;
        const uint32_t s = NetUserModalsGet(host.c_str(), 0, &buf);
        if (buf) {
            ::NetApiBufferFree(buf);
        }
        return s;
    });
    if (status != net::Success) {
        detail = m->lastOutput + errorText(m->ctx, kSambaConnectFailed);
        return status;
    }
    status = m->connectLdap(m->dnsHostOf(host));
    if (status != net::Success) {
        detail = m->ldap.lastError();
    }
    return status;
}

uint32_t SambaBackend::NetWkstaGetInfo(net::Text server, uint32_t level, void** buffer) {
    std::lock_guard lock(netapiLock());
    *buffer = nullptr;
    // libnetapi would ask the local computer over RPC; the workstation's
    // domain is what this machine's configuration and the account say.
    if (server != nullptr && *server != u'\0') {
        return net::NotSupported;
    }
    if (level != 101) {
        return net::InvalidLevel;
    }
    m->resolveDomain();
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    std::string computer(host);
    computer = upper(computer.substr(0, computer.find('.')));
    auto block = AnswerBuffers::create<net::WKSTA_INFO_101>();
    net::WKSTA_INFO_101 e;
    e.wki101_platform_id = net::PlatformIdNT;
    e.wki101_computername = block->text(Utf8ToUtf16(computer));
    e.wki101_langroup = block->text(Utf8ToUtf16(m->flat));
    e.wki101_ver_major = 10;
    block->entries.push_back(e);
    *buffer = m->buffers.handOut(std::move(block));
    return net::Success;
}

uint32_t SambaBackend::NetGetDCName(net::Text server, net::Text domain, void** buffer) {
    std::lock_guard lock(netapiLock());
    *buffer = nullptr;
    if (server != nullptr && *server != u'\0') {
        return net::NotSupported;
    }
    std::string flatName;
    std::string host;
    const uint32_t status = m->findController(utf8(domain), flatName, host);
    if (status != net::Success) {
        return status;
    }
    m->dcFlat = flatName;
    m->dcHost = host;
    *buffer = m->buffers.handOutText(Utf8ToUtf16("\\\\" + flatName));
    return net::Success;
}

uint32_t SambaBackend::NetUserEnum(net::Text server, uint32_t level, uint32_t filter, void** buffer,
                                   uint32_t prefMaxLen, uint32_t* entriesRead,
                                   uint32_t* totalEntries, uint32_t* resumeHandle) {
    std::lock_guard lock(netapiLock());
    *buffer = nullptr;
    *entriesRead = 0;
    *totalEntries = 0;
    if (level != 0) {
        return net::InvalidLevel;
    }
    const std::string host = m->target(server);
    uint8_t* raw = nullptr;
    const uint32_t status = m->run([&] {
        raw = nullptr;
        return ::NetUserEnum(host.empty() ? nullptr : host.c_str(), 0, filter, &raw, prefMaxLen,
                             entriesRead, totalEntries, resumeHandle);
    });
    if (raw) {
        if (status == net::Success || status == net::MoreData) {
            auto block = AnswerBuffers::create<net::USER_INFO_0>();
            const auto* entries = reinterpret_cast<const ::USER_INFO_0*>(raw);
            block->entries.reserve(*entriesRead);
            for (uint32_t i = 0; i < *entriesRead; ++i) {
                block->entries.push_back(
                    {block->text(Utf8ToUtf16(entries[i].usri0_name ? entries[i].usri0_name : ""))});
            }
            *buffer = m->buffers.handOut(std::move(block));
        }
        ::NetApiBufferFree(raw);
    }
    // libnetapi never fills in the total.
    if (*totalEntries < *entriesRead) {
        *totalEntries = *entriesRead;
    }
    return status;
}

uint32_t SambaBackend::NetUserGetInfo(net::Text server, net::Text userName, uint32_t level,
                                      void** buffer) {
    std::lock_guard lock(netapiLock());
    *buffer = nullptr;
    if (level != 3) {
        return net::InvalidLevel;
    }
    const std::string host = m->target(server);
    const std::string name = utf8(userName);
    if (!m->prefetched.empty() && !m->prefetchFresh()) {
        m->prefetched.clear();
    }
    const auto ahead = m->prefetched.find(host + "\n" + AsciiLower(name));
    if (ahead != m->prefetched.end()) {
        auto block = AnswerBuffers::create<net::USER_INFO_3>();
        block->entries.push_back(recordOf(ahead->second, m->observationWindow, *block));
        m->prefetched.erase(ahead);
        *buffer = m->buffers.handOut(std::move(block));
        return net::Success;
    }
    uint8_t* raw = nullptr;
    uint32_t status = m->run([&] {
        raw = nullptr;
        return ::NetUserGetInfo(host.empty() ? nullptr : host.c_str(), name.c_str(), 3, &raw);
    });
    if (raw) {
        if (status == net::Success) {
            const auto& s = *reinterpret_cast<const ::USER_INFO_3*>(raw);
            auto block = AnswerBuffers::create<net::USER_INFO_3>();
            auto text = [&](const char* v) -> net::Text {
                return v ? block->text(Utf8ToUtf16(v)) : nullptr;
            };
            net::USER_INFO_3 u;
            u.usri3_name = text(s.usri3_name);
            u.usri3_password_age = windowsPasswordAge(s.usri3_password_age);
            u.usri3_priv = s.usri3_priv;
            u.usri3_home_dir = text(s.usri3_home_dir);
            u.usri3_comment = text(s.usri3_comment);
            u.usri3_flags = s.usri3_flags;
            u.usri3_script_path = text(s.usri3_script_path);
            u.usri3_auth_flags = s.usri3_auth_flags;
            u.usri3_full_name = text(s.usri3_full_name);
            u.usri3_usr_comment = text(s.usri3_usr_comment);
            // libnetapi copies half of the parameters' UTF-16 bytes as if
            // they were 8-bit text (and gives no string at all for an
            // account without parameters, where Windows gives an empty
            // one). What it gives is no text of any use, and the program
            // shows none of it (the ldif back-end does not read it
            // either): an empty string, as for an account without.
            u.usri3_parms = block->text(std::u16string_view());
            u.usri3_workstations = text(s.usri3_workstations);
            u.usri3_last_logon = s.usri3_last_logon;
            u.usri3_last_logoff = s.usri3_last_logoff;
            u.usri3_acct_expires = windowsExpiry(s.usri3_acct_expires);
            u.usri3_max_storage = s.usri3_max_storage;
            u.usri3_units_per_week = s.usri3_units_per_week;
            u.usri3_logon_hours = block->bytes(s.usri3_logon_hours, net::LogonHoursBytes);
            u.usri3_bad_pw_count = s.usri3_bad_pw_count;
            u.usri3_num_logons = s.usri3_num_logons;
            u.usri3_logon_server = text(s.usri3_logon_server);
            u.usri3_country_code = s.usri3_country_code;
            u.usri3_code_page = s.usri3_code_page;
            u.usri3_user_id = s.usri3_user_id;
            u.usri3_primary_group_id = s.usri3_primary_group_id;
            u.usri3_profile = text(s.usri3_profile);
            u.usri3_home_dir_drive = text(s.usri3_home_dir_drive);
            u.usri3_password_expired = s.usri3_password_expired;
            block->entries.push_back(u);
            *buffer = m->buffers.handOut(std::move(block));
        }
        ::NetApiBufferFree(raw);
    }
    // Samba's "no such name" and "that is a group" are Windows' "no such
    // user".
    if (status == net::NoneMapped || status == net::NoSuchUserAlias) {
        status = net::UserNotFound;
    }
    return status;
}

void SambaBackend::PrefetchUserInfo3(net::Text server,
                                     const std::vector<std::u16string>& userNames) {
    std::lock_guard lock(netapiLock());
    m->resolveDomain();
    const std::string host = m->target(server);
    std::string ldapHost = m->dnsHostOf(host.empty() ? std::string("localhost") : host);
    std::vector<std::string> names;
    names.reserve(userNames.size());
    for (const auto& n : userNames) {
        // A name no search can match as SAMR would (a character outside
        // ASCII, whose case LDAP and the account database may fold apart)
        // is left to the call itself.
        const std::string name = utf8(n.c_str());
        if (!name.empty() &&
            std::all_of(name.begin(), name.end(), [](char c) { return (unsigned char)c < 0x80; }) &&
            !(m->prefetchFresh() && m->prefetched.count(host + "\n" + AsciiLower(name)))) {
            // Read ahead already (with its group's members): not again.
            names.push_back(name);
        }
    }
    if (names.empty() || m->connectLdap(ldapHost) != net::Success) {
        return;
    }
    std::vector<AdUserRecord> records;
    int64_t window = 0;
    if (m->ldap.userRecords(names, records, window) == net::Success) {
        m->keep(records, host, window);
    }
}

void SambaBackend::PrefetchGroupMembersInfo3(net::Text server, net::Text groupName) {
    std::lock_guard lock(netapiLock());
    m->resolveDomain();
    const std::string host = m->target(server);
    const std::string ldapHost = m->dnsHostOf(host.empty() ? std::string("localhost") : host);
    const std::string name = utf8(groupName);
    m->prefetchedGroup.clear();
    m->prefetchedMembers.clear();
    if (name.empty() || m->connectLdap(ldapHost) != net::Success) {
        return;
    }
    std::vector<std::string> names;
    std::vector<AdUserRecord> records;
    int64_t window = 0;
    if (m->ldap.groupMembers(name, names, &records, &window) != net::Success) {
        return;
    }
    m->keep(records, host, window);
    m->prefetchedGroup = host + "\n" + AsciiLower(name);
    m->prefetchedMembers = std::move(names);
}

uint32_t SambaBackend::NetGroupEnum(net::Text server, uint32_t level, void** buffer,
                                    uint32_t prefMaxLen, uint32_t* entriesRead,
                                    uint32_t* totalEntries, uintptr_t* resumeHandle) {
    std::lock_guard lock(netapiLock());
    *buffer = nullptr;
    *entriesRead = 0;
    *totalEntries = 0;
    if (level != 1) {
        return net::InvalidLevel;
    }
    const std::string host = m->target(server);
    uint32_t resume = resumeHandle ? static_cast<uint32_t>(*resumeHandle) : 0;
    uint8_t* raw = nullptr;
    const uint32_t status = m->run([&] {
        raw = nullptr;
        return ::NetGroupEnum(host.empty() ? nullptr : host.c_str(), 1, &raw, prefMaxLen,
                              entriesRead, totalEntries, &resume);
    });
    if (resumeHandle) {
        *resumeHandle = resume;
    }
    if (raw) {
        if (status == net::Success || status == net::MoreData) {
            auto block = AnswerBuffers::create<net::GROUP_INFO_1>();
            const auto* entries = reinterpret_cast<const ::GROUP_INFO_1*>(raw);
            block->entries.reserve(*entriesRead);
            for (uint32_t i = 0; i < *entriesRead; ++i) {
                net::GROUP_INFO_1 g;
                g.grpi1_name =
                    block->text(Utf8ToUtf16(entries[i].grpi1_name ? entries[i].grpi1_name : ""));
                g.grpi1_comment = entries[i].grpi1_comment
                                      ? block->text(Utf8ToUtf16(entries[i].grpi1_comment))
                                      : nullptr;
                block->entries.push_back(g);
            }
            *buffer = m->buffers.handOut(std::move(block));
        }
        ::NetApiBufferFree(raw);
    }
    if (*totalEntries < *entriesRead) {
        *totalEntries = *entriesRead;
    }
    return status;
}

uint32_t SambaBackend::NetGroupGetUsers(net::Text server, net::Text groupName, uint32_t level,
                                        void** buffer, uint32_t /*prefMaxLen*/,
                                        uint32_t* entriesRead, uint32_t* totalEntries,
                                        uintptr_t* resumeHandle) {
    std::lock_guard lock(netapiLock());
    *buffer = nullptr;
    *entriesRead = 0;
    *totalEntries = 0;
    if (level != 1) {
        return net::InvalidLevel;
    }
    // libnetapi leaves out the accounts whose primary group this is (Domain
    // Users comes back empty) and fails on groups of more than 1000 members;
    // LDAP answers what a Windows controller answers, in one go.
    m->resolveDomain();
    std::string host = m->target(server);
    if (host.empty()) {
        host = "localhost";
    }
    host = m->dnsHostOf(host);
    const std::string name = utf8(groupName);
    std::vector<std::string> names;
    uint32_t status = net::Success;
    const std::string ahead = m->target(server) + "\n" + AsciiLower(name);
    if (!m->prefetchedGroup.empty() && m->prefetchedGroup == ahead && m->prefetchFresh()) {
        names = std::move(m->prefetchedMembers);
        m->prefetchedGroup.clear();
        m->prefetchedMembers.clear();
    } else if ((status = m->connectLdap(host)) == net::Success) {
        status = m->ldap.groupMembers(name, names);
        if (status == net::BadNetPath) {
            // The connection went away (a restarted controller): once more
            // on a new one.
            m->ldap.disconnect();
            status = m->connectLdap(host);
            if (status == net::Success) {
                status = m->ldap.groupMembers(name, names);
            }
        }
    }
    if (status != net::Success) {
        return status;
    }
    auto block = AnswerBuffers::create<net::GROUP_USERS_INFO_1>();
    block->entries.reserve(names.size());
    for (const auto& n : names) {
        // What a Windows controller gives every member: mandatory, enabled
        // by default, enabled.
        block->entries.push_back({block->text(Utf8ToUtf16(n)), 0x7});
    }
    *entriesRead = *totalEntries = static_cast<uint32_t>(names.size());
    if (resumeHandle) {
        *resumeHandle = 0;
    }
    *buffer = m->buffers.handOut(std::move(block));
    return net::Success;
}

uint32_t SambaBackend::NetUserGetGroups(net::Text server, net::Text userName, uint32_t level,
                                        void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                                        uint32_t* totalEntries) {
    std::lock_guard lock(netapiLock());
    *buffer = nullptr;
    *entriesRead = 0;
    *totalEntries = 0;
    if (level != 1) {
        return net::InvalidLevel;
    }
    const std::string host = m->target(server);
    const std::string name = utf8(userName);
    uint8_t* raw = nullptr;
    uint32_t status = m->run([&] {
        raw = nullptr;
        return ::NetUserGetGroups(host.empty() ? nullptr : host.c_str(), name.c_str(), 1, &raw,
                                  prefMaxLen, entriesRead, totalEntries);
    });
    if (raw) {
        if (status == net::Success || status == net::MoreData) {
            auto block = AnswerBuffers::create<net::GROUP_USERS_INFO_1>();
            const auto* entries = reinterpret_cast<const ::GROUP_USERS_INFO_1*>(raw);
            block->entries.reserve(*entriesRead);
            for (uint32_t i = 0; i < *entriesRead; ++i) {
                block->entries.push_back(
                    {block->text(Utf8ToUtf16(entries[i].grui1_name ? entries[i].grui1_name : "")),
                     entries[i].grui1_attributes});
            }
            *buffer = m->buffers.handOut(std::move(block));
        }
        ::NetApiBufferFree(raw);
    }
    if (status == net::NoneMapped || status == net::NoSuchUserAlias) {
        status = net::UserNotFound;
    }
    return status;
}

uint32_t SambaBackend::NetApiBufferFree(void* buffer) {
    return m->buffers.release(buffer);
}
