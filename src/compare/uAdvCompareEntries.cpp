// The real comparison entries, in a file of their own: a program that
// passes its own entries (the tests) does not pull in the comparison window.
#include "uAdvCompare.h"
#include "uCompare.h"

ComparisonEntries RealComparisonEntries() {
    return {CompareGroupsUsers, CompareUsersGroups, CompareUsersAttributes};
}
