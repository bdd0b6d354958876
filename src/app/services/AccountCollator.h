// The locale's case-insensitive collation, in which the account lists keep
// names and the comparison tables order and match them. Qt Core only, so
// that the tables are built the same way without a window.
#pragma once

#include <QCollator>
#include <QLocale>

inline QCollator AccountCollator() {
    QLocale locale;
    // The C locale collates by code point and with case (Qt does not hand
    // it to the collation library); the root collation is what a user of
    // such a machine expects of a list of names.
    if (locale.language() == QLocale::C) {
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    }
    QCollator c(locale);
    c.setCaseSensitivity(Qt::CaseInsensitive);
    c.setNumericMode(false);
    return c;
}
