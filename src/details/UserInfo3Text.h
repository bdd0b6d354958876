// The lines of key " = " value that the user details window shows and
// saves for one tyUserInfo3.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include "Records.h"

// A date-time in the locale's short date format, a space and its long time
// format; the date alone when the time is exactly midnight. The value is
// UTC and is not converted, so a long time format that names the time zone
// names UTC.
QString UserInfo3DateTimeText(tyDateTime pValue, const QLocale& pLocale = QLocale());

// The 24 rows of the property grid, from "Name = " to "PasswordExpired = ".
QStringList UserInfo3Rows(const tyUserInfo3& pInfo, const QLocale& pLocale = QLocale());

// The 48 lines of the saved file, in the field order of the record: the
// rows up to Comment, the 20 flags, ScriptPath, the 4 privileges, then the
// rows from FullName on.
QStringList UserInfo3SaveLines(const tyUserInfo3& pInfo, const QLocale& pLocale = QLocale());

// The part of a line before its first "=", and the part after it (the
// whole line and nothing for a line without one).
QString LineKey(const QString& line);
QString LineValue(const QString& line);
