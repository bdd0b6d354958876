#!/usr/bin/env python3
"""Writes a large Active Directory domain as LDIF, the same bytes every run.

    bench/make-large-domain.py OUT.ldif [USERS [GROUPS]]

Defaults: 100 000 users and 10 000 groups. Domain Users is everyone's
primary group; group 0 ("Everyone Large") holds every user; groups 1 to 50
hold a fifth of the users each (20 000 of 100 000), every user being in
ten of them; groups 51 to 60 hold one user in fifty each (2 000); and every
user is in four more of the remaining groups, about fifteen groups in all.
Every account has a full name and every group a comment. Written as `ldapsearch -LLL`
writes an export (lines folded at 76 columns, objectSid in base64), with
the domain's crossRef and one domain controller, so the ldif back-end
answers it as it would a real domain.
"""
import base64
import struct
import sys

USERS = int(sys.argv[2]) if len(sys.argv) > 2 else 100_000
GROUPS = int(sys.argv[3]) if len(sys.argv) > 3 else 10_000
PER_USER = 4        # memberships spread over the groups after the large ones
LARGE = 50          # groups 1..LARGE: every fifth user
SMALL = 10          # the next SMALL groups: every fiftieth user
FIRST_SPREAD = 1 + LARGE + SMALL
DOMAIN_DN = "DC=large,DC=example"
DOMAIN_SUBS = (21, 1234567890, 987654321, 1122334455)
FIRST = ["Anna", "Ben", "Clara", "David", "Emma", "Felix", "Greta", "Hugo",
         "Ida", "Jonas", "Karla", "Lars", "Mia", "Noah", "Olga", "Paul",
         "Rosa", "Sven", "Tara", "Ugo", "Vera", "Will", "Xenia", "Yann", "Zoe"]
LAST = ["Andersen", "Berger", "Costa", "Dubois", "Eriksen", "Fischer",
        "Garcia", "Horvat", "Ivanova", "Jansen", "Kowalski", "Larsen",
        "Moreau", "Novak", "Olsen", "Petrov", "Quinn", "Rossi", "Schmidt",
        "Tanaka", "Urban", "Varga", "Weber", "Young", "Zimmermann"]


def sid(rid=None):
    subs = DOMAIN_SUBS + ((rid,) if rid is not None else ())
    raw = struct.pack("<BB", 1, len(subs)) + (5).to_bytes(6, "big")
    raw += struct.pack("<%dI" % len(subs), *subs)
    return base64.b64encode(raw).decode()


def fold(line):
    # ldapsearch folds at 76 columns: continuation lines begin with a space.
    if len(line) <= 76:
        return line + "\n"
    out = [line[:76]]
    rest = line[76:]
    while rest:
        out.append(" " + rest[:75])
        rest = rest[75:]
    return "\n".join(out) + "\n"


def user_dn(i):
    return "CN=%s,OU=Site %02d,OU=People,%s" % (user_name(i), i % 40, DOMAIN_DN)


def user_name(i):
    return "user%06d" % i


def group_dn(g):
    return "CN=%s,OU=Groups,%s" % (group_name(g), DOMAIN_DN)


def group_name(g):
    if g == 0:
        return "Everyone Large"
    return "Group %05d" % g


def main():
    out = open(sys.argv[1], "w", encoding="utf-8", newline="\n")
    w = out.write
    w("dn: %s\nobjectClass: top\nobjectClass: domain\nobjectClass: domainDNS\n"
      "objectSid:: %s\nwhenChanged: 20250101000000.0Z\n\n" % (DOMAIN_DN, sid()))
    w("dn: CN=LARGE,CN=Partitions,CN=Configuration,%s\nobjectClass: top\n"
      "objectClass: crossRef\nnCName: %s\nnETBIOSName: LARGE\n"
      "dnsRoot: large.example\n\n" % (DOMAIN_DN, DOMAIN_DN))
    w("dn: CN=DC1,OU=Domain Controllers,%s\nobjectClass: top\nobjectClass: person\n"
      "objectClass: organizationalPerson\nobjectClass: user\nobjectClass: computer\n"
      "sAMAccountName: DC1$\nuserAccountControl: 532480\nprimaryGroupID: 516\n"
      "objectSid:: %s\nwhenChanged: 20250101000000.0Z\n\n" % (DOMAIN_DN, sid(1000)))
    w("dn: CN=Domain Users,CN=Users,%s\nobjectClass: top\nobjectClass: group\n"
      "sAMAccountName: Domain Users\ndescription: All domain users\n"
      "groupType: -2147483646\nobjectSid:: %s\n\n" % (DOMAIN_DN, sid(513)))
    w("dn: CN=Domain Controllers,CN=Users,%s\nobjectClass: top\nobjectClass: group\n"
      "sAMAccountName: Domain Controllers\ndescription: All domain controllers\n"
      "groupType: -2147483646\nobjectSid:: %s\n\n" % (DOMAIN_DN, sid(516)))

    # Memberships by fixed rules, so that every run writes the same file.
    members = [[] for _ in range(GROUPS)]
    for i in range(USERS):
        for k in range(PER_USER):
            members[FIRST_SPREAD + (i * 7 + k * 1009 + k * k) % (GROUPS - FIRST_SPREAD)].append(i)
    members[0] = list(range(USERS))
    for g in range(1, 1 + LARGE):
        members[g] = list(range(g % 5, USERS, 5))
    for g in range(1 + LARGE, FIRST_SPREAD):
        members[g] = list(range(g % 50, USERS, 50))

    for g in range(GROUPS):
        w("dn: %s\nobjectClass: top\nobjectClass: group\nsAMAccountName: %s\n"
          "description: %s, the benchmark's group %d\ngroupType: -2147483646\n"
          "objectSid:: %s\nwhenChanged: 20241101000000.0Z\n"
          % (group_dn(g), group_name(g), "Large team" if g < FIRST_SPREAD else "Team", g,
             sid(20000 + g)))
        for i in members[g]:
            w(fold("member: " + user_dn(i)))
        w("\n")

    for i in range(USERS):
        first = FIRST[i % len(FIRST)]
        last = LAST[(i // len(FIRST)) % len(LAST)]
        w(fold("dn: " + user_dn(i)))
        w("objectClass: top\nobjectClass: person\nobjectClass: organizationalPerson\n"
          "objectClass: user\nsAMAccountName: %s\ndisplayName: %s %s %d\n"
          "description: Staff member %d, site %02d\ncomment: Desk %d\n"
          "userAccountControl: %d\nprimaryGroupID: 513\nobjectSid:: %s\n"
          "pwdLastSet: 133600000000000000\nlastLogon: %d\n"
          "accountExpires: 9223372036854775807\nlogonCount: %d\n"
          "homeDirectory: \\\\fs01.large.example\\home\\%s\nhomeDrive: H:\n"
          "scriptPath: logon.cmd\nwhenChanged: 20241201000000.0Z\n\n"
          % (user_name(i), first, last, i, i, i % 40, i % 500,
             514 if i % 97 == 0 else 512, sid(100000 + i),
             133700000000000000 + i * 10_000_000, i % 1000, user_name(i)))
    out.close()


if __name__ == "__main__":
    main()
