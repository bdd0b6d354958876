// What zentory-cli writes: results on standard output, messages on
// standard error after the program's name, the queries' error boxes as
// messages.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <string>

#include "NetApi.h"

inline void out(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

inline void err(const QString& line) {
    const QByteArray bytes = "zentory-cli: " + line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

class ConsoleReporter : public ErrorReporter {
public:
    void showError(const std::u16string& text) override {
        err(QString::fromStdU16String(text));
        ++errors;
    }
    int errors = 0;
};
