// The groups' users table on a large LDIF export, without a window: its
// build against the member reads it makes, a straightforward builder (a
// list scan per cell) against ours, and the CSV export against writing the
// same bytes at once.

#include <fcntl.h>
#include <unistd.h>
#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include "CompareCsv.h"
#include "CompareTable.h"
#include "DirectoryAccounts.h"
#include "LdifBackend.h"
#include "Queries.h"

namespace {

class PrintingReporter : public ErrorReporter {
public:
    void showError(const std::u16string& text) override {
        std::fprintf(stderr, "error box: %s\n",
                     QString::fromStdU16String(text).toLocal8Bit().constData());
    }
};

double bestOf(int runs, const std::function<void()>& f) {
    double best = 1e100;
    for (int k = 0; k < runs; ++k) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, double(t.nsecsElapsed()) / 1e6);
    }
    return best;
}

tyArrGroup1 groupsNamed(const tyArrGroup1& all, int first, int count) {
    tyArrGroup1 out;
    for (int g = first; g < first + count; ++g) {
        const std::u16string name =
            QStringLiteral("Group %1").arg(g, 5, 10, QLatin1Char('0')).toStdU16String();
        const auto it =
            std::find_if(all.begin(), all.end(), [&](const tyGroup1& x) { return x.Name == name; });
        if (it != all.end()) {
            out.push_back(*it);
        }
    }
    return out;
}

// The groups' users table as it is written first: the column names gathered
// by looking each one up in the list so far, sorted, and every cell found by
// scanning its group's member list.
tyCompareTable straightforwardGroupsUsers(AccountServices& accounts, const QString& server,
                                          const tyArrGroup1& groups) {
    const std::u16string dc = server.toStdU16String();
    std::vector<QStringList> members;
    QStringList names;
    for (const auto& g : groups) {
        tyArrGroupUsersInfo1 entries;
        accounts.queries().GetGroupUsers(dc, g.Name, entries);
        QStringList list;
        for (const auto& e : entries) {
            const QString name = QString::fromStdU16String(e.Name);
            list.append(name);
            if (!names.contains(name, Qt::CaseInsensitive)) {
                names.append(name);
            }
        }
        members.push_back(list);
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), collator);

    tyCompareTable t;
    t.Title = kTitleGroupsUsers;
    t.SetSize(int(names.size()) + 1, int(groups.size()) + 1);
    t.FixedCols = 1;
    t.FixedRows = 1;
    for (int k = 0; k < names.size(); ++k) {
        t.SetCell(1 + k, 0, names[k]);
    }
    for (size_t i = 0; i < groups.size(); ++i) {
        t.SetCell(0, 1 + int(i), QString::fromStdU16String(groups[i].Name));
        for (int k = 0; k < names.size(); ++k) {
            if (members[i].contains(names[k], Qt::CaseInsensitive)) {
                t.SetCell(1 + k, 1 + int(i), kMembershipMark);
            }
        }
    }
    return t;
}

bool sameCells(const tyCompareTable& a, const tyCompareTable& b) {
    if (a.ColCount != b.ColCount || a.RowCount != b.RowCount) {
        return false;
    }
    for (int r = 0; r < a.RowCount; ++r) {
        for (int c = 0; c < a.ColCount; ++c) {
            if (a.Cells(c, r) != b.Cells(c, r)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_compare FILE.ldif [SCENARIO...]\n");
        return 2;
    }
    // The scenarios named after the file, or all of them; 4 always, as 6
    // exports its table.
    const auto wanted = [&](const char* n) {
        if (argc < 3) {
            return true;
        }
        for (int i = 2; i < argc; ++i) {
            if (std::strcmp(argv[i], n) == 0) {
                return true;
            }
        }
        return false;
    };
    LdifBackend backend(argv[1]);
    PrintingReporter reporter;
    DirectoryQueries queries(backend, reporter);
    tyConfig config;
    DirectoryAccounts accounts(queries, config);
    accounts.Load();
    const QString dc = accounts.dcName();
    const std::u16string dc16 = dc.toStdU16String();

    // 4: fifty groups of 20 000 members.
    const tyArrGroup1 large = groupsNamed(accounts.allGroups(), 1, 50);
    const double reads = bestOf(5, [&] {
        for (const auto& g : large) {
            tyArrGroupUsersInfo1 entries;
            queries.GetGroupUsers(dc16, g.Name, entries);
        }
    });
    tyCompareTable table;
    const double build = bestOf(5, [&] { table = BuildGroupsUsers(accounts, dc, large); });
    std::printf(
        "4 groups_users_50x20000: build %.1f ms, its %zu member reads alone %.1f ms, "
        "%d x %d cells, ratio %.2f (goal <= 1.5)\n",
        build, large.size(), reads, table.ColCount, table.RowCount, build / reads);

    // 6: that table as CSV.
    if (wanted("6")) {
        const QString csvFile = QDir::temp().filePath(QStringLiteral("zentory-bench.csv"));
        const QString rawFile = QDir::temp().filePath(QStringLiteral("zentory-bench.raw"));
        QString error;
        const double exportMs = bestOf(5, [&] {
            if (!WriteCompareCsv(table, csvFile, error)) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
            }
        });
        QFile written(csvFile);
        written.open(QIODevice::ReadOnly);
        const QByteArray bytes = written.readAll();
        written.close();
        const double writeMs = bestOf(5, [&] {
            const int fd =
                ::open(QFile::encodeName(rawFile).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd >= 0) {
                if (::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size()) {
                    std::fprintf(stderr, "short write\n");
                }
                ::close(fd);
            }
        });
        // The same bytes saved as the export saves them: a temporary file,
        // synced to disk and renamed over the target.
        const double safeMs = bestOf(5, [&] {
            QSaveFile f(rawFile);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
                std::fprintf(stderr, "safe save failed\n");
            }
        });
        std::printf(
            "6 csv_export: %.1f ms for %.1f MB, one write of the same bytes %.1f ms, "
            "ratio %.2f (goal <= 3); the same bytes saved safely %.1f ms\n",
            exportMs, double(bytes.size()) / 1048576.0, writeMs, exportMs / writeMs, safeMs);
        QFile::remove(csvFile);
        QFile::remove(rawFile);
    }

    // 5: ten groups of 2 000 members, both builders.
    if (!wanted("5")) {
        return 0;
    }
    const tyArrGroup1 small = groupsNamed(accounts.allGroups(), 51, 10);
    tyCompareTable ours;
    tyCompareTable plain;
    const double oursMs = bestOf(5, [&] { ours = BuildGroupsUsers(accounts, dc, small); });
    const double plainMs =
        bestOf(1, [&] { plain = straightforwardGroupsUsers(accounts, dc, small); });
    std::printf(
        "5 groups_users_10x2000: list scan per cell %.1f ms, ours %.1f ms, "
        "same cells: %s, ratio %.0f (expect >= 100)\n",
        plainMs, oursMs, sameCells(ours, plain) ? "yes" : "NO", plainMs / oursMs);
    return 0;
}
