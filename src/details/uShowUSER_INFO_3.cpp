#include "uShowUSER_INFO_3.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSaveFile>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "Icons.h"
#include "AnsiText.h"
#include "DesktopServices.h"
#include "HelpTexts.h"
#include "MainServices.h"
#include "UserInfo3Text.h"

namespace {

constexpr int kDisabledRole = Qt::UserRole + 1;
constexpr int kHelpPanelWidth = 185;
constexpr int kKeyColumnWidth = 172;

// Lets the user select and copy a value, and drops whatever was typed: the
// grid shows the record, it does not edit it.
class ReadOnlyValueDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setReadOnly(true);
        }
        return editor;
    }
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
};

// Draws a disabled item greyed, box and text, while it stays an item the
// user can select for its explanation.
class GreyedItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(kDisabledRole).toBool()) {
            option->state &= ~QStyle::State_Enabled;
        }
    }
};

QWidget* panel(QWidget* parent, const char* name, int border) {
    auto* w = new QWidget(parent);
    w->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(border, border, border, border);
    layout->setSpacing(0);
    return w;
}

QListWidget* checkList(QWidget* parent, const char* name, int tag) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setProperty("Tag", tag);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setItemDelegate(new GreyedItemDelegate(list));
    parent->layout()->addWidget(list);
    return list;
}

// The items with their check marks; then every item is disabled: greyed,
// its mark fixed, and still selectable.
template <class Record, size_t N>
void fillCheckList(QListWidget* list, const std::array<FlagField<Record>, N>& fields,
                   const Record& values) {
    list->clear();
    for (const auto& f : fields) {
        auto* item =
            new QListWidgetItem(QString::fromLatin1(f.name.data(), qsizetype(f.name.size())), list);
        item->setCheckState(values.*f.field ? Qt::Checked : Qt::Unchecked);
    }
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setData(kDisabledRole, true);
    }
}

// The row of the list's selected item, -1 when none is selected.
int selectedRow(const QListWidget* list) {
    const QListWidgetItem* current = list->currentItem();
    return current && current->isSelected() ? list->currentRow() : -1;
}

}  // namespace

// ---- the property grid -----------------------------------------------------

PropertyGrid::PropertyGrid(QWidget* parent) : QTableWidget(0, 2, parent) {
    setHorizontalHeaderLabels({QStringLiteral("Property"), QStringLiteral("Value")});
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    // The value column takes the rest of the width, also while the
    // description panel narrows the grid.
    horizontalHeader()->setStretchLastSection(true);
    setColumnWidth(0, kKeyColumnWidth);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::SelectedClicked);
    setItemDelegateForColumn(1, new ReadOnlyValueDelegate(this));
    setWordWrap(false);
}

void PropertyGrid::setLines(const QStringList& lines) {
    clearContents();
    setRowCount(int(lines.size()));
    // The key column is drawn as the grid's fixed column.
    const QBrush fixed = palette().button();
    for (int r = 0; r < int(lines.size()); ++r) {
        auto* key = new QTableWidgetItem(LineKey(lines[r]));
        key->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        key->setBackground(fixed);
        setItem(r, 0, key);
        auto* value = new QTableWidgetItem(LineValue(lines[r]));
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        setItem(r, 1, value);
    }
    resizeRowsToContents();
}

QString PropertyGrid::line(int row) const {
    const QTableWidgetItem* value = item(row, 1);
    return item(row, 0)->text() + QLatin1Char('=') + (value ? value->text() : QString());
}

QStringList PropertyGrid::lines() const {
    QStringList r;
    for (int i = 0; i < rowCount(); ++i) {
        r << line(i);
    }
    return r;
}

// ---- the window --------------------------------------------------------------

// The window sees every key before the focused control does: an open
// editor in the grid would otherwise keep Escape for itself.
class TfrmShowUSER_INFO_3::KeyPreview : public QObject {
public:
    explicit KeyPreview(TfrmShowUSER_INFO_3* form) : m_form(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
            static_cast<QWidget*>(watched)->window() != m_form) {
            return false;
        }
        auto* key = static_cast<QKeyEvent*>(event);
        key->ignore();
        m_form->FormKeyPress(key);
        return key->isAccepted();
    }

private:
    TfrmShowUSER_INFO_3* m_form;
};

TfrmShowUSER_INFO_3::TfrmShowUSER_INFO_3(DesktopServices& desktop, QWidget* parent)
    : QDialog(parent), m_desktop(desktop) {
    buildWindow();
    FormCreate();
}

TfrmShowUSER_INFO_3::~TfrmShowUSER_INFO_3() {
    // The lists go after this part of the window, and their selection may
    // still move on the way out: nothing of it may reach the handlers then.
    for (QAbstractItemView* view : clickedViews()) {
        view->selectionModel()->disconnect(this);
        view->viewport()->removeEventFilter(this);
    }
}

std::array<QAbstractItemView*, 3> TfrmShowUSER_INFO_3::clickedViews() const {
    return {ValueListEditor, CheckListBoxFlags, CheckListBoxAuthFlags};
}

void TfrmShowUSER_INFO_3::buildWindow() {
    setObjectName(QStringLiteral("frmShowUSER_INFO_3"));
    setWindowTitle(QStringLiteral("User informations"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    QFont design(QStringLiteral("Tahoma"));
    design.setPointSize(8);
    setFont(design);
    setFixedSize(700, 350);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    auto* top = new QHBoxLayout;
    top->setSpacing(0);
    root->addLayout(top, 1);

    pnlLeft = panel(this, "pnlLeft", 4);
    top->addWidget(pnlLeft, 1);
    PageControl = new QTabWidget(pnlLeft);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    pnlLeft->layout()->addWidget(PageControl);

    tshGlobal = panel(PageControl, "tshGlobal", 0);
    pnlClient = panel(tshGlobal, "pnlClient", 4);
    tshGlobal->layout()->addWidget(pnlClient);
    ValueListEditor = new PropertyGrid(pnlClient);
    ValueListEditor->setObjectName(QStringLiteral("ValueListEditor"));
    ValueListEditor->setProperty("Tag", 0);
    pnlClient->layout()->addWidget(ValueListEditor);
    PageControl->addTab(tshGlobal, QStringLiteral("Global"));

    tshFlags = panel(PageControl, "tshFlags", 0);
    Panel2 = panel(tshFlags, "Panel2", 4);
    tshFlags->layout()->addWidget(Panel2);
    CheckListBoxFlags = checkList(Panel2, "CheckListBoxFlags", 1);
    PageControl->addTab(tshFlags, QStringLiteral("Flags"));

    tshAuthFlags = panel(PageControl, "tshAuthFlags", 0);
    Panel3 = panel(tshAuthFlags, "Panel3", 4);
    tshAuthFlags->layout()->addWidget(Panel3);
    CheckListBoxAuthFlags = checkList(Panel3, "CheckListBoxAuthFlags", 2);
    PageControl->addTab(tshAuthFlags, QStringLiteral("Auth Flags"));

    pnlRight = panel(this, "pnlRight", 4);
    pnlRight->setFixedWidth(kHelpPanelWidth);
    memHelp = new QPlainTextEdit(pnlRight);
    memHelp->setObjectName(QStringLiteral("memHelp"));
    memHelp->setReadOnly(true);
    pnlRight->layout()->addWidget(memHelp);
    top->addWidget(pnlRight);
    pnlRight->hide();

    // Holds the lines that Save writes; never shown.
    ValueListEditor4Save = new PropertyGrid(this);
    ValueListEditor4Save->setObjectName(QStringLiteral("ValueListEditor4Save"));
    ValueListEditor4Save->setProperty("Tag", 0);
    ValueListEditor4Save->hide();

    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setFixedHeight(33);
    auto* bottom = new QHBoxLayout(pnlBottom);
    bottom->setContentsMargins(4, 4, 4, 4);
    bottom->setSpacing(0);
    chkShowHelp = new QCheckBox(QStringLiteral("Show property description"), pnlBottom);
    chkShowHelp->setObjectName(QStringLiteral("chkShowHelp"));
    bottom->addWidget(chkShowHelp);
    bottom->addStretch(1);
    bbtSave = new QPushButton(themedIcon("document-save", QStyle::SP_DialogSaveButton),
                              QStringLiteral("&Save"), pnlBottom);
    bbtSave->setObjectName(QStringLiteral("bbtSave"));
    bbtSave->setFixedSize(75, 25);
    bottom->addWidget(bbtSave);
    pnlBbtSpace = new QWidget(pnlBottom);
    pnlBbtSpace->setObjectName(QStringLiteral("pnlBbtSpace"));
    pnlBbtSpace->setFixedWidth(8);
    bottom->addWidget(pnlBbtSpace);
    bbtClose = new QPushButton(themedIcon("window-close", QStyle::SP_DialogCloseButton),
                               QStringLiteral("&Close"), pnlBottom);
    bbtClose->setObjectName(QStringLiteral("bbtClose"));
    bbtClose->setFixedSize(75, 25);
    bottom->addWidget(bbtClose);
    root->addWidget(pnlBottom);

    connect(bbtClose, &QPushButton::clicked, this, &TfrmShowUSER_INFO_3::bbtCloseClick);
    connect(bbtSave, &QPushButton::clicked, this, &TfrmShowUSER_INFO_3::bbtSaveClick);
    connect(chkShowHelp, &QCheckBox::toggled, this, &TfrmShowUSER_INFO_3::chkShowHelpClick);
    connect(PageControl, &QTabWidget::currentChanged, this,
            &TfrmShowUSER_INFO_3::PageControlChange);
    for (QAbstractItemView* view : clickedViews()) {
        watchClicks(view);
    }
    bbtClose->setDefault(true);
    bbtClose->setFocus();
}

// A click anywhere in a list, on an item or not, and a move of its current
// row with the keyboard both count as a click for the explanation.
void TfrmShowUSER_INFO_3::watchClicks(QAbstractItemView* view) {
    view->viewport()->installEventFilter(this);
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this, view] { ShowHelp(view); });
}

bool TfrmShowUSER_INFO_3::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        for (QAbstractItemView* view : clickedViews()) {
            if (watched == view->viewport()) {
                ShowHelp(view);
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmShowUSER_INFO_3::Fill(const tyUserInfo3& pInfo) {
    FUserInfo3 = pInfo;
    ValueListEditor->setLines(UserInfo3Rows(FUserInfo3));
    ValueListEditor->setCurrentCell(0, 1);
    fillCheckList(CheckListBoxFlags, kUi3FlagFields, FUserInfo3.Flags);
    fillCheckList(CheckListBoxAuthFlags, kUi3AuthFlagFields, FUserInfo3.AuthFlags);
    ValueListEditor4Save->setLines(UserInfo3SaveLines(FUserInfo3));
    PageControl->setCurrentWidget(tshGlobal);
}

void TfrmShowUSER_INFO_3::FormCreate() {
    if (!m_keyPreview) {
        m_keyPreview = std::make_unique<KeyPreview>(this);
        qApp->installEventFilter(m_keyPreview.get());
    }
}

void TfrmShowUSER_INFO_3::FormKeyPress(QKeyEvent* pEvent) {
    if (pEvent->key() == Qt::Key_Escape) {
        pEvent->accept();
        close();
    }
}

void TfrmShowUSER_INFO_3::bbtCloseClick() {
    close();
}

void TfrmShowUSER_INFO_3::chkShowHelpClick() {
    pnlRight->setVisible(chkShowHelp->isChecked());
    memHelp->clear();
}

void TfrmShowUSER_INFO_3::PageControlChange() {
    memHelp->clear();
}

void TfrmShowUSER_INFO_3::ShowHelp(QObject* pSender) {
    if (!chkShowHelp->isChecked()) {
        return;
    }
    const int tag = pSender ? pSender->property("Tag").toInt() : 0;
    int position = 0;
    switch (tag) {
    case 0:
        // The hidden grid of the saved lines has tag 0 too: the visible
        // grid's row counts for both.
        position = ValueListEditor->currentRow() + 1;
        break;
    case 1:
        position = selectedRow(CheckListBoxFlags) + 1;
        break;
    case 2:
        position = selectedRow(CheckListBoxAuthFlags) + 1;
        break;
    default:
        break;
    }
    memHelp->clear();
    const QString text = HelpText(position + 100 * tag);
    if (!text.isEmpty()) {
        memHelp->setPlainText(text);
    }
}

QString TfrmShowUSER_INFO_3::ProposedFileName(const QString& pName) {
    QString name = pName;
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c)) {
            c = QLatin1Char('_');
        }
    }
    return name + QStringLiteral(".USER_INFO_3.txt");
}

void TfrmShowUSER_INFO_3::bbtSaveClick() {
    const QString path = m_desktop.saveFileName(
        this, QString(), ProposedFileName(QString::fromStdU16String(FUserInfo3.Name)),
        QStringLiteral("Text Files (*.txt);;All Files (*)"));
    if (path.isEmpty()) {
        return;
    }
    QByteArray bytes;
    for (const QString& line : ValueListEditor4Save->lines()) {
        bytes += AnsiBytes(line);
        bytes += "\r\n";
    }
    // Written beside the target and renamed over it at the end, so a
    // failure leaves the old file, or none, and never half of the new one.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
        return;
    }
    m_desktop.error(this, QStringLiteral("Cannot create file \"%1\". %2")
                              .arg(QDir::toNativeSeparators(path), file.errorString()));
}

std::unique_ptr<TfrmShowUSER_INFO_3> MakeShowUserInfo3(DesktopServices& desktop, QWidget* parent,
                                                       const tyUserInfo3& pInfo) {
    auto w = std::make_unique<TfrmShowUSER_INFO_3>(desktop, parent);
    w->Fill(pInfo);
    return w;
}

void ShowUserInfo3(MainServices& pMain, const tyUserInfo3& pInfo) {
    auto w = MakeShowUserInfo3(pMain.desktop(), pMain.window(), pInfo);
    w->exec();
}
