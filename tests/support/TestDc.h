// The test domain controller that scripts/testdc runs: its env file is read
// into this process's environment, so Kerberos and the tests find the
// realm, the private ticket cache and the accounts.
#pragma once

#include <QString>

// False, with the reason, when the controller's env file is not there (the
// controller was never started).
bool loadTestDc(QString& error);

// A value of the env file (after loadTestDc), e.g. "ZENTORY_TEST_AUTHFILE".
QString testDcValue(const char* name);

// Runs scripts/testdc with one subcommand (stop, start, restart); false with
// its output when it fails.
bool runTestDc(const QString& subcommand, QString& output);

// Runs kinit for an account of the test domain with its password, into the
// private ticket cache; kdestroy empties that cache.
bool kinit(const QString& user, const QString& password, QString& output);
bool kdestroy();
