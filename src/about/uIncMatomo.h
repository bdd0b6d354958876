// The usage hit: one request to the maker's statistics server (a Matomo
// tracker) at every start, so the maker can count how often the program
// runs.
#pragma once

#include <QString>

// The hit of this program, to the maker's server; returns when it has
// been sent or has failed, and never reports anything.
void SendUsagePing();

// The same to another server (tests: a loopback server) and for an
// executable at another path.
void SendUsagePing(const QString& webServer, const QString& programsSite,
                   const QString& executablePath);

// The request of a hit: the tracker of webServer, site 15, recorded, for
// the page programsSite + the executable's file name.
QString UsagePingUrl(const QString& webServer, const QString& programsSite,
                     const QString& executableFileName);

// The compiled programs site (ends with a slash).
QString ProgramsSite();
