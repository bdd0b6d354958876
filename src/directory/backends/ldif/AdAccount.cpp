#include "AdAccount.h"

#include <algorithm>
#include <limits>

#include "NameFold.h"
#include "Text.h"

namespace ad {

namespace {

constexpr std::array<std::string_view, kUserAttributeCount> kNames = {
    "sAMAccountName", "userAccountControl", "objectSid",   "primaryGroupID", "homeDirectory",
    "description",    "scriptPath",         "displayName", "comment",        "userWorkstations",
    "profilePath",    "homeDrive",          "lastLogon",   "lastLogoff",     "accountExpires",
    "pwdLastSet",     "lockoutTime",        "badPwdCount", "logonCount",     "countryCode",
    "codePage",       "maxStorage",         "logonHours",
};

enum class Kind { Text, Int32, Int64, Sid, LogonHours };

Kind kindOf(UserAttribute a) {
    switch (a) {
    case UserAttribute::userAccountControl:
    case UserAttribute::primaryGroupID:
    case UserAttribute::badPwdCount:
    case UserAttribute::logonCount:
    case UserAttribute::countryCode:
    case UserAttribute::codePage:
        return Kind::Int32;
    case UserAttribute::lastLogon:
    case UserAttribute::lastLogoff:
    case UserAttribute::accountExpires:
    case UserAttribute::pwdLastSet:
    case UserAttribute::lockoutTime:
    case UserAttribute::maxStorage:
        return Kind::Int64;
    case UserAttribute::objectSid:
        return Kind::Sid;
    case UserAttribute::logonHours:
        return Kind::LogonHours;
    default:
        return Kind::Text;
    }
}

// Attributes stored as 32-bit integers come signed (groupType, and
// userAccountControl in principle) or unsigned; either is the same bits.
bool fits32(int64_t v) {
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<uint32_t>::max();
}

std::optional<int64_t> validInteger(const UserAttributes& attributes, UserAttribute a) {
    const auto v = attributes.get(a);
    if (!v) {
        return std::nullopt;
    }
    const auto n = ParseInteger(*v);
    if (!n || (kindOf(a) == Kind::Int32 && !fits32(*n))) {
        return std::nullopt;
    }
    return n;
}

constexpr int64_t kNeverFileTime = std::numeric_limits<int64_t>::max();
constexpr int64_t kFileTimePerSecond = 10'000'000;
constexpr int64_t kSeconds1601To1970 = 11'644'473'600;
// 1980-01-01 00:00 UTC as a FILETIME.
constexpr int64_t kFileTime1980 = (kSeconds1601To1970 + 315'532'800) * kFileTimePerSecond;

// Days from 1970-01-01 to the date (proleptic Gregorian calendar).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

const uint8_t kAllHours[net::LogonHoursBytes] = {
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
};

}  // namespace

std::optional<UserAttribute> UserAttributes::byName(std::string_view description) {
    const std::string_view type = description.substr(0, description.find(';'));
    for (size_t i = 0; i < kNames.size(); ++i) {
        if (EqualAsciiNoCase(type, kNames[i])) {
            return static_cast<UserAttribute>(i);
        }
    }
    return std::nullopt;
}

std::string_view UserAttributes::nameOf(UserAttribute a) {
    return kNames[static_cast<size_t>(a)];
}

std::string UserAttributes::problem(UserAttribute a, std::string_view value) {
    switch (kindOf(a)) {
    case Kind::Text:
        if (!IsUtf8(value)) {
            return "not UTF-8 text";
        }
        if (a == UserAttribute::sAMAccountName && value.empty()) {
            return "empty";
        }
        return {};
    case Kind::Int32: {
        const auto n = ParseInteger(value);
        return n && fits32(*n) ? std::string() : "not a 32-bit integer";
    }
    case Kind::Int64:
        return ParseInteger(value) ? std::string() : "not an integer";
    case Kind::Sid:
        return ParseSid(value) ? std::string() : "not a security identifier";
    case Kind::LogonHours:
        return value.size() == net::LogonHoursBytes ? std::string()
                                                    : "holds " + std::to_string(value.size()) +
                                                          " bytes, not the 21 of a week's hours";
    }
    return {};
}

net::USER_INFO_3 MapUserInfo3(const UserAttributes& attributes, const AccountFacts& facts,
                              AnswerBlock& block) {
    // A domain controller sends every string, an empty one for an attribute
    // that is not set; only the password is never sent.
    auto text = [&](UserAttribute a) -> net::Text {
        const auto v = attributes.get(a);
        if (!v || !IsUtf8(*v)) {
            return block.text(std::u16string_view());
        }
        return block.text(std::u16string_view(Utf8ToUtf16(*v)));
    };
    auto number = [&](UserAttribute a, int64_t absent) {
        return validInteger(attributes, a).value_or(absent);
    };

    net::USER_INFO_3 u;
    u.usri3_name = text(UserAttribute::sAMAccountName);
    u.usri3_home_dir = text(UserAttribute::homeDirectory);
    u.usri3_comment = text(UserAttribute::description);
    u.usri3_script_path = text(UserAttribute::scriptPath);
    u.usri3_full_name = text(UserAttribute::displayName);
    u.usri3_usr_comment = text(UserAttribute::comment);
    // userParameters (usri3_parms) often holds Terminal Services settings
    // as binary data in a text attribute; the program shows none of it, so
    // it is not read and an odd value cannot stop a load.
    u.usri3_parms = block.text(std::u16string_view());
    u.usri3_workstations = text(UserAttribute::userWorkstations);
    u.usri3_profile = text(UserAttribute::profilePath);
    u.usri3_home_dir_drive = text(UserAttribute::homeDrive);
    u.usri3_logon_server = block.text(std::u16string_view(u"\\\\*"));

    const std::optional<Sid> sid = attributes.get(UserAttribute::objectSid)
                                       ? ParseSid(*attributes.get(UserAttribute::objectSid))
                                       : std::nullopt;
    u.usri3_user_id = sid ? sid->rid() : 0;
    u.usri3_primary_group_id = static_cast<uint32_t>(number(UserAttribute::primaryGroupID, 0));

    // Since LAN Manager the network management functions set UF_SCRIPT in
    // every account's flags, whatever the directory stores.
    uint32_t flags = static_cast<uint32_t>(number(UserAttribute::userAccountControl, 0)) | UfScript;
    // The stored userAccountControl never holds the lockout and expiry
    // bits; a controller computes them from the lockout time and from a
    // password last set "never" (0, which means it must be changed). The
    // passwords of trust accounts (computers, controllers, trusted domains)
    // and of accounts that log on by smart card never expire, and neither
    // do those that the account's flags say never expire.
    if (number(UserAttribute::lockoutTime, 0) != 0) {
        flags |= UfLockout;
    }
    constexpr uint32_t kNoExpiry = UfDontExpirePasswd | UfSmartcardRequired |
                                   UfInterdomainTrustAccount | UfWorkstationTrustAccount |
                                   UfServerTrustAccount;
    const auto pwdLastSet = validInteger(attributes, UserAttribute::pwdLastSet);
    if (pwdLastSet == 0 && (flags & kNoExpiry) == 0) {
        flags |= UfPasswordExpired;
    }
    u.usri3_flags = flags;
    u.usri3_password_expired = (flags & UfPasswordExpired) ? 1 : 0;

    // netapi32 counts the age in seconds since 1980 and answers 0 for a
    // password set before then, "never" (0) among them, and for one set
    // after the moment of the answer.
    if (pwdLastSet && *pwdLastSet >= kFileTime1980 && facts.asOf > *pwdLastSet) {
        const int64_t age = (facts.asOf - *pwdLastSet) / kFileTimePerSecond;
        u.usri3_password_age =
            static_cast<uint32_t>(std::min<int64_t>(age, std::numeric_limits<uint32_t>::max()));
    }

    if (facts.administrator) {
        u.usri3_priv = net::UserPrivAdmin;
    } else if (u.usri3_user_id == 501) {
        u.usri3_priv = net::UserPrivGuest;
    } else {
        u.usri3_priv = net::UserPrivUser;
    }
    u.usri3_auth_flags = facts.authFlags;

    u.usri3_last_logon = FileTimeToSeconds1970(number(UserAttribute::lastLogon, 0));
    u.usri3_last_logoff = FileTimeToSeconds1970(number(UserAttribute::lastLogoff, 0));
    const int64_t expires = number(UserAttribute::accountExpires, 0);
    u.usri3_acct_expires = (expires == 0 || expires == kNeverFileTime)
                               ? net::TimeqForever
                               : FileTimeToSeconds1970(expires);

    const int64_t maxStorage = number(UserAttribute::maxStorage, -1);
    u.usri3_max_storage = (maxStorage < 0 || maxStorage > std::numeric_limits<uint32_t>::max())
                              ? net::UserMaxStorageUnlimited
                              : static_cast<uint32_t>(maxStorage);

    u.usri3_units_per_week = net::UnitsPerWeekHours;
    const auto hours = attributes.get(UserAttribute::logonHours);
    u.usri3_logon_hours =
        (hours && hours->size() == net::LogonHoursBytes)
            ? block.bytes(reinterpret_cast<const uint8_t*>(hours->data()), net::LogonHoursBytes)
            : block.bytes(kAllHours, net::LogonHoursBytes);

    u.usri3_bad_pw_count = static_cast<uint32_t>(number(UserAttribute::badPwdCount, 0));
    u.usri3_num_logons = static_cast<uint32_t>(number(UserAttribute::logonCount, 0));
    u.usri3_country_code = static_cast<uint32_t>(number(UserAttribute::countryCode, 0));
    u.usri3_code_page = static_cast<uint32_t>(number(UserAttribute::codePage, 0));
    return u;
}

std::optional<Sid> ParseSid(std::string_view value) {
    Sid sid;
    if (value.size() >= 2 && (value[0] == 'S' || value[0] == 's') && value[1] == '-') {
        // S-1-AUTHORITY-SUB1-SUB2-...
        std::array<uint64_t, 17> fields{};
        size_t n = 0;
        std::string_view rest = value.substr(2);
        for (;;) {
            const size_t dash = rest.find('-');
            const std::string_view token = rest.substr(0, dash);
            const auto v = ParseInteger(token);
            if (n == fields.size() || token.empty() || token[0] == '-' || !v ||
                *v > 0xFFFFFFFFFFFFll) {
                return std::nullopt;
            }
            fields[n++] = static_cast<uint64_t>(*v);
            if (dash == std::string_view::npos) {
                break;
            }
            rest = rest.substr(dash + 1);
        }
        if (n < 2 || fields[0] != 1) {
            return std::nullopt;
        }
        sid.revision = 1;
        sid.authority = fields[1];
        for (size_t k = 2; k < n; ++k) {
            if (fields[k] > 0xFFFFFFFFull) {
                return std::nullopt;
            }
            sid.subAuthorities[sid.count++] = static_cast<uint32_t>(fields[k]);
        }
        return sid;
    }
    const auto* b = reinterpret_cast<const unsigned char*>(value.data());
    if (value.size() < 8 || b[0] != 1 || b[1] > 15 || value.size() != 8 + 4 * size_t(b[1])) {
        return std::nullopt;
    }
    sid.revision = b[0];
    sid.count = b[1];
    for (int k = 0; k < 6; ++k) {
        sid.authority = (sid.authority << 8) | b[2 + k];
    }
    for (size_t k = 0; k < sid.count; ++k) {
        const unsigned char* p = b + 8 + 4 * k;
        sid.subAuthorities[k] =
            uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    return sid;
}

std::optional<int64_t> ParseInteger(std::string_view value) {
    const bool negative = !value.empty() && value[0] == '-';
    const std::string_view digits = value.substr(negative ? 1 : 0);
    if (digits.empty()) {
        return std::nullopt;
    }
    uint64_t v = 0;
    const uint64_t limit = negative ? uint64_t(std::numeric_limits<int64_t>::max()) + 1
                                    : uint64_t(std::numeric_limits<int64_t>::max());
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const unsigned d = static_cast<unsigned>(c - '0');
        if (v > (limit - d) / 10) {
            return std::nullopt;
        }
        v = v * 10 + d;
    }
    if (negative) {
        return v == uint64_t(std::numeric_limits<int64_t>::max()) + 1
                   ? std::numeric_limits<int64_t>::min()
                   : -static_cast<int64_t>(v);
    }
    return static_cast<int64_t>(v);
}

std::optional<int64_t> ParseGeneralizedTime(std::string_view value) {
    // YYYYMMDDHH[MM[SS]][(.|,)fraction](Z|(+|-)HH[MM])
    size_t at = 0;
    auto digits = [&](size_t n) -> std::optional<int> {
        if (at + n > value.size()) {
            return std::nullopt;
        }
        int v = 0;
        for (size_t k = 0; k < n; ++k) {
            const char c = value[at + k];
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            v = v * 10 + (c - '0');
        }
        at += n;
        return v;
    };
    auto isDigit = [&] { return at < value.size() && value[at] >= '0' && value[at] <= '9'; };
    const auto year = digits(4);
    const auto month = digits(2);
    const auto day = digits(2);
    const auto hour = digits(2);
    if (!year || !month || !day || !hour || *month < 1 || *month > 12 || *day < 1 || *day > 31 ||
        *hour > 23) {
        return std::nullopt;
    }
    int minute = 0;
    int second = 0;
    if (isDigit()) {
        const auto m = digits(2);
        if (!m || *m > 59) {
            return std::nullopt;
        }
        minute = *m;
        if (isDigit()) {
            const auto s = digits(2);
            if (!s || *s > 60) {
                return std::nullopt;
            }
            second = *s;
        }
    }
    int64_t fraction = 0;  // in 100 ns
    if (at < value.size() && (value[at] == '.' || value[at] == ',')) {
        ++at;
        if (!isDigit()) {
            return std::nullopt;
        }
        int64_t scale = kFileTimePerSecond;
        while (isDigit()) {
            scale /= 10;
            fraction += (value[at] - '0') * scale;
            ++at;
        }
    }
    int64_t offsetSeconds = 0;
    if (at < value.size() && value[at] == 'Z') {
        ++at;
    } else if (at < value.size() && (value[at] == '+' || value[at] == '-')) {
        const int sign = value[at] == '-' ? -1 : 1;
        ++at;
        const auto oh = digits(2);
        if (!oh) {
            return std::nullopt;
        }
        int om = 0;
        if (isDigit()) {
            const auto m = digits(2);
            if (!m) {
                return std::nullopt;
            }
            om = *m;
        }
        offsetSeconds = sign * (*oh * 3600 + om * 60);
    } else {
        return std::nullopt;
    }
    if (at != value.size()) {
        return std::nullopt;
    }
    const int64_t days =
        daysFromCivil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day));
    const int64_t seconds =
        days * 86400 + *hour * 3600 + minute * 60 + second - offsetSeconds + kSeconds1601To1970;
    return seconds * kFileTimePerSecond + fraction;
}

uint32_t FileTimeToSeconds1970(int64_t fileTime) {
    if (fileTime <= 0) {
        return 0;
    }
    const int64_t seconds = fileTime / kFileTimePerSecond - kSeconds1601To1970;
    if (seconds <= 0) {
        return 0;
    }
    return static_cast<uint32_t>(std::min<int64_t>(seconds, std::numeric_limits<uint32_t>::max()));
}

}  // namespace ad
