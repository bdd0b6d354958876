#include "UserInfo3Text.h"

#include <QDateTime>
#include <QTimeZone>
#include <cmath>

namespace {

constexpr qint64 kMsPerDay = 86400000;
// Rows 1 to 5 come before the flags in the saved file, row 6 between the
// flags and the privileges.
constexpr int kRowsBeforeFlags = 5;

QString q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

QString number(uint32_t n) {
    return QString::number(n);
}

QString fieldName(std::string_view name) {
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

QString trueFalse(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

// The whole-day part, truncated toward zero, tells a real date from the
// two special values.
double wholeDays(tyDateTime value) {
    return std::trunc(value);
}

}  // namespace

QString UserInfo3DateTimeText(tyDateTime pValue, const QLocale& pLocale) {
    if (!std::isfinite(pValue)) {
        return {};
    }
    // The time of day is the fraction's size on either side of day 0, to
    // the millisecond; a fraction that rounds up to a whole day is the next
    // midnight.
    double days = wholeDays(pValue);
    qint64 ms = std::llround(std::fabs(pValue - days) * double(kMsPerDay));
    if (ms >= kMsPerDay) {
        ms = 0;
        days += 1;
    }
    // Far beyond any date a directory gives; QDate's range ends there too.
    if (std::fabs(days) > 1e9) {
        return {};
    }
    const QDate date = QDate(1899, 12, 30).addDays(qint64(days));
    const QDateTime at(date, QTime::fromMSecsSinceStartOfDay(int(ms)), QTimeZone::utc());
    QString text = pLocale.toString(at, pLocale.dateFormat(QLocale::ShortFormat));
    if (ms != 0) {
        text += QLatin1Char(' ') + pLocale.toString(at, pLocale.timeFormat(QLocale::LongFormat));
    }
    return text;
}

QStringList UserInfo3Rows(const tyUserInfo3& pInfo, const QLocale& pLocale) {
    const auto dateOrEmpty = [&](tyDateTime value) {
        return wholeDays(value) == 0 ? QString() : UserInfo3DateTimeText(value, pLocale);
    };
    const QString expires = wholeDays(pInfo.AcctExpires) == kDateNever
                                ? QStringLiteral("Never")
                                : UserInfo3DateTimeText(pInfo.AcctExpires, pLocale);
    const QString storage =
        pInfo.MaxStorage == 0xFFFFFFFFu ? QStringLiteral("Unlimited") : number(pInfo.MaxStorage);
    return {
        "Name = " + q(pInfo.Name),
        "PasswordAge = " + number(pInfo.PasswordAge),
        "Priv = " + q(pInfo.Priv),
        "HomeDir = " + q(pInfo.HomeDir),
        "Comment = " + q(pInfo.Comment),
        "ScriptPath = " + q(pInfo.ScriptPath),
        "FullName = " + q(pInfo.FullName),
        "UsrComment = " + q(pInfo.UsrComment),
        "Workstations = " + q(pInfo.Workstations),
        "LastLogon = " + dateOrEmpty(pInfo.LastLogon),
        "LastLogoff = " + dateOrEmpty(pInfo.LastLogoff),
        "AcctExpires = " + expires,
        "MaxStorage = " + storage,
        "UnitsPerWeek = " + q(pInfo.UnitsPerWeek),
        "BadPwCount = " + number(pInfo.BadPwCount),
        "NumLogons = " + number(pInfo.NumLogons),
        "LogonServer = " + q(pInfo.LogonServer),
        "CountryCode = " + number(pInfo.CountryCode),
        "CodePage = " + number(pInfo.CodePage),
        "UserId = " + number(pInfo.UserId),
        "PrimaryGroupId = " + number(pInfo.PrimaryGroupId),
        "Profile = " + q(pInfo.Profile),
        "HomeDirDrive = " + q(pInfo.HomeDirDrive),
        "PasswordExpired = " + number(pInfo.PasswordExpired),
    };
}

QStringList UserInfo3SaveLines(const tyUserInfo3& pInfo, const QLocale& pLocale) {
    const QStringList rows = UserInfo3Rows(pInfo, pLocale);
    QStringList lines = rows.first(kRowsBeforeFlags);
    for (const auto& f : kUi3FlagFields) {
        lines << "Flag " + fieldName(f.name) + " = " + trueFalse(pInfo.Flags.*f.field);
    }
    lines << rows.at(kRowsBeforeFlags);
    for (const auto& f : kUi3AuthFlagFields) {
        lines << "AuthFlags " + fieldName(f.name) + " = " + trueFalse(pInfo.AuthFlags.*f.field);
    }
    lines << rows.sliced(kRowsBeforeFlags + 1);
    return lines;
}

QString LineKey(const QString& line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? line : line.left(eq);
}

QString LineValue(const QString& line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : line.mid(eq + 1);
}
