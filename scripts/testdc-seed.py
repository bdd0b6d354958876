#!/usr/bin/python3
# testdc-seed.py SMB_CONF: fills the throwaway test domain controller with the
# accounts and groups the tests rely on.
#
# It opens the domain controller's sam.ldb directly (system session), whether
# the DC runs or not, and writes in a few large transactions: one account
# costs a few milliseconds this way, against half a second for a call of
# `samba-tool user create`. It adds only what is missing, so a second run
# against a seeded directory changes nothing, and a run that was cut short
# is completed by the next one.
#
# Needs Samba's own Python modules, which only the system interpreter has:
# run it with /usr/bin/python3 (scripts/testdc does).
#
# The tests read these names and values; change them only together.

# ---------------------------------------------------------------------------
# The domain
DOMAIN = "ZENTORY"                      # NetBIOS name
REALM = "ZENTORY.TEST"
DC_HOST = "DC1"                         # dc1.zentory.test, 127.0.0.1
ADMIN_PASSWORD = "Zentory-Admin-1"      # Administrator
USER_PASSWORD = "Zentory-User-1"        # every seeded account that has one
DC_ADDRESS = "127.0.0.1"
#
# Domain password policy: passwords never expire (maxPwdAge "never"), so a
# provision kept for weeks in build/testdc goes on accepting these passwords.
#
# userAccountControl values
NORMAL = 0x0200                          # UF_NORMAL_ACCOUNT
DISABLED = 0x0002                        # UF_ACCOUNTDISABLE
PASSWD_NOTREQD = 0x0020                  # lets an account without password be enabled
WORKSTATION = 0x1000                     # UF_WORKSTATION_TRUST_ACCOUNT
#
# accountExpires of "expiring": 2030-06-30 00:00:00 UTC as a FILETIME
# (100 ns ticks since 1601-01-01 UTC).
EXPIRES_2030_06_30 = 135534816000000000
#
# groupType values
GLOBAL_SECURITY = -2147483646            # 0x80000002
DOMAIN_LOCAL_SECURITY = -2147483644      # 0x80000004
UNIVERSAL_SECURITY = -2147483640         # 0x80000008
GLOBAL_DISTRIBUTION = 2                  # 0x00000002
#
# Users, in CN=Users. "password" True means USER_PASSWORD; accounts without
# one carry PASSWD_NOTREQD so that they are enabled all the same.
# Named users (not the bulk ones) also get userPrincipalName NAME@zentory.test.
# jdoe's userWorkstations holds for NTLM password logons too: an LDAP simple
# bind as jdoe fails (AD's "data 531"); asmith is the plain user to log on as.
# mustchange's logons fail with "password must change" (LDAP "data 773").
#
#  sAMAccountName  userAccountControl        password  other attributes
USERS = [
    ("jdoe",       NORMAL,                   True,  {
        "displayName": "John Doe",
        "description": "Help desk",
        "comment": "Second floor",           # SAMR's UserComment (usri*_usr_comment)
        "homeDirectory": "\\\\fs1\\home\\jdoe",
        "homeDrive": "H:",
        "scriptPath": "logon.cmd",
        "profilePath": "\\\\fs1\\profiles\\jdoe",
        "userWorkstations": "WS01,WS02",
    }),
    ("asmith",     NORMAL,                   True,  {"displayName": "Alice Smith"}),
    # bwayne has a password so that a logon with it reaches the "disabled" answer.
    ("bwayne",     NORMAL | DISABLED,        True,  {"displayName": "Bruce Wayne"}),   # 0x202
    ("expiring",   NORMAL | PASSWD_NOTREQD,  False, {"displayName": "Ex Piring",
                                                     "accountExpires": str(EXPIRES_2030_06_30)}),
    ("mustchange", NORMAL,                   True,  {"pwdLastSet": "0"}),  # must change at next logon
    ("émile",      NORMAL | PASSWD_NOTREQD,  False, {"displayName": "Émile Zola"}),
    # no displayName, no description; accountExpires 0, AD's other way of
    # saying "never"
    ("nevermind",  NORMAL | PASSWD_NOTREQD,  False, {"accountExpires": "0"}),
    # a member of two operator aliases (usri3_auth_flags PRINT | ACCOUNTS)
    ("printop",    NORMAL | PASSWD_NOTREQD,  False, {"displayName": "Print Operator"}),
]
#
# Computers, in CN=Computers.
#  sAMAccountName  userAccountControl
COMPUTERS = [
    ("WS01$",      WORKSTATION),             # 0x1000, member of Sales
]
#
# Groups, in CN=Users. Members are sAMAccountNames of users, computers or
# other groups of this table.
#  name             groupType               description                 members
GROUPS = [
    ("Sales",         GLOBAL_SECURITY,       'Sales, north "East"',      ["jdoe", "asmith", "WS01$"]),
    ("Helpdesk",      GLOBAL_SECURITY,       "First line",               ["jdoe"]),
    ("IT Staff",      GLOBAL_SECURITY,       "Everyone in IT",           ["Helpdesk", "asmith"]),
    ("Empty Group",   GLOBAL_SECURITY,       None,                       []),
    ("Local Printers", DOMAIN_LOCAL_SECURITY, None,                      ["jdoe"]),
    ("All Staff",     UNIVERSAL_SECURITY,    None,                       ["jdoe", "asmith"]),
    ("Newsletter",    GLOBAL_DISTRIBUTION,   None,                       ["jdoe"]),
]
#
# Members added to the domain's own built-in aliases.
ALIAS_MEMBERS = [
    ("Print Operators",   ["printop"]),
    ("Account Operators", ["printop"]),
]
#
# Bulk users user0001 .. user5000: no password (NORMAL | PASSWD_NOTREQD),
# displayName "Test User 0001" ..., nothing else.
BULK_COUNT = 5000
BULK_NAME = "user%04d"
BULK_DISPLAY = "Test User %04d"
#  name       groupType        members
BULK_GROUPS = [
    ("Big1001", GLOBAL_SECURITY, 1001),      # user0001 .. user1001
    ("Big5000", GLOBAL_SECURITY, 5000),      # user0001 .. user5000
]
#
# With ZENTORY_SEED=bench (the benchmarks' own controller, scripts/bench)
# the domain holds only the bulk users user0001 .. user2000 and 200 global
# groups: Bench1500 with user0001 .. user1500, and Team 001 .. Team 199 of
# 20 members each.
BENCH_USERS = 2000
BENCH_BIG = ("Bench1500", 1500)
BENCH_TEAMS = 199
BENCH_TEAM_SIZE = 20
#
# DNS (the DC's internal server): A records dc1.zentory.test and zentory.test
# -> 127.0.0.1. Provisioning inside the loopback-only namespace finds no
# address to register for the DC, so they are added here.
# ---------------------------------------------------------------------------

import os
import shlex
import sys
import time


def print_values():
    # scripts/testdc takes the domain's names and passwords from here, so
    # that this table stays the only place they are written down.
    for name in ("DOMAIN", "REALM", "DC_HOST", "DC_ADDRESS", "ADMIN_PASSWORD",
                 "USER_PASSWORD"):
        print("%s=%s" % (name, shlex.quote(globals()[name])))


if __name__ == "__main__" and sys.argv[1:] == ["--values"]:
    # Answered before the Samba modules load: they take a while to import.
    print_values()
    sys.exit(0)

import ldb
from samba.auth import system_session
from samba.dcerpc import dnsp
from samba.ndr import ndr_pack, ndr_unpack
from samba.param import LoadParm
from samba.provision.sambadns import ARecord
from samba.samdb import SamDB

NEVER = -0x8000000000000000             # maxPwdAge "never"
BATCH = 1000                            # accounts per transaction


def log(msg):
    print("testdc-seed: " + msg, flush=True)


def utf16_password(pw):
    return ('"%s"' % pw).encode("utf-16-le")


class Seeder:
    def __init__(self, smbconf):
        lp = LoadParm()
        lp.load(smbconf)
        url = os.path.join(lp.get("private dir"), "sam.ldb")
        # batch_mode: one failed operation aborts the whole transaction rather
        # than being rolled back alone, which spares a copy of every record
        # touched; it halves the time of the bulk users, and their cost no
        # longer grows with the number already added.
        self.db = SamDB(url=url, session_info=system_session(), lp=lp,
                        options=["batch_mode:1"])
        self.base = str(self.db.domain_dn())
        self.users_dn = "CN=Users," + self.base
        self.computers_dn = "CN=Computers," + self.base
        self.dns_domain = REALM.lower()
        self.added = 0
        # sAMAccountName -> DN of every account and group already there.
        self.dns = {}
        for m in self.db.search(self.base, ldb.SCOPE_SUBTREE,
                                "(sAMAccountName=*)", ["sAMAccountName"]):
            self.dns[str(m["sAMAccountName"][0]).lower()] = str(m.dn)

    def dn_of(self, name):
        return self.dns[name.lower()]

    def has(self, name):
        return name.lower() in self.dns

    def add(self, name, dn, attrs):
        msg = {"dn": dn, "sAMAccountName": name}
        msg.update(attrs)
        self.db.add(msg)
        self.dns[name.lower()] = dn
        self.added += 1

    # -- accounts --------------------------------------------------------

    def add_user(self, name, uac, password, extra, upn=True):
        if self.has(name):
            return
        attrs = {"objectClass": "user", "userAccountControl": str(uac)}
        if upn:
            attrs["userPrincipalName"] = "%s@%s" % (name, self.dns_domain)
        later = {}
        for k, v in extra.items():
            # pwdLastSet 0 only sticks once the password is set.
            (later if k == "pwdLastSet" else attrs)[k] = v
        if password:
            attrs["unicodePwd"] = utf16_password(USER_PASSWORD)
        self.add(name, "CN=%s,%s" % (escape_rdn(name), self.users_dn), attrs)
        if later:
            m = ldb.Message(ldb.Dn(self.db, self.dn_of(name)))
            for k, v in later.items():
                m[k] = ldb.MessageElement(v, ldb.FLAG_MOD_REPLACE, k)
            self.db.modify(m)

    def add_computer(self, name, uac):
        if self.has(name):
            return
        host = name.rstrip("$")
        self.add(name, "CN=%s,%s" % (escape_rdn(host), self.computers_dn), {
            "objectClass": "computer",
            "userAccountControl": str(uac),
            "dNSHostName": "%s.%s" % (host.lower(), self.dns_domain),
        })

    def add_group(self, name, gtype, description):
        if self.has(name):
            return
        attrs = {"objectClass": "group", "groupType": str(gtype)}
        if description:
            attrs["description"] = description
        self.add(name, "CN=%s,%s" % (escape_rdn(name), self.users_dn), attrs)

    def add_members(self, group, member_dns):
        gdn = self.dn_of(group)
        res = self.db.search(gdn, ldb.SCOPE_BASE, attrs=["member"])
        have = set()
        if "member" in res[0]:
            have = {str(ldb.Dn(self.db, str(v))).lower() for v in res[0]["member"]}
        missing = [d for d in member_dns if d.lower() not in have]
        if not missing:
            return 0
        m = ldb.Message(ldb.Dn(self.db, gdn))
        m["member"] = ldb.MessageElement(missing, ldb.FLAG_MOD_ADD, "member")
        self.db.modify(m)
        return len(missing)

    # -- the rest of the domain -------------------------------------------

    def password_policy(self):
        res = self.db.search(self.base, ldb.SCOPE_BASE, attrs=["maxPwdAge"])
        if int(res[0]["maxPwdAge"][0]) == NEVER:
            return
        m = ldb.Message(ldb.Dn(self.db, self.base))
        m["maxPwdAge"] = ldb.MessageElement(str(NEVER), ldb.FLAG_MOD_REPLACE, "maxPwdAge")
        self.db.modify(m)

    def dns_records(self):
        zone = "DC=%s,CN=MicrosoftDNS,DC=DomainDnsZones,%s" % (self.dns_domain, self.base)
        for node in (DC_HOST.lower(), "@"):
            dn = "DC=%s,%s" % (node, zone)
            res = self.db.search(dn, ldb.SCOPE_BASE, attrs=["dnsRecord"]) \
                if self.exists(dn) else []
            rec = ndr_pack(ARecord(DC_ADDRESS))
            if not res:
                m = ldb.Message(ldb.Dn(self.db, dn))
                m["objectClass"] = ["top", "dnsNode"]
                m["dnsRecord"] = ldb.MessageElement([rec], ldb.FLAG_MOD_ADD, "dnsRecord")
                self.db.add(m)
                continue
            for v in res[0].get("dnsRecord", []):
                r = ndr_unpack(dnsp.DnssrvRpcRecord, bytes(v))
                if r.wType == dnsp.DNS_TYPE_A and r.data == DC_ADDRESS:
                    break
            else:
                m = ldb.Message(ldb.Dn(self.db, dn))
                m["dnsRecord"] = ldb.MessageElement([rec], ldb.FLAG_MOD_ADD, "dnsRecord")
                self.db.modify(m)

    def exists(self, dn):
        try:
            self.db.search(dn, ldb.SCOPE_BASE, attrs=["dn"])
            return True
        except ldb.LdbError as e:
            if e.args[0] == ldb.ERR_NO_SUCH_OBJECT:
                return False
            raise

    # -- all of it ----------------------------------------------------------

    def run(self):
        t0 = time.monotonic()
        self.db.transaction_start()
        try:
            self.password_policy()
            self.dns_records()
            for name, uac, password, extra in USERS:
                self.add_user(name, uac, password, extra)
            for name, uac in COMPUTERS:
                self.add_computer(name, uac)
            for name, gtype, description, _ in GROUPS:
                self.add_group(name, gtype, description)
            for name, _, _, members in GROUPS:
                if members:
                    self.add_members(name, [self.dn_of(m) for m in members])
            for name, members in ALIAS_MEMBERS:
                self.add_members(name, [self.dn_of(m) for m in members])
            self.db.transaction_commit()
        except BaseException:
            self.db.transaction_cancel()
            raise
        t1 = time.monotonic()

        bulk = [BULK_NAME % i for i in range(1, BULK_COUNT + 1)]
        todo = [i for i in range(1, BULK_COUNT + 1) if not self.has(BULK_NAME % i)]
        for start in range(0, len(todo), BATCH):
            self.db.transaction_start()
            try:
                for i in todo[start:start + BATCH]:
                    self.add_user(BULK_NAME % i, NORMAL | PASSWD_NOTREQD, False,
                                  {"displayName": BULK_DISPLAY % i}, upn=False)
                self.db.transaction_commit()
            except BaseException:
                self.db.transaction_cancel()
                raise
        t2 = time.monotonic()

        linked = 0
        for name, gtype, count in BULK_GROUPS:
            self.db.transaction_start()
            try:
                self.add_group(name, gtype, None)
                linked += self.add_members(name, [self.dn_of(n) for n in bulk[:count]])
                self.db.transaction_commit()
            except BaseException:
                self.db.transaction_cancel()
                raise
        t3 = time.monotonic()
        if self.added == 0 and linked == 0:
            log("already seeded (checked in %.1fs)" % (t3 - t0))
            return
        log("%d objects added, %d bulk memberships; named %.1fs, bulk users %.1fs, "
            "bulk groups %.1fs" % (self.added, linked, t1 - t0, t2 - t1, t3 - t2))


    def run_bench(self):
        t0 = time.monotonic()
        self.db.transaction_start()
        try:
            self.password_policy()
            self.dns_records()
            self.db.transaction_commit()
        except BaseException:
            self.db.transaction_cancel()
            raise
        users = [BULK_NAME % i for i in range(1, BENCH_USERS + 1)]
        for start in range(0, len(users), BATCH):
            self.db.transaction_start()
            try:
                for i, name in enumerate(users[start:start + BATCH], start + 1):
                    self.add_user(name, NORMAL | PASSWD_NOTREQD, False,
                                  {"displayName": BULK_DISPLAY % i}, upn=False)
                self.db.transaction_commit()
            except BaseException:
                self.db.transaction_cancel()
                raise
        linked = 0
        self.db.transaction_start()
        try:
            name, count = BENCH_BIG
            self.add_group(name, GLOBAL_SECURITY, "The benchmark's large group")
            linked += self.add_members(name, [self.dn_of(n) for n in users[:count]])
            for t in range(1, BENCH_TEAMS + 1):
                team = "Team %03d" % t
                self.add_group(team, GLOBAL_SECURITY, "Team %d of the benchmark" % t)
                members = [users[(t * 37 + k * 101) % len(users)] for k in range(BENCH_TEAM_SIZE)]
                linked += self.add_members(team, [self.dn_of(n) for n in members])
            self.db.transaction_commit()
        except BaseException:
            self.db.transaction_cancel()
            raise
        log("bench domain: %d objects added, %d memberships in %.1fs"
            % (self.added, linked, time.monotonic() - t0))


def escape_rdn(value):
    # RFC 4514 escaping of an RDN value (the group "IT Staff" needs none,
    # but a name with a comma or a plus would).
    out = []
    for i, c in enumerate(value):
        if c in ',+"\\<>;=' or (c == "#" and i == 0) or (c == " " and i in (0, len(value) - 1)):
            out.append("\\" + c)
        else:
            out.append(c)
    return "".join(out)


def main():
    if len(sys.argv) != 2:
        print("usage: testdc-seed.py SMB_CONF | --values", file=sys.stderr)
        return 2
    seeder = Seeder(sys.argv[1])
    if os.environ.get("ZENTORY_SEED") == "bench":
        seeder.run_bench()
    else:
        seeder.run()
    return 0


if __name__ == "__main__":
    sys.exit(main())
