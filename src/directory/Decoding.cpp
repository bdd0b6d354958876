#include "Decoding.h"

#include "Text.h"

namespace {

template <class Record, size_t N>
Record decodeFlags(const std::array<FlagField<Record>, N>& fields, uint32_t value) {
    Record r;
    for (const auto& f : fields) {
        r.*f.field = (value & f.mask) != 0;
    }
    return r;
}

}  // namespace

tyUi3Flags DecodeUi3Flags(uint32_t flags) {
    return decodeFlags(kUi3FlagFields, flags);
}

tyUi3AuthFlags DecodeUi3AuthFlags(uint32_t authFlags) {
    return decodeFlags(kUi3AuthFlagFields, authFlags);
}

tyGroupUsersInfo1Attributes DecodeGroupUsersAttributes(uint32_t attributes) {
    return decodeFlags(kGroupUsersAttributeFields, attributes);
}

tyDateTime SecondsSince1970ToDateTime(uint32_t seconds) {
    if (seconds == 0) {
        return kDateNone;
    }
    return kUnixEpochDay + static_cast<double>(seconds) / 86400.0;
}

tyDateTime AcctExpiresToDateTime(uint32_t seconds) {
    if (seconds == net::TimeqForever) {
        return kDateNever;
    }
    return SecondsSince1970ToDateTime(seconds);
}

std::u16string PrivToText(uint32_t priv) {
    switch (priv) {
    case net::UserPrivGuest:
        return u"Guest";
    case net::UserPrivUser:
        return u"User";
    case net::UserPrivAdmin:
        return u"Administrator";
    default:
        return {};
    }
}

std::u16string UnitsPerWeekToText(uint32_t units) {
    switch (units) {
    case 7:
        return u"DAY (7)";
    case 168:
        return u"HOURS (24*7=" + DecimalText(units) + u")";
    case 10080:
        return u"MINUTES (60*24*7=" + DecimalText(units) + u")";
    default:
        return {};
    }
}

std::u16string TextOf(net::Text s) {
    return s ? std::u16string(s) : std::u16string();
}

void DecodeUserInfo3(const net::USER_INFO_3& src, tyUserInfo3& info) {
    info.Name = TextOf(src.usri3_name);
    info.PasswordAge = src.usri3_password_age;
    info.Priv = PrivToText(src.usri3_priv);
    info.HomeDir = TextOf(src.usri3_home_dir);
    info.Comment = TextOf(src.usri3_comment);
    info.Flags = DecodeUi3Flags(src.usri3_flags);
    info.ScriptPath = TextOf(src.usri3_script_path);
    info.AuthFlags = DecodeUi3AuthFlags(src.usri3_auth_flags);
    info.FullName = TextOf(src.usri3_full_name);
    info.UsrComment = TextOf(src.usri3_usr_comment);
    info.Workstations = TextOf(src.usri3_workstations);
    info.LastLogon = SecondsSince1970ToDateTime(src.usri3_last_logon);
    info.LastLogoff = SecondsSince1970ToDateTime(src.usri3_last_logoff);
    info.AcctExpires = AcctExpiresToDateTime(src.usri3_acct_expires);
    info.MaxStorage = src.usri3_max_storage;
    info.UnitsPerWeek = UnitsPerWeekToText(src.usri3_units_per_week);
    // Windows always sends the bit string; without one there is no
    // restriction, which is every hour allowed.
    info.LogonHours = src.usri3_logon_hours ? src.usri3_logon_hours[0] : 0xFFu;
    info.BadPwCount = src.usri3_bad_pw_count;
    info.NumLogons = src.usri3_num_logons;
    info.LogonServer = TextOf(src.usri3_logon_server);
    info.CountryCode = src.usri3_country_code;
    info.CodePage = src.usri3_code_page;
    info.UserId = src.usri3_user_id;
    info.PrimaryGroupId = src.usri3_primary_group_id;
    info.Profile = TextOf(src.usri3_profile);
    info.HomeDirDrive = TextOf(src.usri3_home_dir_drive);
    info.PasswordExpired = src.usri3_password_expired;
}

tyGroup1 DecodeGroup1(const net::GROUP_INFO_1& src) {
    return {TextOf(src.grpi1_name), TextOf(src.grpi1_comment)};
}

tyGroupUsersInfo1 DecodeGroupUsersInfo1(const net::GROUP_USERS_INFO_1& src) {
    return {TextOf(src.grui1_name), DecodeGroupUsersAttributes(src.grui1_attributes)};
}
