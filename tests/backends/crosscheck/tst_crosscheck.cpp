// The ldif back-end against the live test domain controller (scripts/testdc):
// the controller's domain is exported as LDIF, the way an administrator
// exports a domain with ldapsearch, the export is opened with the ldif
// back-end, and each of its answers is compared with the samba back-end's
// answer from the controller itself: the user lists, the group list, every
// group's members, every account's groups and every field of every
// account's level-3 information, the 5000 bulk users included.
//
// Both back-ends claim to answer as a Windows domain controller does, so any
// difference is a fault of one of them, except for the few fields in
// kExceptions below, which a file cannot hold as the controller has them.
// Those are still checked, by the rule each exception names; for the logon
// statistics the domain is exported a second time once the controller's
// answers are read, and the controller's value must lie between the two.
//
// The export is made here, with ldapsearch over LDAP as Administrator, so
// that it is always of the controller as it is now.

#include <QtTest>

#include <QDataStream>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <algorithm>
#include <map>
#include <set>

#include "LdifBackend.h"
#include "Queries.h"
#include "SambaBackend.h"
#include "TestDc.h"
#include "TestSupport.h"

namespace {

// --- The fields of USER_INFO_3 ---------------------------------------------

QString shownText(net::Text s) {
    return s ? "\"" + QString::fromStdU16String(s) + "\"" : QStringLiteral("(null)");
}

QString shownHours(const uint8_t* b) {
    return b ? QString::fromLatin1(
                   QByteArray(reinterpret_cast<const char*>(b), net::LogonHoursBytes).toHex())
             : QStringLiteral("(null)");
}

// Every field, as a text to compare and show, and as a number where it is
// one (the rules of the named exceptions compute with it).
struct Field {
    const char* name;
    QString (*shown)(const net::USER_INFO_3&);
    uint32_t (*number)(const net::USER_INFO_3&);
};

// clang-format off
#define ZT_TEXT(f) \
    Field{#f, [](const net::USER_INFO_3& u) { return shownText(u.f); }, nullptr}
#define ZT_NUMBER(f) \
    Field{#f, [](const net::USER_INFO_3& u) { return QString::number(u.f); }, \
          [](const net::USER_INFO_3& u) { return u.f; }}
#define ZT_BITS(f) \
    Field{#f, [](const net::USER_INFO_3& u) { return "0x" + QString::number(u.f, 16); }, \
          [](const net::USER_INFO_3& u) { return u.f; }}
// clang-format on

// In the order of the structure; all 29 of its fields.
const Field kFields[] = {
    ZT_TEXT(usri3_name),
    ZT_TEXT(usri3_password),
    ZT_NUMBER(usri3_password_age),
    ZT_NUMBER(usri3_priv),
    ZT_TEXT(usri3_home_dir),
    ZT_TEXT(usri3_comment),
    ZT_BITS(usri3_flags),
    ZT_TEXT(usri3_script_path),
    ZT_BITS(usri3_auth_flags),
    ZT_TEXT(usri3_full_name),
    ZT_TEXT(usri3_usr_comment),
    ZT_TEXT(usri3_parms),
    ZT_TEXT(usri3_workstations),
    ZT_NUMBER(usri3_last_logon),
    ZT_NUMBER(usri3_last_logoff),
    ZT_NUMBER(usri3_acct_expires),
    ZT_NUMBER(usri3_max_storage),
    ZT_NUMBER(usri3_units_per_week),
    Field{"usri3_logon_hours",
          [](const net::USER_INFO_3& u) { return shownHours(u.usri3_logon_hours); }, nullptr},
    ZT_NUMBER(usri3_bad_pw_count),
    ZT_NUMBER(usri3_num_logons),
    ZT_TEXT(usri3_logon_server),
    ZT_NUMBER(usri3_country_code),
    ZT_NUMBER(usri3_code_page),
    ZT_NUMBER(usri3_user_id),
    ZT_NUMBER(usri3_primary_group_id),
    ZT_TEXT(usri3_profile),
    ZT_TEXT(usri3_home_dir_drive),
    ZT_NUMBER(usri3_password_expired),
};
constexpr size_t kFieldCount = std::size(kFields);
static_assert(kFieldCount == 29);

#undef ZT_TEXT
#undef ZT_NUMBER
#undef ZT_BITS

// --- Where the two may honestly differ --------------------------------------

enum class Rule {
    // The controller's value, read after the first export and before the
    // second, lies between the values of the two exports (inclusive).
    BetweenExports,
    // The same for a time, which may also be a second past the later
    // export's: libnetapi rounds times to the nearest second, where
    // netapi32 (and the ldif back-end) cut off the fraction; the samba
    // back-end gets only the rounded value.
    TimeBetweenExports,
    // The same as BetweenExports, or 0.
    BetweenExportsOrZero,
    // Both are 0 (a password never set has no age), or the controller's age
    // minus the export's is the time from the export's newest whenChanged to
    // the moment of the call, to a second either way (the two count from
    // different fractions and round differently).
    AgeUpToTheCall,
};

struct NamedException {
    const char* field;
    Rule rule;
};

const NamedException kExceptions[] = {
    // A controller counts the password's age up to the moment it answers;
    // a file has no such moment, and the ldif back-end counts up to the
    // newest whenChanged in it, so that its answers depend on the file alone.
    {"usri3_password_age", Rule::AgeUpToTheCall},
    // Logon statistics, which every logon changes on the controller without
    // touching whenChanged: the exports and the samba back-end log on as
    // Administrator themselves, and other tests of the shared controller may
    // log on as any seeded account meanwhile. An export holds the values of
    // its own moment.
    {"usri3_last_logon", Rule::TimeBetweenExports},
    {"usri3_num_logons", Rule::BetweenExports},
    // Besides, a controller answers the count of bad passwords as 0 once the
    // domain's lockout observation window has passed since the last one
    // (badPasswordTime), while the stored count, which an export holds,
    // stays as it is until the next logon.
    {"usri3_bad_pw_count", Rule::BetweenExportsOrZero},
};

const NamedException* exceptionFor(const char* field) {
    for (const auto& e : kExceptions) {
        if (qstrcmp(e.field, field) == 0) {
            return &e;
        }
    }
    return nullptr;
}

// --- Answers -----------------------------------------------------------------

// One account's level-3 answer, kept as field texts and numbers.
struct Info3 {
    uint32_t status = 0;
    QStringList shown;
    std::vector<uint32_t> numbers;
    // When the call was made, in seconds since 1970: before and after.
    qint64 from = 0;
    qint64 to = 0;
};

// NetUserEnum's kinds of account. Not FILTER_TEMP_DUPLICATE_ACCOUNT nor
// FILTER_INTERDOMAIN_TRUST_ACCOUNT: the domain has no such accounts, and
// libnetapi (Samba 4.17) crashes when asked for either here.
constexpr std::pair<uint32_t, const char*> kUserFilters[] = {
    {0x0002, "FILTER_NORMAL_ACCOUNT"},
    {0x0010, "FILTER_WORKSTATION_TRUST_ACCOUNT"},
    {0x0020, "FILTER_SERVER_TRUST_ACCOUNT"},
};

// Everything a back-end answered; lists sorted, since their order is not
// compared: a controller gives accounts in the order of its database, an
// export in the order its tool wrote them, and no file can hold the former.
struct Answers {
    QString domain;
    QString controller;
    std::map<uint32_t, QStringList> users;    // by filter
    std::map<uint32_t, uint32_t> userStatus;  // by filter
    QStringList groups;                       // "name | comment"
    uint32_t groupStatus = 0;
    std::map<QString, QStringList> members;  // "name 0xATTRIBUTES"
    std::map<QString, uint32_t> memberStatus;
    std::map<QString, QStringList> groupsOf;
    std::map<QString, uint32_t> groupsOfStatus;
    std::map<QString, Info3> info3;
    QStringList errors;
};

QString membershipText(const net::GROUP_USERS_INFO_1& e) {
    return shownText(e.grui1_name) + " 0x" + QString::number(e.grui1_attributes, 16);
}

class Reader {
public:
    Reader(DirectoryBackend& backend, Answers& answers) : b(backend), a(answers) {}

    void domainAndController() {
        RecordingReporter reporter;
        DirectoryQueries queries(b, reporter);
        const std::u16string domain = queries.GetDomainName();
        a.domain = q(domain);
        const std::u16string dc = queries.GetDCName(domain);
        a.controller = q(dc);
        server = dc;
        a.errors << reporter.errors;
    }

    void lists() {
        for (const auto& [filter, name] : kUserFilters) {
            QStringList names;
            uint32_t resume = 0;
            uint32_t status;
            do {
                void* buffer = nullptr;
                uint32_t read = 0;
                uint32_t total = 0;
                status = b.NetUserEnum(srv(), 0, filter, &buffer, net::MaxPreferredLength, &read,
                                       &total, &resume);
                if (buffer) {
                    const auto* e = static_cast<const net::USER_INFO_0*>(buffer);
                    for (uint32_t i = 0; i < read; ++i) {
                        names << shownText(e[i].usri0_name);
                    }
                    b.NetApiBufferFree(buffer);
                }
            } while (status == net::MoreData);
            names.sort();
            a.users[filter] = names;
            a.userStatus[filter] = status;
        }

        uintptr_t resume = 0;
        uint32_t status;
        do {
            void* buffer = nullptr;
            uint32_t read = 0;
            uint32_t total = 0;
            status =
                b.NetGroupEnum(srv(), 1, &buffer, net::MaxPreferredLength, &read, &total, &resume);
            if (buffer) {
                const auto* e = static_cast<const net::GROUP_INFO_1*>(buffer);
                for (uint32_t i = 0; i < read; ++i) {
                    a.groups << shownText(e[i].grpi1_name) + " | " + shownText(e[i].grpi1_comment);
                }
                b.NetApiBufferFree(buffer);
            }
        } while (status == net::MoreData);
        a.groups.sort();
        a.groupStatus = status;
    }

    void members(const QString& group) {
        const std::u16string name = group.toStdU16String();
        QStringList entries;
        uintptr_t resume = 0;
        uint32_t status;
        do {
            void* buffer = nullptr;
            uint32_t read = 0;
            uint32_t total = 0;
            status = b.NetGroupGetUsers(srv(), name.c_str(), 1, &buffer, net::MaxPreferredLength,
                                        &read, &total, &resume);
            if (buffer) {
                const auto* e = static_cast<const net::GROUP_USERS_INFO_1*>(buffer);
                for (uint32_t i = 0; i < read; ++i) {
                    entries << membershipText(e[i]);
                }
                b.NetApiBufferFree(buffer);
            }
        } while (status == net::MoreData);
        entries.sort();
        a.members[group] = entries;
        a.memberStatus[group] = status;
    }

    // The status of the level-3 call.
    uint32_t account(const QString& user) {
        const std::u16string name = user.toStdU16String();
        {
            void* buffer = nullptr;
            uint32_t read = 0;
            uint32_t total = 0;
            const uint32_t status = b.NetUserGetGroups(srv(), name.c_str(), 1, &buffer,
                                                       net::MaxPreferredLength, &read, &total);
            QStringList entries;
            if (buffer) {
                const auto* e = static_cast<const net::GROUP_USERS_INFO_1*>(buffer);
                for (uint32_t i = 0; i < read; ++i) {
                    entries << membershipText(e[i]);
                }
                b.NetApiBufferFree(buffer);
            }
            entries.sort();
            a.groupsOf[user] = entries;
            a.groupsOfStatus[user] = status;
        }
        Info3 info;
        void* buffer = nullptr;
        info.from = QDateTime::currentSecsSinceEpoch();
        info.status = b.NetUserGetInfo(srv(), name.c_str(), 3, &buffer);
        info.to = QDateTime::currentSecsSinceEpoch();
        if (buffer) {
            if (info.status == net::Success) {
                const auto& u = *static_cast<const net::USER_INFO_3*>(buffer);
                for (const auto& f : kFields) {
                    info.shown << f.shown(u);
                    info.numbers.push_back(f.number ? f.number(u) : 0);
                }
            }
            b.NetApiBufferFree(buffer);
        }
        const uint32_t status = info.status;
        a.info3[user] = std::move(info);
        return status;
    }

private:
    net::Text srv() const { return server.empty() ? nullptr : server.c_str(); }

    DirectoryBackend& b;
    Answers& a;
    std::u16string server;
};

// --- The export ----------------------------------------------------------------

// What the test needs of an export besides the back-end's answers: the
// names of every account and group in it (each is asked about, also those
// that no list gives) and its newest whenChanged.
struct ExportFacts {
    QStringList accounts;
    QStringList groups;
    qint64 newestChange = 0;  // seconds since 1970
};

// Reads the records of an LDIF file: folded lines joined, comments left
// out, "name:: base64" decoded.
ExportFacts readExportFacts(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        qFatal("cannot read %s", qPrintable(path));
    }
    ExportFacts facts;
    QList<QByteArray> lines;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        if (raw.startsWith(' ') && !lines.isEmpty()) {
            lines.last() += raw.mid(1);
        } else {
            lines << raw;
        }
    }
    lines << QByteArray();
    bool user = false;
    bool group = false;
    QString name;
    for (const QByteArray& line : lines) {
        if (line.isEmpty()) {
            // Computers are users too: their objectClass lists "user".
            if (!name.isEmpty() && (user || group)) {
                (user ? facts.accounts : facts.groups) << name;
            }
            user = group = false;
            name.clear();
            continue;
        }
        if (line.startsWith('#')) {
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        const QByteArray type = line.left(colon).toLower();
        QByteArray value = line.mid(colon + 1);
        if (value.startsWith(':')) {
            value = QByteArray::fromBase64(value.mid(1).trimmed());
        } else {
            value = value.trimmed();
        }
        if (type == "objectclass") {
            user |= value.toLower() == "user";
            group |= value.toLower() == "group";
        } else if (type == "samaccountname") {
            name = QString::fromUtf8(value);
        } else if (type == "whenchanged") {
            // "20261211142339.0Z"
            const QString v = QString::fromLatin1(value);
            const QDateTime t(QDate::fromString(v.left(8), "yyyyMMdd"),
                              QTime::fromString(v.mid(8, 6), "HHmmss"), QTimeZone::utc());
            if (!t.isValid() || !v.endsWith('Z')) {
                qFatal("%s: whenChanged %s is not a time in UTC", qPrintable(path), qPrintable(v));
            }
            facts.newestChange = std::max(facts.newestChange, t.toSecsSinceEpoch());
        }
    }
    return facts;
}

// --- Reading the controller in two processes ----------------------------------
//
// libnetapi holds one connection per process, and every account costs the
// controller about a dozen SAMR calls; a second process reading half of the
// accounts beside the test's own makes the controller answer two at a time,
// which cuts the wait by a third (on two cores; a third process gains
// nothing more). The helper is this very program, started
// with ZENTORY_CROSSCHECK_HELPER=ACCOUNTS-FILE:ANSWERS-FILE.

constexpr char kHelperVariable[] = "ZENTORY_CROSSCHECK_HELPER";
// This program, as main() was started.
QString g_program;

void writeAccountAnswers(QDataStream& out, const Answers& a, const QString& account) {
    const Info3& i = a.info3.at(account);
    out << account << a.groupsOfStatus.at(account) << a.groupsOf.at(account) << i.status << i.shown
        << QList<quint32>(i.numbers.begin(), i.numbers.end()) << i.from << i.to;
}

bool readAccountAnswers(QDataStream& in, Answers& a) {
    QString account;
    uint32_t groupsStatus = 0;
    QStringList groups;
    Info3 i;
    QList<quint32> numbers;
    in >> account >> groupsStatus >> groups >> i.status >> i.shown >> numbers >> i.from >> i.to;
    if (in.status() != QDataStream::Ok) {
        return false;
    }
    i.numbers.assign(numbers.begin(), numbers.end());
    a.groupsOfStatus[account] = groupsStatus;
    a.groupsOf[account] = groups;
    a.info3[account] = std::move(i);
    return true;
}

std::unique_ptr<SambaBackend> openController(QString& error) {
    SambaOptions options;
    SambaCredentials admin;
    admin.domain = testDcValue("ZENTORY_TEST_DOMAIN").toStdString();
    admin.user = testDcValue("ZENTORY_TEST_ADMIN").toStdString();
    admin.password = testDcValue("ZENTORY_TEST_ADMIN_PASSWORD").toStdString();
    options.credentials = admin;
    auto backend = std::make_unique<SambaBackend>(options);
    std::string startError;
    if (!backend->start(startError)) {
        error = QString::fromStdString(startError);
        return nullptr;
    }
    return backend;
}

// The helper's whole life: the accounts' answers from the controller into
// the answers file; 0 on success.
int runHelper(const QString& files) {
    const QString accountsPath = files.section(':', 0, 0);
    const QString answersPath = files.section(':', 1);
    QString error;
    QFile accountsFile(accountsPath);
    if (!loadTestDc(error) || !accountsFile.open(QIODevice::ReadOnly)) {
        qCritical("%s", qPrintable(error.isEmpty() ? "cannot read " + accountsPath : error));
        return 2;
    }
    QStringList accounts;
    QDataStream in(&accountsFile);
    in >> accounts;
    auto samba = openController(error);
    if (!samba) {
        qCritical("%s", qPrintable(error));
        return 2;
    }
    Answers answers;
    Reader reader(*samba, answers);
    reader.domainAndController();
    QFile answersFile(answersPath);
    if (!answersFile.open(QIODevice::WriteOnly)) {
        qCritical("cannot write %s", qPrintable(answersPath));
        return 2;
    }
    QDataStream out(&answersFile);
    for (const QString& account : accounts) {
        reader.account(account);
        writeAccountAnswers(out, answers, account);
    }
    return out.status() == QDataStream::Ok && answersFile.flush() ? 0 : 2;
}

}  // namespace

class TestCrossCheck : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<SambaBackend> samba;
    std::unique_ptr<LdifBackend> ldif;
    Answers live;    // the controller, through the samba back-end
    Answers before;  // the export made before the live answers were read
    Answers after;   // the export made after them (level 3 only)
    ExportFacts facts;
    QStringList accounts;  // every account asked about
    QStringList groups;    // every group asked about

    // The domain as ldapsearch -LLL writes it, paged as a Windows controller
    // needs it (1000 entries a page): users, computers, groups and the
    // domain's head from the domain partition, and the domain's crossRef
    // (its NetBIOS name) from the configuration partition.
    bool exportDomain(const QString& path, QString& error) {
        const QString base = testDcValue("ZENTORY_TEST_BASE_DN");
        const QStringList common = {
            "-LLL",
            "-x",
            "-H",
            "ldap://" + testDcValue("ZENTORY_TEST_DC_ADDRESS"),
            "-D",
            testDcValue("ZENTORY_TEST_ADMIN") + "@" + testDcValue("ZENTORY_TEST_DNS_DOMAIN"),
            "-w",
            testDcValue("ZENTORY_TEST_ADMIN_PASSWORD"),
            "-E",
            "pr=1000/noprompt"};
        const QList<QStringList> searches = {
            {"-b", base, "(|(objectClass=user)(objectClass=group)(objectClass=domainDNS))", "*"},
            {"-b", "CN=Partitions,CN=Configuration," + base, "(objectClass=crossRef)", "nCName",
             "nETBIOSName", "dnsRoot", "whenChanged"},
        };
        QFile::remove(path);
        for (const QStringList& search : searches) {
            QProcess p;
            p.setStandardOutputFile(path, QIODevice::Append);
            p.start("ldapsearch", common + search);
            if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit ||
                p.exitCode() != 0) {
                error = "ldapsearch " + search.join(' ') + ": " + p.errorString() + " " +
                        QString::fromUtf8(p.readAllStandardError());
                return false;
            }
            // A blank line between the two searches' records.
            QFile f(path);
            if (!f.open(QIODevice::Append) || f.write("\n") != 1) {
                error = "cannot write " + path;
                return false;
            }
        }
        return true;
    }

    // Compares one answer of both sides, with a line for each difference.
    static void compareLists(const QString& what, const QStringList& expected,
                             const QStringList& got, QStringList& differences) {
        if (expected == got) {
            return;
        }
        const std::set<QString> e(expected.begin(), expected.end());
        const std::set<QString> g(got.begin(), got.end());
        QStringList missing, extra;
        std::set_difference(e.begin(), e.end(), g.begin(), g.end(), std::back_inserter(missing));
        std::set_difference(g.begin(), g.end(), e.begin(), e.end(), std::back_inserter(extra));
        differences << what + ": " + QString::number(expected.size()) + " from the controller, " +
                           QString::number(got.size()) +
                           " from the export; only the controller: [" +
                           missing.mid(0, 10).join(", ") + "]; only the export: [" +
                           extra.mid(0, 10).join(", ") + "]";
    }

    static void report(const QStringList& differences) {
        for (const QString& d : differences.mid(0, 40)) {
            qWarning("%s", qPrintable(d));
        }
        if (differences.size() > 40) {
            qWarning("... and %lld more", qlonglong(differences.size() - 40));
        }
    }

private slots:
    void initTestCase() {
        QString error;
        if (!loadTestDc(error)) {
            QFAIL(qPrintable(error));
        }
        QVERIFY(dir.isValid());
        QElapsedTimer clock;
        clock.start();

        samba = openController(error);
        QVERIFY2(samba, qPrintable(error));
        Reader liveReader(*samba, live);
        liveReader.domainAndController();

        const QString first = dir.filePath("before.ldif");
        QVERIFY2(exportDomain(first, error), qPrintable(error));
        const qint64 exported = clock.restart();
        try {
            ldif = std::make_unique<LdifBackend>(first.toStdString());
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
        facts = readExportFacts(first);
        const qint64 loaded = clock.restart();

        Reader beforeReader(*ldif, before);
        beforeReader.domainAndController();
        liveReader.lists();
        beforeReader.lists();
        // Thousands of calls to a controller that does not answer would
        // only take long to tell the same.
        const uint32_t listed = live.userStatus.at(net::FilterNormalAccount);
        QVERIFY2(
            listed == net::Success,
            qPrintable(QString("the controller does not list its users (status %1)").arg(listed)));

        // Every account and group of the export, and whatever the lists
        // give besides.
        std::set<QString> a(facts.accounts.begin(), facts.accounts.end());
        std::set<QString> g(facts.groups.begin(), facts.groups.end());
        for (const Answers* answers : {&live, &before}) {
            for (const auto& [filter, names] : answers->users) {
                for (const QString& n : names) {
                    a.insert(n.mid(1, n.size() - 2));
                }
            }
            for (const QString& entry : answers->groups) {
                g.insert(entry.section(" | ", 0, 0).mid(1).chopped(1));
            }
        }
        accounts = QStringList(a.begin(), a.end());
        groups = QStringList(g.begin(), g.end());

        for (const QString& group : groups) {
            liveReader.members(group);
        }
        // The helper takes the first half, this process the rest.
        const QStringList helperAccounts = accounts.mid(0, accounts.size() / 2);
        const QString accountsPath = dir.filePath("helper-accounts");
        const QString answersPath = dir.filePath("helper-answers");
        {
            QFile f(accountsPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QDataStream out(&f);
            out << helperAccounts;
        }
        QProcess helper;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kHelperVariable, accountsPath + ":" + answersPath);
        helper.setProcessEnvironment(environment);
        helper.setProcessChannelMode(QProcess::ForwardedChannels);
        helper.start(g_program, {});
        QVERIFY2(helper.waitForStarted(), qPrintable(helper.errorString()));
        for (const QString& account : accounts.mid(helperAccounts.size())) {
            const uint32_t status = liveReader.account(account);
            if (status == net::BadNetPath || status == net::RpcServerUnavailable) {
                helper.kill();
                helper.waitForFinished();
                QFAIL(qPrintable(QString("the controller stopped answering at %1 (status %2)")
                                     .arg(account)
                                     .arg(status)));
            }
        }
        QVERIFY2(helper.waitForFinished(240000) && helper.exitStatus() == QProcess::NormalExit &&
                     helper.exitCode() == 0,
                 "the helper reading the other half of the accounts failed");
        {
            QFile f(answersPath);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QDataStream in(&f);
            for (qsizetype k = 0; k < helperAccounts.size(); ++k) {
                QVERIFY2(readAccountAnswers(in, live), "the helper's answers are cut short");
            }
        }
        const qint64 liveTime = clock.restart();
        for (const QString& group : groups) {
            beforeReader.members(group);
        }
        for (const QString& account : accounts) {
            beforeReader.account(account);
        }
        const qint64 ldifTime = clock.restart();

        const QString second = dir.filePath("after.ldif");
        QVERIFY2(exportDomain(second, error), qPrintable(error));
        try {
            LdifBackend later(second.toStdString());
            Reader afterReader(later, after);
            for (const QString& account : accounts) {
                afterReader.account(account);
            }
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
        qInfo(
            "%lld accounts, %lld groups; export %lld ms, load %lld ms, controller %lld ms, "
            "export's answers %lld ms, second export %lld ms",
            qlonglong(accounts.size()), qlonglong(groups.size()), exported, loaded, liveTime,
            ldifTime, clock.elapsed());
        QVERIFY2(live.errors.isEmpty(), qPrintable(live.errors.join('\n')));
        QVERIFY2(before.errors.isEmpty(), qPrintable(before.errors.join('\n')));
    }

    void cleanupTestCase() {
        ldif.reset();
        samba.reset();
    }

    // The export is of the seeded controller: a cross-check of two empty
    // answers would prove nothing.
    void exportHoldsTheSeededDomain() {
        QVERIFY(facts.accounts.size() >= 5008);
        QVERIFY(facts.accounts.contains("user5000"));
        QVERIFY(facts.groups.contains("Big5000"));
        QCOMPARE(live.members.at("Big5000").size(), 5000);
        QCOMPARE(live.info3.at("jdoe").status, net::Success);
        QVERIFY(facts.newestChange > 0);
    }

    void domainAndController() {
        QCOMPARE(before.domain, live.domain);
        QCOMPARE(before.controller, live.controller);
    }

    void userLists() {
        QStringList differences;
        for (const auto& [filter, name] : kUserFilters) {
            if (before.userStatus.at(filter) != live.userStatus.at(filter)) {
                differences << QString("%1: status %2 from the controller, %3 from the export")
                                   .arg(name)
                                   .arg(live.userStatus.at(filter))
                                   .arg(before.userStatus.at(filter));
            }
            compareLists(name, live.users.at(filter), before.users.at(filter), differences);
        }
        report(differences);
        QVERIFY2(differences.isEmpty(), "the user lists differ");
    }

    void groupList() {
        QStringList differences;
        QCOMPARE(before.groupStatus, live.groupStatus);
        compareLists("NetGroupEnum", live.groups, before.groups, differences);
        report(differences);
        QVERIFY2(differences.isEmpty(), "the group lists differ");
    }

    void groupMembers() {
        QStringList differences;
        for (const QString& group : groups) {
            if (before.memberStatus.at(group) != live.memberStatus.at(group)) {
                differences << QString("%1: status %2 from the controller, %3 from the export")
                                   .arg(group)
                                   .arg(live.memberStatus.at(group))
                                   .arg(before.memberStatus.at(group));
            }
            compareLists(group, live.members.at(group), before.members.at(group), differences);
        }
        report(differences);
        QVERIFY2(differences.isEmpty(), "group members differ");
    }

    void userGroups() {
        QStringList differences;
        for (const QString& account : accounts) {
            if (before.groupsOfStatus.at(account) != live.groupsOfStatus.at(account)) {
                differences << QString("%1: status %2 from the controller, %3 from the export")
                                   .arg(account)
                                   .arg(live.groupsOfStatus.at(account))
                                   .arg(before.groupsOfStatus.at(account));
            }
            compareLists(account, live.groupsOf.at(account), before.groupsOf.at(account),
                         differences);
        }
        report(differences);
        QVERIFY2(differences.isEmpty(), "the groups of accounts differ");
    }

    void userInfo3() {
        // By field, so that one wrong mapping reads as one line and a few
        // examples.
        std::map<QString, QStringList> byField;
        QStringList statuses;
        for (const QString& account : accounts) {
            const Info3& l = live.info3.at(account);
            const Info3& b = before.info3.at(account);
            const Info3& a = after.info3.at(account);
            if (l.status != b.status) {
                statuses << QString("%1: status %2 from the controller, %3 from the export")
                                .arg(account)
                                .arg(l.status)
                                .arg(b.status);
                continue;
            }
            if (l.status != net::Success) {
                continue;
            }
            for (size_t i = 0; i < kFieldCount; ++i) {
                const NamedException* e = exceptionFor(kFields[i].name);
                bool same = l.shown[i] == b.shown[i];
                QString detail;
                // Equal answers are never a difference, whatever the rule.
                if (same) {
                    continue;
                }
                if (e && e->rule != Rule::AgeUpToTheCall) {
                    const uint32_t second = a.status == net::Success ? a.numbers[i] : b.numbers[i];
                    const uint32_t low = std::min(b.numbers[i], second);
                    const uint32_t high = std::max(b.numbers[i], second) +
                                          (e->rule == Rule::TimeBetweenExports ? 1 : 0);
                    same = (low <= l.numbers[i] && l.numbers[i] <= high) ||
                           (e->rule == Rule::BetweenExportsOrZero && l.numbers[i] == 0);
                    detail = QString(" (second export %1)").arg(second);
                } else if (e) {
                    const qint64 difference = qint64(l.numbers[i]) - qint64(b.numbers[i]);
                    const qint64 low = l.from - facts.newestChange - 1;
                    const qint64 high = l.to - facts.newestChange + 1;
                    same = (l.numbers[i] == 0 && b.numbers[i] == 0) ||
                           (low <= difference && difference <= high);
                    detail = QString(" (the export's newest change %1 s before the call)")
                                 .arg(l.from - facts.newestChange);
                }
                if (!same) {
                    byField[kFields[i].name] << account + ": controller " + l.shown[i] +
                                                    ", export " + b.shown[i] + detail;
                }
            }
        }
        QStringList differences = statuses;
        for (const auto& [field, lines] : byField) {
            differences << QString("%1 differs for %2 accounts, e.g. %3")
                               .arg(field)
                               .arg(lines.size())
                               .arg(lines.mid(0, 4).join("; "));
        }
        report(differences);
        QVERIFY2(differences.isEmpty(), "level-3 information differs");
    }

    // Every field is in the table once, and every named exception is one of
    // them, each named once.
    void fieldsAndExceptions() {
        std::set<QString> fields;
        for (const auto& f : kFields) {
            QVERIFY2(fields.insert(f.name).second, f.name);
        }
        std::set<QString> seen;
        for (const auto& e : kExceptions) {
            QVERIFY2(std::any_of(std::begin(kFields), std::end(kFields),
                                 [&](const Field& f) { return qstrcmp(f.name, e.field) == 0; }),
                     e.field);
            QVERIFY2(seen.insert(e.field).second, e.field);
        }
    }
};

int main(int argc, char** argv) {
    g_program = QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath();
    if (qEnvironmentVariableIsSet(kHelperVariable)) {
        return runHelper(qEnvironmentVariable(kHelperVariable));
    }
    TestCrossCheck test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_crosscheck.moc"
