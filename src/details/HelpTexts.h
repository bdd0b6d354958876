// The explanations that the user details window shows beside its rows and
// flags, addressed by help index: 1 to 24 for the rows of the property grid,
// 101 to 120 for the account-control flags, 201 to 204 for the operator
// privileges (the first item of a list being 101, respectively 201).
#pragma once

#include <QString>

// The explanation for a help index; empty for an index that has none
// (0, 25 to 100, 121 to 200, above 204, and any negative one).
QString HelpText(int pIndex);
