// Small helpers shared by the tests.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "NetApi.h"

inline QString q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

// Records every error box the queries raise.
class RecordingReporter : public ErrorReporter {
public:
    void showError(const std::u16string& text) override { errors << q(text); }
    QStringList errors;
};
