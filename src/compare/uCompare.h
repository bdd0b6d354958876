// The three entry operations of the comparison window: each builds its
// table, shows it modally and returns when the window is closed. An empty
// selection is reported with an error box and opens nothing.
#pragma once

#include <QString>

#include "MainServices.h"
#include "Records.h"

void CompareGroupsUsers(MainServices& main, const QString& server, const tyArrGroup1& groups);
void CompareUsersGroups(MainServices& main, const QString& server, const tyArrUsers& users);
void CompareUsersAttributes(MainServices& main, const QString& server, const tyArrUsers& users);
