#include "uCompare.h"

#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <exception>

#include "CompareCsv.h"
#include "DesktopServices.h"
#include "Icons.h"
#include "Spreadsheet.h"
#ifdef _WIN32
#include "ExcelAutomation.h"
#endif

namespace {

QWidget* gap(QWidget* parent, int width) {
    auto* w = new QWidget(parent);
    w->setFixedWidth(width);
    return w;
}

QPushButton* captionButton(QWidget* parent, const char* name, const QString& caption,
                           const QIcon& icon) {
    auto* b = new QPushButton(icon, caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setFixedHeight(25);
    return b;
}

// The hourglass for as long as a build or an export runs, the normal cursor
// afterwards, also when it ends by an error.
class Hourglass {
public:
    explicit Hourglass(DesktopServices& desktop) : m_desktop(desktop) { m_desktop.setHourglass(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
    ~Hourglass() { end(); }
    void end() {
        if (m_on) {
            m_on = false;
            m_desktop.setNormalCursor();
        }
    }

private:
    DesktopServices& m_desktop;
    bool m_on = true;
};

}  // namespace

TfrmCompare::TfrmCompare(MainServices& main, QWidget* parent) : QDialog(parent), m_main(main) {
    setObjectName(QStringLiteral("frmCompare"));
    QFont design(QStringLiteral("Tahoma"));
    design.setPixelSize(11);
    setFont(design);
    resize(635, 299);
    setSizeGripEnabled(false);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    StringGrid = new CompareGrid(this);
    StringGrid->setObjectName(QStringLiteral("StringGrid"));
    root->addWidget(StringGrid, 1);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(33);
    auto* bar = new QHBoxLayout(Panel1);
    bar->setContentsMargins(4, 4, 4, 4);
    bar->setSpacing(0);
    bbtConfig = new QToolButton(Panel1);
    bbtConfig->setObjectName(QStringLiteral("bbtConfig"));
    bbtConfig->setIcon(themedIcon("preferences-system", QStyle::SP_FileDialogDetailedView));
    bbtConfig->setFixedSize(25, 25);
    bbtConfig->setIconSize(QSize(17, 17));
    bbtConfig->setToolTip(QStringLiteral("Configuration..."));
    bbtExcel = captionButton(Panel1, "bbtExcel", QStringLiteral("Excel"),
                             themedIcon("x-office-spreadsheet", QStyle::SP_FileDialogListView));
    bbtCSV = captionButton(Panel1, "bbtCSV", QStringLiteral("Save as csv ..."),
                           themedIcon("document-save-as", QStyle::SP_DialogSaveButton));
    bbtClose = captionButton(Panel1, "bbtClose", QStringLiteral("Close"),
                             themedIcon("window-close", QStyle::SP_DialogCloseButton));
    bar->addWidget(bbtConfig);
    bar->addWidget(gap(Panel1, 16));
    bar->addWidget(bbtExcel);
    bar->addWidget(gap(Panel1, 16));
    bar->addWidget(bbtCSV);
    bar->addStretch(1);
    bar->addWidget(bbtClose);
    root->addWidget(Panel1);

    connect(bbtClose, &QPushButton::clicked, this,
            [this] { guarded(&TfrmCompare::bbtCloseClick); });
    connect(bbtConfig, &QToolButton::clicked, this,
            [this] { guarded(&TfrmCompare::bbtConfigClick); });
    connect(bbtCSV, &QPushButton::clicked, this, [this] { guarded(&TfrmCompare::bbtCSVClick); });
    connect(bbtExcel, &QPushButton::clicked, this,
            [this] { guarded(&TfrmCompare::bbtExcelClick); });

    FormCreate();
    bbtClose->setFocus();
}

void TfrmCompare::FormCreate() {
    // Key preview: the window sees every key before the control that has
    // the focus, so Escape closes it from wherever the focus is.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) {
        w->installEventFilter(this);
    }
}

bool TfrmCompare::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            FormKeyPress(QChar(27));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmCompare::FormKeyPress(QChar key) {
    if (key == QChar(27)) {
        close();
    }
}

void TfrmCompare::guarded(void (TfrmCompare::*handler)()) {
    // As the toolkit does for a handler: an error that escapes it is shown
    // and the window stays open.
    try {
        (this->*handler)();
    } catch (const std::exception& e) {
        m_main.desktop().error(this, QString::fromUtf8(e.what()));
    }
}

void TfrmCompare::Build(const QString& title) {
    m_building = true;
    try {
        Hourglass hourglass(m_main.desktop());
        if (title == kTitleGroupsUsers) {
            BuildGroupsUsers();
        } else if (title == kTitleUsersGroups) {
            BuildUsersGroups();
        } else {
            BuildUsersAttributes();
        }
    } catch (...) {
        m_building = false;
        throw;
    }
    m_building = false;
    setWindowTitle(StringGrid->table().Title);
}

void TfrmCompare::BuildGroupsUsers() {
    StringGrid->setTable(
        ::BuildGroupsUsers(m_main, FDCName, FGroups, [this] { m_main.desktop().processEvents(); }));
}

void TfrmCompare::BuildUsersGroups() {
    StringGrid->setTable(
        ::BuildUsersGroups(m_main, FDCName, FUsers, [this] { m_main.desktop().processEvents(); }));
}

void TfrmCompare::BuildUsersAttributes() {
    StringGrid->setTable(
        ::BuildUsersAttributes(m_main, FUsers, [this] { m_main.desktop().processEvents(); }));
}

void TfrmCompare::FitColumnWidths() {
    StringGrid->fitColumnWidths();
}

void TfrmCompare::bbtCloseClick() {
    close();
}

void TfrmCompare::bbtConfigClick() {
    // The window handles its messages while it builds; a second click on
    // the button then would start a build that the first one, finishing
    // later, overwrites with the table of the settings before.
    if (m_building) {
        return;
    }
    const QString title = windowTitle();
    int page = 0;
    if (title == kTitleUsersGroups) {
        page = 1;
    } else if (title == kTitleUsersAttributes) {
        page = 2;
    } else if (title == kTitleGroupsUsers) {
        page = 1;
    }
    if (!m_main.EditConfiguration(m_main.config(), page)) {
        return;
    }
    m_main.SaveConfig();
    StringGrid->clearCells();
    // The widths stay as the user has them; columns that the new table has
    // beyond the old ones get the grid's default width.
    Build(title);
}

void TfrmCompare::bbtCSVClick() {
    DesktopServices& desktop = m_main.desktop();
    const QString fileName = desktop.saveFileName(this, QStringLiteral("Save as csv"), QString(),
                                                  QStringLiteral("Coma Delimited files (*.csv)"));
    if (fileName.isEmpty()) {
        return;
    }
    QString error;
    if (!WriteCompareCsv(StringGrid->table(), fileName, error)) {
        desktop.error(this, error);
    }
}

void TfrmCompare::bbtExcelClick() {
    DesktopServices& desktop = m_main.desktop();
    const tyCompareTable& table = StringGrid->table();
    Hourglass hourglass(desktop);
    if (const QString problem = SheetSizeProblem(table); !problem.isEmpty()) {
        hourglass.end();
        desktop.error(this, problem);
        return;
    }
#ifdef _WIN32
    std::u16string error;
    const bool sent = SendTableToExcel(
        size_t(table.RowCount), size_t(table.ColCount),
        [&table](size_t row, size_t col) {
            return table.Cells(int(col), int(row)).toStdU16String();
        },
        error);
    hourglass.end();
    if (!sent) {
        desktop.error(this, QString::fromStdU16String(error));
    }
#else
    // A folder of its own, left for the application that opens the file;
    // the workbook is a new one every time, as a new Excel workbook is.
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/zentory-comparison-XXXXXX"));
    if (!folder.isValid()) {
        hourglass.end();
        desktop.error(this,
                      QStringLiteral("Cannot create a temporary folder for the spreadsheet. ") +
                          folder.errorString());
        return;
    }
    folder.setAutoRemove(false);
    const QString path = folder.filePath(table.Title + QStringLiteral(".xlsx"));
    QString error;
    const bool written = WriteXlsxWorkbook(table, path, error);
    hourglass.end();
    if (!written) {
        QDir(folder.path()).removeRecursively();
        desktop.error(this, error);
        return;
    }
    if (!desktop.openWithDefaultApplication(path)) {
        desktop.warning(this, QStringLiteral("No application could open the spreadsheet. It is "
                                             "saved as \"%1\".")
                                  .arg(QDir::toNativeSeparators(path)));
    }
#endif
}

// ---- entry operations -------------------------------------------------------

namespace {

std::unique_ptr<TfrmCompare> newWindow(MainServices& main, const QString& server) {
    auto w = std::make_unique<TfrmCompare>(main, main.window());
    w->FDCName = server;
    return w;
}

}  // namespace

std::unique_ptr<TfrmCompare> MakeCompareGroupsUsers(MainServices& main, const QString& server,
                                                    const tyArrGroup1& groups) {
    auto w = newWindow(main, server);
    w->FGroups = groups;
    w->Build(kTitleGroupsUsers);
    w->FitColumnWidths();
    return w;
}

std::unique_ptr<TfrmCompare> MakeCompareUsersGroups(MainServices& main, const QString& server,
                                                    const tyArrUsers& users) {
    auto w = newWindow(main, server);
    w->FUsers = users;
    w->Build(kTitleUsersGroups);
    w->FitColumnWidths();
    return w;
}

std::unique_ptr<TfrmCompare> MakeCompareUsersAttributes(MainServices& main, const QString& server,
                                                        const tyArrUsers& users) {
    auto w = newWindow(main, server);
    w->FUsers = users;
    w->Build(kTitleUsersAttributes);
    w->FitColumnWidths();
    return w;
}

void CompareGroupsUsers(MainServices& main, const QString& server, const tyArrGroup1& groups) {
    if (groups.empty()) {
        main.desktop().error(main.window(), QStringLiteral("Select at least one group."));
        return;
    }
    MakeCompareGroupsUsers(main, server, groups)->exec();
}

void CompareUsersGroups(MainServices& main, const QString& server, const tyArrUsers& users) {
    if (users.empty()) {
        main.desktop().error(main.window(), QStringLiteral("Select at least one user."));
        return;
    }
    MakeCompareUsersGroups(main, server, users)->exec();
}

void CompareUsersAttributes(MainServices& main, const QString& server, const tyArrUsers& users) {
    if (users.empty()) {
        main.desktop().error(main.window(), QStringLiteral("Select at least one user."));
        return;
    }
    MakeCompareUsersAttributes(main, server, users)->exec();
}
