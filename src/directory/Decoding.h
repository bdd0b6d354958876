// Decoding of the directory's answers into the account records.
#pragma once

#include "NetApi.h"
#include "Records.h"

tyUi3Flags DecodeUi3Flags(uint32_t flags);
tyUi3AuthFlags DecodeUi3AuthFlags(uint32_t authFlags);
tyGroupUsersInfo1Attributes DecodeGroupUsersAttributes(uint32_t attributes);

// Seconds since 1970-01-01 UTC to the record's date-time; 0 stays "no date".
tyDateTime SecondsSince1970ToDateTime(uint32_t seconds);
// The same, where TIMEQ_FOREVER means "never".
tyDateTime AcctExpiresToDateTime(uint32_t seconds);
std::u16string PrivToText(uint32_t priv);
std::u16string UnitsPerWeekToText(uint32_t units);

// A missing string gives an empty text.
std::u16string TextOf(net::Text s);

// Assigns every field of info.
void DecodeUserInfo3(const net::USER_INFO_3& src, tyUserInfo3& info);
tyGroup1 DecodeGroup1(const net::GROUP_INFO_1& src);
tyGroupUsersInfo1 DecodeGroupUsersInfo1(const net::GROUP_USERS_INFO_1& src);
