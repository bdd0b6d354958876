#include "uMain.h"

#include <QCloseEvent>
#include <QDate>
#include <QHBoxLayout>
#include <QResizeEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <stdexcept>

#include "Icons.h"
#include "ListFontQt.h"
#include "Ordering.h"
#include "SettingsStorage.h"
#include "SettingsStore.h"
#include "Splitter.h"
#include "ZentoryBuild.h"
#include "uDomainDC.h"

namespace {

constexpr int kSplitterWidth = 8;
constexpr int kPaneMinimum = 376;
// The users combo box shows full names only below this many users: each
// full name costs a directory read the first time.
constexpr size_t kFullNameComboLimit = 200;

QString q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}
std::u16string u(const QString& s) {
    return s.toStdU16String();
}

QString nameKeyOf(const QString& name) {
    return q(NameKey(u(name)));
}

QToolButton* pictureButton(QWidget* parent, const char* name, const QIcon& icon, int size,
                           const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(icon);
    b->setFixedSize(size, size);
    b->setIconSize(QSize(size - 8, size - 8));
    b->setToolTip(hint);
    b->setAutoRaise(false);
    return b;
}

QPushButton* captionButton(QWidget* parent, const char* name, const QString& caption,
                           const QIcon& icon, const QString& hint) {
    auto* b = new QPushButton(icon, caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setFixedHeight(25);
    return b;
}

QLabel* boldLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

// A read-only line drawn like the window's face, without a border.
QLineEdit* readOnlyLine(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(true);
    e->setFrame(false);
    QPalette p = e->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    e->setPalette(p);
    return e;
}

QWidget* spacer(QWidget* parent, const char* name, int width) {
    auto* w = new QWidget(parent);
    w->setObjectName(QLatin1String(name));
    w->setFixedWidth(width);
    return w;
}

}  // namespace

TfrmMain::TfrmMain(DirectoryQueries& queries, DesktopServices& desktop, SettingsStorage* storage,
                   QWidget* parent)
    : QWidget(parent), m_queries(queries), m_desktop(desktop), m_storage(storage) {
    setObjectName(QStringLiteral("frmMain"));
    buildWindow();
    FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::buildWindow() {
    QFont design(QStringLiteral("Tahoma"));
    design.setPointSize(8);
    setFont(design);
    resize(800, 480);
    setMinimumWidth(2 * kPaneMinimum + kSplitterWidth);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto* splitter = new DoubleClickSplitter(Qt::Horizontal, this);
    Splitter = splitter;
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setHandleWidth(kSplitterWidth);
    // Live resizing, and neither pane can be dragged shut.
    Splitter->setOpaqueResize(true);
    Splitter->setChildrenCollapsible(false);
    connect(splitter, &DoubleClickSplitter::handleDoubleClicked, this,
            [this] { guarded([this] { SplitterDblClick(); }); });
    root->addWidget(Splitter, 1);

    // Left pane: from a group to its members.
    pnlLeft = new QWidget(Splitter);
    pnlLeft->setObjectName(QStringLiteral("pnlLeft"));
    pnlLeft->setMinimumWidth(kPaneMinimum);
    auto* leftLayout = new QVBoxLayout(pnlLeft);
    leftLayout->setContentsMargins(4, 4, 4, 4);
    gbxGroupsAndUsers = new QGroupBox(QStringLiteral("Groups (&& users)"), pnlLeft);
    gbxGroupsAndUsers->setObjectName(QStringLiteral("gbxGroupsAndUsers"));
    leftLayout->addWidget(gbxGroupsAndUsers);
    auto* gl = new QVBoxLayout(gbxGroupsAndUsers);
    lblGroups = new QLabel(QStringLiteral("Select a Group"), gbxGroupsAndUsers);
    lblGroups->setObjectName(QStringLiteral("lblGroups"));
    gl->addWidget(lblGroups);
    auto* groupRow = new QHBoxLayout;
    cbxGroups = new AccountCombo(gbxGroupsAndUsers);
    cbxGroups->setObjectName(QStringLiteral("cbxGroups"));
    lblGroups->setBuddy(cbxGroups);
    bbtGetUsers = pictureButton(gbxGroupsAndUsers, "bbtGetUsers",
                                themedIcon("go-next", QStyle::SP_ArrowForward), 33,
                                QStringLiteral("Show users in this group"));
    groupRow->addWidget(cbxGroups, 1);
    groupRow->addWidget(bbtGetUsers, 0, Qt::AlignTop);
    gl->addLayout(groupRow);
    edtGroupComment = readOnlyLine(gbxGroupsAndUsers, "edtGroupComment");
    gl->addWidget(edtGroupComment);
    Label1 = boldLabel(gbxGroupsAndUsers, "Label1", QStringLiteral("Users in this group"));
    gl->addWidget(Label1);
    chklbxUsers = new AccountCheckList(gbxGroupsAndUsers);
    chklbxUsers->setObjectName(QStringLiteral("chklbxUsers"));
    gl->addWidget(chklbxUsers, 1);
    auto* leftButtons = new QHBoxLayout;
    bbtSelectAllUsers = pictureButton(gbxGroupsAndUsers, "bbtSelectAllUsers",
                                      themedIcon("edit-select-all", QStyle::SP_DialogApplyButton),
                                      25, QStringLiteral("Check every known user"));
    bbtCompareUsers =
        captionButton(gbxGroupsAndUsers, "bbtCompareUsers", QStringLiteral("Compare users"),
                      themedIcon("view-list-details", QStyle::SP_FileDialogListView),
                      QStringLiteral("Compare selected groups"));
    bbtCompareUsers->setProperty("Tag", 1);
    bbtUserLock = captionButton(gbxGroupsAndUsers, "bbtUserLock", QStringLiteral("Check"),
                                themedIcon("dialog-password", QStyle::SP_FileDialogInfoView),
                                QStringLiteral("Compare the attributes of the selected users"));
    bbtUserLock->setProperty("Tag", 2);
    bbtCopyUsersToClipboard = captionButton(
        gbxGroupsAndUsers, "bbtCopyUsersToClipboard", QStringLiteral("Copy to clipboard"),
        themedIcon("edit-copy", QStyle::SP_DialogSaveButton),
        QStringLiteral("Copy the groups list to the clipboard"));
    leftButtons->addWidget(bbtSelectAllUsers);
    leftButtons->addWidget(bbtCompareUsers);
    leftButtons->addWidget(bbtUserLock);
    leftButtons->addStretch(1);
    leftButtons->addWidget(bbtCopyUsersToClipboard);
    gl->addLayout(leftButtons);

    // Right pane: from a user to the user's groups.
    pnlClient = new QWidget(Splitter);
    pnlClient->setObjectName(QStringLiteral("pnlClient"));
    pnlClient->setMinimumWidth(kPaneMinimum);
    auto* rightLayout = new QVBoxLayout(pnlClient);
    rightLayout->setContentsMargins(4, 4, 4, 4);
    gbxUsersAndGroups = new QGroupBox(QStringLiteral("Users (&& groups)"), pnlClient);
    gbxUsersAndGroups->setObjectName(QStringLiteral("gbxUsersAndGroups"));
    rightLayout->addWidget(gbxUsersAndGroups);
    auto* ul = new QVBoxLayout(gbxUsersAndGroups);
    lblUsers = new QLabel(QStringLiteral("Select an User"), gbxUsersAndGroups);
    lblUsers->setObjectName(QStringLiteral("lblUsers"));
    ul->addWidget(lblUsers);
    auto* userRow = new QHBoxLayout;
    cbxUsers = new AccountCombo(gbxUsersAndGroups);
    cbxUsers->setObjectName(QStringLiteral("cbxUsers"));
    lblUsers->setBuddy(cbxUsers);
    bbtGetGroups = pictureButton(gbxUsersAndGroups, "bbtGetGroups",
                                 themedIcon("go-next", QStyle::SP_ArrowForward), 33,
                                 QStringLiteral("Show groups of this user"));
    userRow->addWidget(cbxUsers, 1);
    userRow->addWidget(bbtGetGroups, 0, Qt::AlignTop);
    ul->addLayout(userRow);
    auto* detailRow = new QHBoxLayout;
    auto* lines = new QGridLayout;
    auto* fullNameLabel = boldLabel(gbxUsersAndGroups, "lblFullName", QStringLiteral("Full name"));
    ledtFullName = readOnlyLine(gbxUsersAndGroups, "ledtFullName");
    ledtFullName->setFocusPolicy(Qt::NoFocus);
    fullNameLabel->setBuddy(ledtFullName);
    auto* commentLabel = boldLabel(gbxUsersAndGroups, "lblComment", QStringLiteral("Comment"));
    ledtComment = readOnlyLine(gbxUsersAndGroups, "ledtComment");
    ledtComment->setFocusPolicy(Qt::NoFocus);
    commentLabel->setBuddy(ledtComment);
    lines->addWidget(fullNameLabel, 0, 0);
    lines->addWidget(ledtFullName, 0, 1);
    lines->addWidget(commentLabel, 1, 0);
    lines->addWidget(ledtComment, 1, 1);
    lines->setColumnStretch(1, 1);
    bbtShowUserFullInfos = pictureButton(gbxUsersAndGroups, "bbtShowUserFullInfos",
                                         themedIcon("user-info", QStyle::SP_FileDialogContentsView),
                                         33, QStringLiteral("Show details about the user"));
    detailRow->addLayout(lines, 1);
    detailRow->addWidget(bbtShowUserFullInfos, 0, Qt::AlignTop);
    ul->addLayout(detailRow);
    Label2 = boldLabel(gbxUsersAndGroups, "Label2", QStringLiteral("Groups of this user"));
    ul->addWidget(Label2);
    chklbxGroups = new AccountCheckList(gbxUsersAndGroups);
    chklbxGroups->setObjectName(QStringLiteral("chklbxGroups"));
    ul->addWidget(chklbxGroups, 1);
    auto* rightButtons = new QHBoxLayout;
    bbtSelectAlGroups = pictureButton(gbxUsersAndGroups, "bbtSelectAlGroups",
                                      themedIcon("edit-select-all", QStyle::SP_DialogApplyButton),
                                      25, QStringLiteral("Check every known group"));
    bbtCompareGroups =
        captionButton(gbxUsersAndGroups, "bbtCompareGroups", QStringLiteral("Compare groups"),
                      themedIcon("view-list-details", QStyle::SP_FileDialogListView),
                      QStringLiteral("Compare selected users"));
    bbtCopyGroupsToClipboard = captionButton(
        gbxUsersAndGroups, "bbtCopyGroupsToClipboard", QStringLiteral("Copy to clipboard"),
        themedIcon("edit-copy", QStyle::SP_DialogSaveButton),
        QStringLiteral("Copy the users list to the clipboard"));
    rightButtons->addWidget(bbtSelectAlGroups);
    rightButtons->addWidget(bbtCompareGroups);
    rightButtons->addStretch(1);
    rightButtons->addWidget(bbtCopyGroupsToClipboard);
    ul->addLayout(rightButtons);

    Splitter->addWidget(pnlLeft);
    Splitter->addWidget(pnlClient);

    // Bottom bar.
    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setFixedHeight(33);
    auto* bar = new QHBoxLayout(pnlBottom);
    bar->setContentsMargins(4, 4, 4, 4);
    bar->setSpacing(0);
    bbtAbout = pictureButton(pnlBottom, "bbtAbout",
                             themedIcon("help-about", QStyle::SP_MessageBoxInformation), 25,
                             QStringLiteral("About this program..."));
    bbtPDC_Show = pictureButton(pnlBottom, "bbtPDC_Show",
                                themedIcon("network-server", QStyle::SP_ComputerIcon), 25,
                                QStringLiteral("Show Domain & DC"));
    bbtConfig = pictureButton(pnlBottom, "bbtConfig",
                              themedIcon("preferences-system", QStyle::SP_FileDialogDetailedView),
                              25, QStringLiteral("Configuration..."));
    bbtCompare = captionButton(pnlBottom, "bbtCompare", QStringLiteral("Advanced comparison"),
                               themedIcon("edit-find", QStyle::SP_FileDialogContentsView),
                               QStringLiteral("Advanced selection for comparison..."));
    bbtCompare->setFixedSize(138, 25);
    bbtClose = pictureButton(pnlBottom, "bbtClose",
                             themedIcon("application-exit", QStyle::SP_DialogCloseButton), 25,
                             QStringLiteral("Quit the program"));
    bar->addWidget(bbtAbout);
    bar->addWidget(spacer(pnlBottom, "pnlSpace1", 8));
    bar->addWidget(bbtPDC_Show);
    bar->addWidget(spacer(pnlBottom, "pnlSpace2", 8));
    bar->addWidget(bbtConfig);
    bar->addWidget(spacer(pnlBottom, "pnlSpace3", 8));
    bar->addWidget(bbtCompare);
    bar->addStretch(1);
    bar->addWidget(bbtClose);
    root->addWidget(pnlBottom);

    tmrPleaseDonate = new QTimer(this);
    tmrPleaseDonate->setObjectName(QStringLiteral("tmrPleaseDonate"));

    // Events.
    connectClick(bbtGetUsers, &TfrmMain::bbtGetUsersClick);
    connectClick(bbtGetGroups, &TfrmMain::bbtGetGroupsClick);
    connectClick(bbtSelectAllUsers, &TfrmMain::bbtSelectAllUsersClick);
    connectClick(bbtSelectAlGroups, &TfrmMain::bbtSelectAlGroupsClick);
    for (QPushButton* b : {bbtCompareUsers, bbtUserLock}) {
        connect(b, &QAbstractButton::clicked, this,
                [this, b] { guarded([this, b] { bbtCompareUsersClick(b); }); });
    }
    connectClick(bbtCompareGroups, &TfrmMain::bbtCompareGroupsClick);
    connectClick(bbtCopyUsersToClipboard, &TfrmMain::bbtCopyUsersToClipboardClick);
    connectClick(bbtCopyGroupsToClipboard, &TfrmMain::bbtCopyGroupsToClipboardClick);
    connectClick(bbtShowUserFullInfos, &TfrmMain::bbtShowUserFullInfosClick);
    connectClick(bbtConfig, &TfrmMain::bbtConfigClick);
    connectClick(bbtAbout, &TfrmMain::bbtAboutClick);
    connectClick(bbtPDC_Show, &TfrmMain::bbtPDC_ShowClick);
    connectClick(bbtCompare, &TfrmMain::bbtCompareClick);
    connectClick(bbtClose, &TfrmMain::bbtCloseClick);
    connect(cbxGroups, &AccountCombo::itemChosen, this,
            [this] { guarded([this] { cbxGroupsSelect(); }); });
    connect(cbxUsers, &AccountCombo::itemChosen, this,
            [this] { guarded([this] { cbxUsersSelect(); }); });
    // Enter in a combo box does what the button beside it does.
    connect(cbxGroups, &AccountCombo::enterPressed, bbtGetUsers, &QAbstractButton::click);
    connect(cbxUsers, &AccountCombo::enterPressed, bbtGetGroups, &QAbstractButton::click);
    connect(chklbxUsers, &AccountCheckList::checkToggled, this,
            [this] { guarded([this] { chklbxUsersClickCheck(); }); });
    connect(chklbxGroups, &AccountCheckList::checkToggled, this,
            [this] { guarded([this] { chklbxGroupsClickCheck(); }); });
    connect(chklbxUsers, &AccountCheckList::itemDoubleClicked, this,
            [this] { guarded([this] { chklbxUsersDblClick(); }); });
    connect(chklbxGroups, &AccountCheckList::itemDoubleClicked, this,
            [this] { guarded([this] { chklbxGroupsDblClick(); }); });
    connect(tmrPleaseDonate, &QTimer::timeout, this,
            [this] { guarded([this] { tmrPleaseDonateTimer(); }); });

    setTabOrder(cbxGroups, bbtGetUsers);
    setListFont(tyListFont{});
    hooksChanged();
}

void TfrmMain::connectClick(QAbstractButton* button, void (TfrmMain::*handler)()) {
    connect(button, &QAbstractButton::clicked, this,
            [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
}

void TfrmMain::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        m_desktop.error(this, QString::fromUtf8(e.what()));
    }
}

void TfrmMain::hooksChanged() {
    bbtAbout->setEnabled(bool(ShowAbout));
    bbtConfig->setEnabled(bool(ConfigurationDialog));
    bbtCompare->setEnabled(bool(ShowAdvancedComparison));
    bbtCompareUsers->setEnabled(bool(CompareUsersGroups));
    bbtUserLock->setEnabled(bool(CompareUsersAttributes));
    bbtCompareGroups->setEnabled(bool(CompareGroupsUsers));
    bbtShowUserFullInfos->setEnabled(bool(ShowUserInfo3));
}

void TfrmMain::FormCreate() {
    FKnownUsers.clear();
    FKnownGroups.clear();
    setWindowTitle(QApplication::applicationDisplayName());
    SetDefaultConfig(FConfig);
    // A settings value of the wrong type stops the load where it is; the
    // window is made all the same, with what was read up to there.
    guarded([this] { LoadConfig(); });
    // Five minutes after start, once.
    tmrPleaseDonate->setInterval(300000);
    tmrPleaseDonate->setSingleShot(false);
    tmrPleaseDonate->start();
    bbtClose->setFocus();
}

void TfrmMain::SetDefaultConfig(tyConfig& pConfig) {
    SetDefaultConfigValues(pConfig, CurrentDate());
}

void TfrmMain::LoadConfig() {
    if (!m_storage) {
        return;
    }
    tyListFont font = m_listFont;
    try {
        m_storage->load(FConfig, font);
    } catch (...) {
        // What was read before the fault counts, the font as well.
        setListFont(font);
        throw;
    }
    setListFont(font);
}

void TfrmMain::SaveConfig() {
    if (m_storage) {
        m_storage->save(FConfig, m_listFont);
    }
}

void TfrmMain::setListFont(const tyListFont& font) {
    m_listFont = font;
    const QFont f = ToQFont(font);
    for (QWidget* w :
         std::initializer_list<QWidget*>{cbxUsers, cbxGroups, chklbxUsers, chklbxGroups}) {
        w->setFont(f);
        QPalette p = w->palette();
        p.setColor(QPalette::Text, ToQColor(font.Color, QApplication::palette()));
        w->setPalette(p);
    }
}

QStringList TfrmMain::userItems() const {
    return cbxUsers->accounts()->texts();
}

QStringList TfrmMain::groupItems() const {
    return cbxGroups->accounts()->texts();
}

void TfrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        if (const QScreen* screen = this->screen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
        }
        // After the window has painted once, so that it is there, and
        // usable, while it loads.
        QTimer::singleShot(0, this, [this] { guarded([this] { FormShow(); }); });
    }
}

void TfrmMain::FormShow() {
    m_desktop.setHourglass();
    if (SendUsagePing) {
        SendUsagePing();
    }
    try {
        PendingMessages pending(m_desktop);
        FDomainName = q(m_queries.GetDomainName());
        FDCName = q(m_queries.GetDCName(u(FDomainName)));
        if (FDCName == QString::fromUtf16(kDCNotFoundMarker)) {
            FDCName.clear();
            if (FConfig.ShowWarnDCNotFound) {
                m_desktop.warning(this, "Could not find domain controller for the domain \"" +
                                            FDomainName + "\".");
            }
        }
        m_queries.GetUsers(u(FDCName), FAllUsers);
        SortUsers(FAllUsers, 0, 0);
        FKnownUsers.clear();
        FKnownUsers.reserve(qsizetype(FAllUsers.size()));
        for (const auto& name : FAllUsers) {
            pending.handle();
            // The set ignores letter case, ASCII and beyond, so holding the
            // name key of a name or the name itself is the same.
            FKnownUsers.add(q(std::u16string(TrimText(name))));
        }
        FillUsersCombo();
        m_queries.GetGroups(u(FDCName), FAllGroupsInfo1);
        SortGroups(FAllGroupsInfo1, 0, 0);
        FKnownGroups.reserve(qsizetype(FAllGroupsInfo1.size()));
        for (const auto& g : FAllGroupsInfo1) {
            pending.handle();
            FKnownGroups.add(q(g.Name));
        }
        FillGroupsCombo();
    } catch (...) {
        m_desktop.setNormalCursor();
        throw;
    }
    m_desktop.setNormalCursor();
    m_loaded = true;
}

// The name key of the argument, untrimmed, is what is looked up; the known
// lists ignore letter case, so the argument itself finds the same entry.
bool TfrmMain::UserExist(const QString& pUsername) {
    return FKnownUsers.contains(pUsername);
}

bool TfrmMain::GroupExists(const QString& pGroupName) {
    return FKnownGroups.contains(pGroupName);
}

QString TfrmMain::GetGroupComment(const QString& pGroupName) {
    m_desktop.setHourglass();
    QString result;
    const int i = FindGroup(FAllGroupsInfo1, u(pGroupName));
    if (i >= 0) {
        result = q(FAllGroupsInfo1[size_t(i)].Comment);
    }
    m_desktop.setNormalCursor();
    return result;
}

void TfrmMain::GetUserInfo3(const QString& pUsername, tyUserInfo3& info) {
    if (!UserExist(pUsername)) {
        return;
    }
    m_desktop.setHourglass();
    const std::u16string name = u(pUsername);
    const int i = FindUserInfo3(FAllUsersInfo3, name);
    if (i >= 0) {
        info = FAllUsersInfo3[size_t(i)];
    } else {
        m_queries.ReadUserInfo3(u(FDCName), name, info);
        // After a failed read the copy holds what the caller passed (an
        // empty record from the window's own callers), so the user is still
        // not found and the next request reads again.
        InsertUserInfo3Sorted(FAllUsersInfo3, info);
    }
    m_desktop.setNormalCursor();
}

QString TfrmMain::GetFullName(const QString& pUsername) {
    m_desktop.setHourglass();
    QString result;
    if (UserExist(pUsername)) {
        const int i = FindUserInfo3(FAllUsersInfo3, u(pUsername));
        if (i >= 0) {
            result = q(FAllUsersInfo3[size_t(i)].FullName);
        } else {
            tyUserInfo3 info;
            GetUserInfo3(pUsername, info);
            result = q(info.FullName);
        }
    }
    m_desktop.setNormalCursor();
    return result;
}

void TfrmMain::PrefetchUserInfo3(const QStringList& pUsernames) {
    std::vector<std::u16string> missing;
    for (const QString& name : pUsernames) {
        const std::u16string n = u(name);
        if (UserExist(name) && FindUserInfo3(FAllUsersInfo3, n) < 0) {
            missing.push_back(n);
        }
    }
    m_queries.PrefetchUserInfo3(u(FDCName), missing);
}

void TfrmMain::FillUsersCombo() {
    m_desktop.setHourglass();
    const int selected = cbxUsers->currentIndex();
    PendingMessages pending(m_desktop);
    const bool details = FConfig.MainDet.ShowFullName && FAllUsers.size() < kFullNameComboLimit;
    QStringList items;
    items.reserve(qsizetype(FAllUsers.size()));
    if (details) {
        QStringList names;
        names.reserve(qsizetype(FAllUsers.size()));
        for (const auto& name : FAllUsers) {
            names << q(name);
        }
        PrefetchUserInfo3(names);
    }
    for (const auto& name : FAllUsers) {
        pending.handle();
        const QString n = q(name);
        items << (details ? q(AccountListItem(name, u(GetFullName(n)))) : n);
    }
    cbxUsers->accounts()->setItems(items, [&pending] { pending.handle(); });
    cbxUsers->setCurrentIndex(selected < cbxUsers->count() ? selected : -1);
    m_desktop.setNormalCursor();
}

void TfrmMain::FillGroupsCombo() {
    const int selected = cbxGroups->currentIndex();
    PendingMessages pending(m_desktop);
    QStringList items;
    items.reserve(qsizetype(FAllGroupsInfo1.size()));
    for (const auto& g : FAllGroupsInfo1) {
        pending.handle();
        items << (FConfig.MainDet.ShowComment ? q(AccountListItem(g.Name, g.Comment)) : q(g.Name));
    }
    cbxGroups->accounts()->setItems(items, [&pending] { pending.handle(); });
    cbxGroups->setCurrentIndex(selected < cbxGroups->count() ? selected : -1);
}

// ---- navigation ---------------------------------------------------------

void TfrmMain::bbtGetUsersClick() {
    AccountListModel* list = chklbxUsers->accounts();
    list->clear();
    const QString name = q(ExtractGroupName(u(cbxGroups->currentText())));
    if (!GroupExists(name)) {
        edtGroupComment->clear();
        return;
    }
    m_desktop.setHourglass();
    edtGroupComment->setText(GetGroupComment(name));
    tyArrGroupUsersInfo1 members;
    if (FConfig.MainDet.ShowFullName) {
        m_queries.PrefetchGroupMembersInfo3(u(FDCName), u(name));
    }
    m_queries.GetGroupUsers(u(FDCName), u(name), members);
    if (FConfig.MainDet.ShowFullName) {
        QStringList names;
        names.reserve(qsizetype(members.size()));
        for (const auto& m : members) {
            names << q(m.Name);
        }
        PrefetchUserInfo3(names);
    }
    PendingMessages pending(m_desktop, list);
    for (const auto& m : members) {
        pending.handle();
        const QString member = q(m.Name);
        if (!UserExist(member)) {
            // Greyed and disabled at its own sorted place.
            list->add(member, Qt::PartiallyChecked, false);
        } else if (FConfig.MainDet.ShowFullName) {
            list->add(q(AccountListItem(m.Name, u(GetFullName(member)))));
        } else {
            list->add(member);
        }
    }
    list->flush();
    m_desktop.setNormalCursor();
}

void TfrmMain::bbtGetGroupsClick() {
    AccountListModel* list = chklbxGroups->accounts();
    list->clear();
    const QString name = q(ExtractUserName(TrimText(u(cbxUsers->currentText()))));
    if (!UserExist(name)) {
        return;
    }
    m_desktop.setHourglass();
    ledtComment->clear();
    ledtFullName->clear();
    tyArrGroupUsersInfo1 groups;
    m_queries.GetUserGroups(u(FDCName), u(name), groups);
    tyUserInfo3 info;
    GetUserInfo3(name, info);
    ledtFullName->setText(q(info.FullName));
    ledtComment->setText(q(info.Comment));
    ledtFullName->setCursorPosition(0);
    ledtComment->setCursorPosition(0);
    PendingMessages pending(m_desktop, list);
    for (const auto& g : groups) {
        pending.handle();
        const QString group = q(g.Name);
        if (!GroupExists(group)) {
            list->add(group, Qt::PartiallyChecked, false);
        } else if (FConfig.MainDet.ShowComment) {
            list->add(q(AccountListItem(g.Name, u(GetGroupComment(group)))));
        } else {
            list->add(group);
        }
    }
    list->flush();
    m_desktop.setNormalCursor();
}

void TfrmMain::cbxGroupsSelect() {
    if (FConfig.AutoSelectGroup) {
        bbtGetUsers->click();
    }
}

void TfrmMain::cbxUsersSelect() {
    if (FConfig.AutoSelectUser) {
        bbtGetGroups->click();
    }
}

void TfrmMain::chklbxUsersClickCheck() {
    const int row = chklbxUsers->currentRow();
    if (row < 0) {
        return;
    }
    AccountListModel* list = chklbxUsers->accounts();
    const QString name = q(ExtractUserName(u(list->text(row))));
    if (list->checkState(row) == Qt::Checked) {
        list->setCheckState(row, UserExist(name) ? Qt::Checked : Qt::Unchecked);
        if (list->checkState(row) != Qt::Checked) {
            list->setCheckState(row, Qt::PartiallyChecked);
        }
    }
}

void TfrmMain::chklbxGroupsClickCheck() {
    const int row = chklbxGroups->currentRow();
    if (row < 0) {
        return;
    }
    AccountListModel* list = chklbxGroups->accounts();
    const QString name = q(ExtractGroupName(u(list->text(row))));
    if (list->checkState(row) == Qt::Checked) {
        list->setCheckState(row, GroupExists(name) ? Qt::Checked : Qt::Unchecked);
    }
}

void TfrmMain::chklbxUsersDblClick() {
    const int row = chklbxUsers->currentRow();
    if (row < 0) {
        return;
    }
    const QString item = chklbxUsers->accounts()->text(row);
    const QString name = q(ExtractUserName(u(item)));
    if (UserExist(name)) {
        cbxUsers->setEditText(item);
        bbtGetGroups->click();
    } else if (FConfig.ShowWarnUserUnkn) {
        m_desktop.warning(this, "The user \"" + name + "\" is unknown.");
    }
}

void TfrmMain::chklbxGroupsDblClick() {
    const int row = chklbxGroups->currentRow();
    if (row < 0) {
        return;
    }
    const QString item = chklbxGroups->accounts()->text(row);
    if (GroupExists(q(ExtractGroupName(u(item))))) {
        cbxGroups->setEditText(item);
        bbtGetUsers->click();
    }
}

void TfrmMain::bbtSelectAllUsersClick() {
    AccountListModel* list = chklbxUsers->accounts();
    for (int row = 0; row < list->rowCount(); ++row) {
        // Setting the state a greyed item already has (not checked) leaves
        // it greyed.
        const bool known = UserExist(q(ExtractUserName(u(list->text(row)))));
        const Qt::CheckState now = list->checkState(row);
        if (known && now != Qt::Checked) {
            list->setCheckState(row, Qt::Checked);
        } else if (!known && now == Qt::Checked) {
            list->setCheckState(row, Qt::Unchecked);
        }
    }
}

void TfrmMain::bbtSelectAlGroupsClick() {
    AccountListModel* list = chklbxGroups->accounts();
    for (int row = 0; row < list->rowCount(); ++row) {
        const bool known = GroupExists(q(ExtractGroupName(u(list->text(row)))));
        const Qt::CheckState now = list->checkState(row);
        if (known && now != Qt::Checked) {
            list->setCheckState(row, Qt::Checked);
        } else if (!known && now == Qt::Checked) {
            list->setCheckState(row, Qt::Unchecked);
        }
    }
}

void TfrmMain::bbtCompareUsersClick(QObject* button) {
    tyArrUsers users;
    AccountListModel* list = chklbxUsers->accounts();
    for (int row = 0; row < list->rowCount(); ++row) {
        if (list->checkState(row) == Qt::Checked) {
            users.push_back(ExtractUserName(u(list->text(row))));
        }
    }
    const int tag = button ? button->property("Tag").toInt() : 1;
    if (tag == 1) {
        if (CompareUsersGroups) {
            CompareUsersGroups(*this, FDCName, users);
        }
    } else if (CompareUsersAttributes) {
        CompareUsersAttributes(*this, FDCName, users);
    }
}

void TfrmMain::bbtCompareGroupsClick() {
    tyArrGroup1 groups;
    AccountListModel* list = chklbxGroups->accounts();
    for (int row = 0; row < list->rowCount(); ++row) {
        if (list->checkState(row) == Qt::Checked) {
            tyGroup1 g;
            g.Name = ExtractGroupName(u(list->text(row)));
            g.Comment = u(GetGroupComment(q(g.Name)));
            groups.push_back(std::move(g));
        }
    }
    if (CompareGroupsUsers) {
        CompareGroupsUsers(*this, FDCName, groups);
    }
}

namespace {

QString clipboardLines(const QStringList& items) {
    QString text;
    for (const QString& item : items) {
        text += item + QStringLiteral("\r\n");
    }
    return text;
}

}  // namespace

void TfrmMain::bbtCopyUsersToClipboardClick() {
    const QStringList items = chklbxUsers->accounts()->texts();
    if (!items.isEmpty()) {
        m_desktop.setClipboardText(clipboardLines(items));
    }
}

void TfrmMain::bbtCopyGroupsToClipboardClick() {
    const QStringList items = chklbxGroups->accounts()->texts();
    if (!items.isEmpty()) {
        m_desktop.setClipboardText(clipboardLines(items));
    }
}

void TfrmMain::bbtShowUserFullInfosClick() {
    QString text = cbxUsers->currentText();
    const qsizetype sep = text.indexOf(
        QString::fromUtf16(kDetailSeparator.data(), qsizetype(kDetailSeparator.size())));
    if (sep >= 0) {
        text.truncate(sep);
    }
    const QString key = nameKeyOf(q(std::u16string(TrimText(u(text)))));
    if (FKnownUsers.contains(key) && ShowUserInfo3) {
        // The upper-cased name is what reaches the directory on a first read.
        tyUserInfo3 info;
        GetUserInfo3(key, info);
        ShowUserInfo3(*this, info);
    }
}

bool TfrmMain::EditConfiguration(tyConfig& pConfig, int pageIndex) {
    return ConfigurationDialog && ConfigurationDialog(*this, pConfig, pageIndex);
}

void TfrmMain::bbtConfigClick() {
    if (!EditConfiguration(FConfig, 0)) {
        return;
    }
    SaveConfig();
    FillUsersCombo();
    bbtGetUsers->click();
    FillGroupsCombo();
    bbtGetGroups->click();
}

// ---- bottom bar, closing, resizing ----------------------------------------

void TfrmMain::bbtAboutClick() {
    if (ShowAbout) {
        ShowAbout(*this);
    }
}

void TfrmMain::bbtPDC_ShowClick() {
    ShowDomainDC(this, FDomainName, FDCName);
}

void TfrmMain::bbtCompareClick() {
    if (ShowAdvancedComparison) {
        ShowAdvancedComparison(*this, FDCName);
    }
}

void TfrmMain::bbtCloseClick() {
    close();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    guarded([this] { SaveConfig(); });
    event->accept();
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmMain::FormResize() {
    // Every resize centres the splitter again, discarding a dragged width.
    const int left = (width() - kSplitterWidth) / 2;
    Splitter->setSizes({left, width() - kSplitterWidth - left});
}

void TfrmMain::SplitterDblClick() {
    FormResize();
}

void TfrmMain::tmrPleaseDonateTimer() {
    // Once per run: the timer never fires again.
    tmrPleaseDonate->stop();
    const int n = FConfig.NbExecution;
    if (n % 50 != 0 || n <= 5) {
        return;
    }
    const QString text =
        QStringLiteral("Dear user, \r\n") + QStringLiteral("You have executed this program more ") +
        QString::number(n) + QStringLiteral(" times, so  I think you consider this \r\n") +
        QStringLiteral("application useful for you.\r\n") +
        QStringLiteral(
            "I will be very satisfied if you consider my work and "
            "make me a donation to \r\n") +
        QStringLiteral(
            "encourage me to continue to maintain this "
            "application.\r\n") +
        QStringLiteral("Thank you a lot !");
    if (m_desktop.message(this, DesktopServices::MessageKind::Information, text,
                          DesktopServices::Button::Ok | DesktopServices::Button::Cancel) ==
        DesktopServices::Button::Ok) {
        m_desktop.openUrl(QUrl(QStringLiteral(ZENTORY_DONATE_URL)));
    }
}
