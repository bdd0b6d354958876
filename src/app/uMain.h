// The main window: it owns the state of the run (the domain and its
// controller, every user and group, the known names, the details cache and
// the settings) and the two navigation panes.
#pragma once

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <memory>

#include "AccountList.h"
#include "Config.h"
#include "DesktopServices.h"
#include "KnownNames.h"
#include "MainServices.h"
#include "Queries.h"
#include "Records.h"

class SettingsStorage;

// Handles the windows' pending messages during a loop over accounts. The
// loops ask once per element; asking the toolkit that often costs more than
// the work for a large domain, so it is done when 15 ms have passed since
// the last time, which keeps the windows just as usable.
// Before the window gets to repaint, the list being filled shows what was
// added so far (AccountListModel::flush).
class PendingMessages {
public:
    explicit PendingMessages(DesktopServices& desktop, AccountListModel* filling = nullptr)
        : m_desktop(desktop), m_filling(filling) {
        m_clock.start();
    }
    void handle() {
        if (m_clock.elapsed() >= 15) {
            if (m_filling) {
                m_filling->flush();
            }
            m_desktop.processEvents();
            m_clock.restart();
        }
    }

private:
    DesktopServices& m_desktop;
    AccountListModel* m_filling;
    QElapsedTimer m_clock;
};

class TfrmMain : public QWidget, public MainServices {
    Q_OBJECT

public:
    // The queries and the desktop are the run's; the window keeps
    // references. storage null: the settings are neither read nor written.
    TfrmMain(DirectoryQueries& queries, DesktopServices& desktop, SettingsStorage* storage,
             QWidget* parent = nullptr);
    ~TfrmMain() override;

    // MainServices
    bool UserExist(const QString& pUsername) override;
    bool GroupExists(const QString& pGroupName) override;
    QString GetGroupComment(const QString& pGroupName) override;
    void GetUserInfo3(const QString& pUsername, tyUserInfo3& info) override;
    QString GetFullName(const QString& pUsername) override;
    void PrefetchUserInfo3(const QStringList& pUsernames) override;
    tyConfig& config() override { return FConfig; }
    void SaveConfig() override;
    void SetDefaultConfig(tyConfig& pConfig) override;
    bool EditConfiguration(tyConfig& pConfig, int pageIndex) override;
    QStringList userItems() const override;
    QStringList groupItems() const override;
    tyListFont listFont() const override { return m_listFont; }
    void setListFont(const tyListFont& font) override;
    DirectoryQueries& queries() override { return m_queries; }
    DesktopServices& desktop() override { return m_desktop; }
    QWidget* window() override { return this; }

    // The run's state, read by tests and the windows opened from here.
    const QString& domainName() const { return FDomainName; }
    const QString& dcName() const { return FDCName; }
    const tyArrUsers& allUsers() const { return FAllUsers; }
    const tyArrGroup1& allGroups() const { return FAllGroupsInfo1; }
    const tyArrUserInfo3& detailsCache() const { return FAllUsersInfo3; }
    // True once the start-up load has run to its end.
    bool loaded() const { return m_loaded; }

    // Hooks for what other parts of the program provide: the usage hit at
    // start, and the windows the buttons open. A hook that is not set
    // leaves its button disabled.
    std::function<void()> SendUsagePing;
    std::function<void(MainServices&)> ShowAbout;
    std::function<void(MainServices&, const QString& server)> ShowAdvancedComparison;
    std::function<bool(MainServices&, tyConfig&, int pageIndex)> ConfigurationDialog;
    std::function<void(MainServices&, const QString& server, const tyArrUsers&)> CompareUsersGroups;
    std::function<void(MainServices&, const QString& server, const tyArrUsers&)>
        CompareUsersAttributes;
    std::function<void(MainServices&, const QString& server, const tyArrGroup1&)>
        CompareGroupsUsers;
    std::function<void(MainServices&, const tyUserInfo3&)> ShowUserInfo3;
    // Enables the buttons whose hooks are set; call after setting them.
    void hooksChanged();

    // The start-up load; runs by itself when the window is first shown.
    void FormShow();

public slots:
    // The handlers, public so that tests drive them as a click would.
    void bbtGetUsersClick();
    void bbtGetGroupsClick();
    void cbxGroupsSelect();
    void cbxUsersSelect();
    void chklbxUsersClickCheck();
    void chklbxGroupsClickCheck();
    void chklbxUsersDblClick();
    void chklbxGroupsDblClick();
    void bbtSelectAllUsersClick();
    void bbtSelectAlGroupsClick();
    // Run by bbtCompareUsers (Tag 1) and bbtUserLock (Tag 2).
    void bbtCompareUsersClick(QObject* button);
    void bbtCompareGroupsClick();
    void bbtCopyUsersToClipboardClick();
    void bbtCopyGroupsToClipboardClick();
    void bbtShowUserFullInfosClick();
    void bbtConfigClick();
    void bbtAboutClick();
    void bbtPDC_ShowClick();
    void bbtCompareClick();
    void bbtCloseClick();
    void SplitterDblClick();
    void tmrPleaseDonateTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void FormResize();
    void LoadConfig();
    void FillUsersCombo();
    void FillGroupsCombo();
    void buildWindow();
    // Runs a handler as the toolkit runs one: an error that escapes it is
    // shown in an error box and the window stays open.
    void guarded(const std::function<void()>& handler);
    void connectClick(QAbstractButton* button, void (TfrmMain::*handler)());
    void addMember(const QString& name);
    void addGroup(const QString& name);

    DirectoryQueries& m_queries;
    DesktopServices& m_desktop;
    SettingsStorage* m_storage;
    bool m_shown = false;
    bool m_loaded = false;
    tyListFont m_listFont;

    QString FDomainName;
    QString FDCName;
    tyArrUsers FAllUsers;
    tyArrGroup1 FAllGroupsInfo1;
    KnownNames FKnownUsers;
    KnownNames FKnownGroups;
    tyArrUserInfo3 FAllUsersInfo3;

public:
    tyConfig FConfig;

    // Components, named as the program's documentation names them.
    QWidget* pnlBottom = nullptr;
    QToolButton* bbtAbout = nullptr;
    QToolButton* bbtPDC_Show = nullptr;
    QToolButton* bbtConfig = nullptr;
    QPushButton* bbtCompare = nullptr;
    QToolButton* bbtClose = nullptr;
    QSplitter* Splitter = nullptr;
    QWidget* pnlLeft = nullptr;
    QWidget* pnlClient = nullptr;
    QGroupBox* gbxGroupsAndUsers = nullptr;
    QGroupBox* gbxUsersAndGroups = nullptr;
    QLabel* lblGroups = nullptr;
    AccountCombo* cbxGroups = nullptr;
    QToolButton* bbtGetUsers = nullptr;
    QLineEdit* edtGroupComment = nullptr;
    QLabel* Label1 = nullptr;
    AccountCheckList* chklbxUsers = nullptr;
    QToolButton* bbtSelectAllUsers = nullptr;
    QPushButton* bbtCompareUsers = nullptr;
    QPushButton* bbtUserLock = nullptr;
    QPushButton* bbtCopyUsersToClipboard = nullptr;
    QLabel* lblUsers = nullptr;
    AccountCombo* cbxUsers = nullptr;
    QToolButton* bbtGetGroups = nullptr;
    QLineEdit* ledtFullName = nullptr;
    QLineEdit* ledtComment = nullptr;
    QToolButton* bbtShowUserFullInfos = nullptr;
    QLabel* Label2 = nullptr;
    AccountCheckList* chklbxGroups = nullptr;
    QToolButton* bbtSelectAlGroups = nullptr;
    QPushButton* bbtCompareGroups = nullptr;
    QPushButton* bbtCopyGroupsToClipboard = nullptr;
    QTimer* tmrPleaseDonate = nullptr;
};
