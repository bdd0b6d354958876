#include "uConfig.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "DesktopServices.h"
#include "Icons.h"
#include "ListFontQt.h"
#include "MainServices.h"

namespace {

const QString kGroupCommentWarning = QStringLiteral(
    "Enabling this setting may cause the application to crash\n"
    "if there are many groups to process.\n\n"
    "Do you want to keep this option enabled?");
const QString kFullNameWarning = QStringLiteral(
    "Enabling this setting may cause the application to crash\n"
    "if there are many users to process.\n\n"
    "Do you want to keep this option enabled?");

QCheckBox* checkBox(QWidget* parent, QLayout* layout, const char* name, const QString& caption) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(QLatin1String(name));
    layout->addWidget(c);
    return c;
}

QGroupBox* groupBox(QWidget* parent, const char* name, const QString& title) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QLatin1String(name));
    // The dialog has a fixed size: the boxes keep the height their check
    // boxes need and the font preview takes what is left.
    g->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(g);
    layout->setSpacing(2);
    layout->setContentsMargins(8, 4, 8, 4);
    return g;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QIcon& icon = {}) {
    auto* b = new QPushButton(icon, caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setFixedHeight(25);
    return b;
}

QString itemText(std::string_view name) {
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

}  // namespace

std::vector<ValidCheckItem> ValidCheckItems(tyValidCheck& check) {
    std::vector<ValidCheckItem> items;
    items.reserve(49);
    auto plain = [&](size_t first, size_t last) {
        for (size_t i = first; i <= last; ++i) {
            items.push_back({itemText(kValidCheckFields[i].name), &(check.*kValidCheckFields[i].field)});
        }
    };
    // The plain fields up to Comment, the flags, ScriptPath, the
    // authorisation flags, then the rest: the record's declaration order,
    // which kValidCheckFields keeps without the two nested records.
    plain(0, 4);
    for (const auto& f : kUi3FlagFields) {
        items.push_back({"Flag " + itemText(f.name), &(check.Flags.*f.field)});
    }
    plain(5, 5);
    for (const auto& f : kUi3AuthFlagFields) {
        items.push_back({"AuthFlag " + itemText(f.name), &(check.AuthFlags.*f.field)});
    }
    plain(6, kValidCheckFields.size() - 1);
    return items;
}

TfrmConfiguration::TfrmConfiguration(MainServices& main, QWidget* parent)
    : QDialog(parent), m_main(main) {
    setObjectName(QStringLiteral("frmConfiguration"));
    setWindowTitle(QStringLiteral("Configuration"));
    QFont design(QStringLiteral("Tahoma"));
    design.setPointSize(8);
    setFont(design);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 6);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    root->addWidget(PageControl, 1);

    // General.
    tshGeneral = new QWidget(PageControl);
    tshGeneral->setObjectName(QStringLiteral("tshGeneral"));
    auto* general = new QVBoxLayout(tshGeneral);
    QGroupBox* mainDetails =
        groupBox(tshGeneral, "gbxMainDetails", QStringLiteral("Additional informations"));
    chkMainShowComment = checkBox(mainDetails, mainDetails->layout(), "chkMainShowComment",
                                  QStringLiteral("Show group comment"));
    chkMainShowFullName = checkBox(mainDetails, mainDetails->layout(), "chkMainShowFullName",
                                   QStringLiteral("Show user full name"));
    general->addWidget(mainDetails);
    QGroupBox* warnings = groupBox(tshGeneral, "gbxWarning", QStringLiteral("Warning"));
    chkShowWarnDCNotFound = checkBox(warnings, warnings->layout(), "chkShowWarnDCNotFound",
                                     QStringLiteral("Could not find domain controller"));
    chkShowWarnUserUnkn = checkBox(warnings, warnings->layout(), "chkShowWarnUserUnkn",
                                   QStringLiteral("User unknown"));
    chkShowWarnGrpUnkn = checkBox(warnings, warnings->layout(), "chkShowWarnGrpUnkn",
                                  QStringLiteral("Group unknown"));
    general->addWidget(warnings);
    gbxAutoSelect = groupBox(tshGeneral, "gbxAutoSelect", QStringLiteral("Auto-Select"));
    chkAutoGroup =
        checkBox(gbxAutoSelect, gbxAutoSelect->layout(), "chkAutoGroup", QStringLiteral("Group"));
    chkAutoUser =
        checkBox(gbxAutoSelect, gbxAutoSelect->layout(), "chkAutoUser", QStringLiteral("User"));
    general->addWidget(gbxAutoSelect);
    auto* fontRow = new QHBoxLayout;
    BitBtn3 = button(tshGeneral, "BitBtn3", QStringLiteral("Font for Combo and lists"),
                     themedIcon("preferences-desktop-font", QStyle::SP_FileDialogDetailedView));
    bbtFontColor = button(tshGeneral, "bbtFontColor", QStringLiteral("Colour..."),
                          themedIcon("preferences-desktop-color", QStyle::SP_DesktopIcon));
    bbtFontColor->setToolTip(QStringLiteral("Colour of the text in the combo boxes and lists"));
    fontRow->addWidget(BitBtn3, 1);
    fontRow->addWidget(bbtFontColor);
    general->addLayout(fontRow);
    ListBox = new QListWidget(tshGeneral);
    ListBox->setObjectName(QStringLiteral("ListBox"));
    ListBox->setSelectionMode(QAbstractItemView::NoSelection);
    ListBox->setFocusPolicy(Qt::NoFocus);
    ListBox->setMinimumHeight(36);
    ListBox->addItems({
        QStringLiteral("Lorem ipsum dolor sit amet,"),
        QStringLiteral("consectetur adipiscing elit,"),
        QStringLiteral("sed do eiusmod tempor incididunt"),
        QStringLiteral("ut labore et dolore magna aliqua."),
        QStringLiteral("Ut enim ad minim veniam,"),
        QStringLiteral("quis nostrud exercitation ullamco"),
        QStringLiteral("laboris nisi ut aliquip"),
        QStringLiteral("ex ea commodo consequat."),
    });
    general->addWidget(ListBox, 1);

    // Comparison.
    tshCompare = new QWidget(PageControl);
    tshCompare->setObjectName(QStringLiteral("tshCompare"));
    auto* compare = new QVBoxLayout(tshCompare);
    QGroupBox* compDetails =
        groupBox(tshCompare, "gbxCompDetails", QStringLiteral("Additional informations"));
    chkCompShowComment = checkBox(compDetails, compDetails->layout(), "chkCompShowComment",
                                  QStringLiteral("Show group comment"));
    chkCompShowFullName = checkBox(compDetails, compDetails->layout(), "chkCompShowFullName",
                                   QStringLiteral("Show user full name"));
    compare->addWidget(compDetails);
    compare->addStretch(1);

    // Check.
    tshCheck = new QWidget(PageControl);
    tshCheck->setObjectName(QStringLiteral("tshCheck"));
    auto* checkPage = new QVBoxLayout(tshCheck);
    QGroupBox* visible =
        groupBox(tshCheck, "gbxVisibleFields", QStringLiteral("Visible fields for user check"));
    CheckListBox = new QListWidget(visible);
    CheckListBox->setObjectName(QStringLiteral("CheckListBox"));
    tyValidCheck names;
    for (const ValidCheckItem& v : ValidCheckItems(names)) {
        auto* item = new QListWidgetItem(v.text, CheckListBox);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    visible->layout()->addWidget(CheckListBox);
    auto* allNone = new QHBoxLayout;
    bbtSelectAll = button(visible, "bbtSelectAll", QStringLiteral("All"),
                          themedIcon("edit-select-all", QStyle::SP_DialogApplyButton));
    bbtSelectNone = button(visible, "bbtSelectNone", QStringLiteral("None"),
                           themedIcon("edit-clear", QStyle::SP_DialogResetButton));
    allNone->addWidget(bbtSelectAll);
    allNone->addWidget(bbtSelectNone);
    allNone->addStretch(1);
    static_cast<QVBoxLayout*>(visible->layout())->addLayout(allNone);
    checkPage->addWidget(visible);

    PageControl->addTab(tshGeneral, themedIcon("preferences-system", QStyle::SP_ComputerIcon),
                        QStringLiteral("General"));
    PageControl->addTab(tshCompare,
                        themedIcon("view-list-details", QStyle::SP_FileDialogListView),
                        QStringLiteral("Comparison"));
    PageControl->addTab(tshCheck, themedIcon("dialog-password", QStyle::SP_FileDialogInfoView),
                        QStringLiteral("Check"));

    // Bottom row.
    auto* bottom = new QHBoxLayout;
    btDefault = button(this, "btDefault", QStringLiteral("Default"),
                       themedIcon("document-revert", QStyle::SP_BrowserReload));
    BitBtn1 = button(this, "BitBtn1", QStringLiteral("OK"),
                     themedIcon("dialog-ok", QStyle::SP_DialogOkButton));
    BitBtn2 = button(this, "BitBtn2", QStringLiteral("Cancel"),
                     themedIcon("dialog-cancel", QStyle::SP_DialogCancelButton));
    BitBtn1->setDefault(true);
    bottom->addWidget(btDefault);
    bottom->addStretch(1);
    bottom->addWidget(BitBtn1);
    bottom->addWidget(BitBtn2);
    root->addLayout(bottom);
    setFixedSize(315, 413);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(btDefault, &QPushButton::clicked, this, &TfrmConfiguration::btDefaultClick);
    connect(bbtSelectAll, &QPushButton::clicked, this, &TfrmConfiguration::bbtSelectAllClick);
    connect(bbtSelectNone, &QPushButton::clicked, this, &TfrmConfiguration::bbtSelectNoneClick);
    connect(BitBtn3, &QPushButton::clicked, this, &TfrmConfiguration::BitBtn3Click);
    connect(bbtFontColor, &QPushButton::clicked, this, &TfrmConfiguration::bbtFontColorClick);
    // toggled, not clicked: a box the program checks asks as well, which is
    // how a dialog opened with the setting on asks before it appears.
    connect(chkMainShowComment, &QCheckBox::toggled, this,
            &TfrmConfiguration::chkMainShowCommentClick);
    connect(chkMainShowFullName, &QCheckBox::toggled, this,
            &TfrmConfiguration::chkMainShowFullNameClick);
    connect(CheckListBox, &QListWidget::itemChanged, this,
            &TfrmConfiguration::CheckListBoxClickCheck);

    FormCreate();
}

void TfrmConfiguration::FormCreate() {
    FWarningMainShowComment = false;
    FWarningMainShowFullName = false;
}

void TfrmConfiguration::FillFrom(const tyConfig& pConfig, int PageIndex) {
    FConfig = pConfig;
    FillControls();
    setPreviewFont(m_main.listFont());
    PageControl->setCurrentIndex(PageIndex);
}

void TfrmConfiguration::FillControls() {
    chkMainShowComment->setChecked(FConfig.MainDet.ShowComment);
    chkMainShowFullName->setChecked(FConfig.MainDet.ShowFullName);
    chkShowWarnDCNotFound->setChecked(FConfig.ShowWarnDCNotFound);
    chkShowWarnUserUnkn->setChecked(FConfig.ShowWarnUserUnkn);
    chkShowWarnGrpUnkn->setChecked(FConfig.ShowWarnGrpUnkn);
    chkCompShowFullName->setChecked(FConfig.CompDet.ShowFullName);
    chkCompShowComment->setChecked(FConfig.CompDet.ShowComment);
    chkAutoGroup->setChecked(FConfig.AutoSelectGroup);
    chkAutoUser->setChecked(FConfig.AutoSelectUser);
    CheckListBox->item(0)->setCheckState(Qt::Checked);
    const std::vector<ValidCheckItem> items = ValidCheckItems(FConfig.ValCheck);
    for (int i = 1; i < int(items.size()); ++i) {
        CheckListBox->item(i)->setCheckState(*items[size_t(i)].field ? Qt::Checked : Qt::Unchecked);
    }
}

bool TfrmConfiguration::StoreInto(tyConfig& pConfig) {
    bool changed = false;
    auto put = [&changed](bool& field, bool value) {
        if (field != value) {
            field = value;
            changed = true;
        }
    };
    put(pConfig.MainDet.ShowFullName, chkMainShowFullName->isChecked());
    put(pConfig.MainDet.ShowComment, chkMainShowComment->isChecked());
    put(pConfig.ShowWarnDCNotFound, chkShowWarnDCNotFound->isChecked());
    put(pConfig.ShowWarnUserUnkn, chkShowWarnUserUnkn->isChecked());
    put(pConfig.ShowWarnGrpUnkn, chkShowWarnGrpUnkn->isChecked());
    put(pConfig.CompDet.ShowFullName, chkCompShowFullName->isChecked());
    put(pConfig.CompDet.ShowComment, chkCompShowComment->isChecked());
    put(pConfig.AutoSelectGroup, chkAutoGroup->isChecked());
    put(pConfig.AutoSelectUser, chkAutoUser->isChecked());
    // The name column is always shown; a record that said otherwise is
    // corrected without counting as the user's change.
    pConfig.ValCheck.Name = true;
    const std::vector<ValidCheckItem> items = ValidCheckItems(pConfig.ValCheck);
    for (int i = 1; i < int(items.size()); ++i) {
        put(*items[size_t(i)].field, CheckListBox->item(i)->checkState() == Qt::Checked);
    }
    if (m_previewFont != m_main.listFont()) {
        changed = true;
    }
    m_main.setListFont(m_previewFont);
    return changed;
}

void TfrmConfiguration::setPreviewFont(const tyListFont& font) {
    m_previewFont = font;
    ListBox->setFont(ToQFont(font));
    QPalette p = ListBox->palette();
    p.setColor(QPalette::Text, ToQColor(font.Color, QApplication::palette()));
    ListBox->setPalette(p);
}

void TfrmConfiguration::btDefaultClick() {
    m_main.SetDefaultConfig(FConfig);
    FillControls();
    // The dialog's own design font: Tahoma, 8 points, window text, plain.
    setPreviewFont(tyListFont{});
}

void TfrmConfiguration::bbtSelectAllClick() {
    for (int i = 0; i < CheckListBox->count(); ++i) {
        CheckListBox->item(i)->setCheckState(Qt::Checked);
    }
}

void TfrmConfiguration::bbtSelectNoneClick() {
    for (int i = 0; i < CheckListBox->count(); ++i) {
        CheckListBox->item(i)->setCheckState(Qt::Unchecked);
    }
    CheckListBox->item(0)->setCheckState(Qt::Checked);
}

void TfrmConfiguration::CheckListBoxClickCheck() {
    // A toggle of "Name", by mouse or space bar, is undone at once. The
    // program's own changes arrive here too (None unchecks it on its way).
    QListWidgetItem* name = CheckListBox->item(0);
    if (name->checkState() != Qt::Checked) {
        name->setCheckState(Qt::Checked);
    }
}

void TfrmConfiguration::BitBtn3Click() {
    if (auto chosen = m_main.desktop().chooseFont(this, ToQFont(m_previewFont))) {
        setPreviewFont(FromQFont(*chosen, m_previewFont.Color));
    }
}

void TfrmConfiguration::bbtFontColorClick() {
    const QColor now = ToQColor(m_previewFont.Color, QApplication::palette());
    if (auto chosen = m_main.desktop().chooseColor(this, now)) {
        tyListFont font = m_previewFont;
        font.Color = FromQColor(*chosen);
        setPreviewFont(font);
    }
}

void TfrmConfiguration::warnOnce(QCheckBox* box, bool& asked, const QString& text) {
    if (asked || !box->isChecked()) {
        return;
    }
    asked = true;
    if (m_main.desktop().message(this, DesktopServices::MessageKind::Warning, text,
                                 DesktopServices::Button::Yes | DesktopServices::Button::No) !=
        DesktopServices::Button::Yes) {
        box->setChecked(false);
    }
}

void TfrmConfiguration::chkMainShowCommentClick() {
    warnOnce(chkMainShowComment, FWarningMainShowComment, kGroupCommentWarning);
}

void TfrmConfiguration::chkMainShowFullNameClick() {
    warnOnce(chkMainShowFullName, FWarningMainShowFullName, kFullNameWarning);
}

std::unique_ptr<TfrmConfiguration> MakeConfiguration(MainServices& main, const tyConfig& pConfig,
                                                     int PageIndex) {
    auto form = std::make_unique<TfrmConfiguration>(main, main.window());
    form->FillFrom(pConfig, PageIndex);
    return form;
}

bool EditConfiguration(MainServices& main, tyConfig& pConfig, int PageIndex) {
    auto form = MakeConfiguration(main, pConfig, PageIndex);
    if (form->exec() != QDialog::Accepted) {
        return false;
    }
    return form->StoreInto(pConfig);
}
