#include "uAdvCompare.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "AccountList.h"
#include "DesktopServices.h"
#include "Icons.h"
#include "ListFontQt.h"
#include "MainServices.h"
#include "NameList.h"
#include "Ordering.h"
#include "uNotFound.h"

namespace {

// Above this many separate runs of rows, a list is rebuilt in one go rather
// than told of every run: a file of names can take thousands of scattered
// entries out of the source list at once.
constexpr size_t kMaxRuns = 64;

constexpr int kButtonColumn = 32;

std::u16string u(const QString& s) {
    return s.toStdU16String();
}

QToolButton* imageButton(QWidget* parent, const char* name, const QIcon& icon,
                         const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(icon);
    b->setFixedSize(24, 24);
    b->setIconSize(QSize(16, 16));
    b->setToolTip(hint);
    return b;
}

QPushButton* captionButton(QWidget* parent, const char* name, const QString& caption,
                           const QIcon& icon) {
    auto* b = new QPushButton(icon, caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setFixedSize(75, 25);
    // No button takes Enter: in the search box it means "find".
    b->setAutoDefault(false);
    return b;
}

QWidget* gap(QWidget* parent) {
    auto* w = new QWidget(parent);
    w->setFixedWidth(16);
    return w;
}

QListView* itemList(QWidget* parent, const char* name, bool sorted) {
    auto* v = new QListView(parent);
    v->setObjectName(QLatin1String(name));
    v->setModel(new ItemListModel(sorted, v));
    v->setSelectionMode(QAbstractItemView::ExtendedSelection);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setUniformItemSizes(true);
    return v;
}

// Ascending rows selected in a list.
std::vector<int> selectedRows(const QListView* list) {
    std::vector<int> rows;
    for (const QModelIndex& i : list->selectionModel()->selectedIndexes()) {
        rows.push_back(i.row());
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

}  // namespace

// ---- the lists' items ---------------------------------------------------

ItemListModel::ItemListModel(bool sorted, QObject* parent)
    : QAbstractListModel(parent), m_sorted(sorted) {}

int ItemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count() ||
        (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    return m_texts[index.row()];
}

void ItemListModel::clear() {
    if (m_texts.isEmpty()) {
        return;
    }
    beginResetModel();
    m_texts.clear();
    m_keys.clear();
    endResetModel();
}

void ItemListModel::setItems(const QStringList& texts) {
    beginResetModel();
    m_texts.clear();
    m_keys.clear();
    if (!m_sorted) {
        m_texts = texts;
    } else {
        std::vector<std::pair<AccountSortKey, QString>> rows;
        rows.reserve(size_t(texts.size()));
        for (const QString& t : texts) {
            rows.emplace_back(AccountOrder::instance().sortKey(t), t);
        }
        std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
            return a.first.compare(b.first) < 0;
        });
        m_texts.reserve(texts.size());
        m_keys.reserve(rows.size());
        for (auto& r : rows) {
            m_keys.push_back(std::move(r.first));
            m_texts << std::move(r.second);
        }
    }
    endResetModel();
}

std::vector<int> ItemListModel::append(const QStringList& texts) {
    if (texts.isEmpty()) {
        return {};
    }
    if (!m_sorted) {
        beginInsertRows({}, count(), count() + int(texts.size()) - 1);
        m_texts << texts;
        endInsertRows();
        return {};
    }
    // Each new item goes after the equal ones already there, new or old: a
    // stable sort of the new ones and a merge that puts old before new.
    std::vector<std::pair<AccountSortKey, QString>> added;
    added.reserve(size_t(texts.size()));
    for (const QString& t : texts) {
        added.emplace_back(AccountOrder::instance().sortKey(t), t);
    }
    std::stable_sort(added.begin(), added.end(),
                     [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    // Where each new item goes among the old rows (before old row p).
    std::vector<int> places;
    places.reserve(added.size());
    for (const auto& a : added) {
        auto it = std::upper_bound(m_keys.begin(), m_keys.end(), a.first,
                                   [](const AccountSortKey& k, const AccountSortKey& r) {
                                       return k.compare(r) < 0;
                                   });
        places.push_back(int(it - m_keys.begin()));
    }
    size_t runs = 0;
    for (size_t i = 0; i < places.size(); ++i) {
        runs += i == 0 || places[i] != places[i - 1];
    }
    if (runs <= kMaxRuns) {
        // From the last run back, so that the places of the earlier ones
        // stay where they were; the views keep their selections.
        size_t end = added.size();
        while (end > 0) {
            size_t begin = end - 1;
            while (begin > 0 && places[begin - 1] == places[end - 1]) {
                --begin;
            }
            const int at = places[end - 1];
            beginInsertRows({}, at, at + int(end - begin) - 1);
            for (size_t i = begin; i < end; ++i) {
                m_texts.insert(at + qsizetype(i - begin), added[i].second);
                m_keys.insert(m_keys.begin() + at + qsizetype(i - begin), added[i].first);
            }
            endInsertRows();
            end = begin;
        }
        return {};
    }
    std::vector<int> moved(static_cast<size_t>(count()));
    QStringList texts2;
    std::vector<AccountSortKey> keys2;
    texts2.reserve(m_texts.size() + qsizetype(added.size()));
    keys2.reserve(m_keys.size() + added.size());
    size_t a = 0;
    for (int old = 0; old <= count(); ++old) {
        while (a < added.size() && places[a] == old) {
            keys2.push_back(std::move(added[a].first));
            texts2 << std::move(added[a].second);
            ++a;
        }
        if (old < count()) {
            moved[size_t(old)] = int(texts2.size());
            keys2.push_back(std::move(m_keys[size_t(old)]));
            texts2 << std::move(m_texts[old]);
        }
    }
    beginResetModel();
    m_texts = std::move(texts2);
    m_keys = std::move(keys2);
    endResetModel();
    return moved;
}

void ItemListModel::removeRows(std::vector<int> rows) {
    if (rows.empty()) {
        return;
    }
    std::sort(rows.begin(), rows.end());
    size_t runs = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        runs += i == 0 || rows[i] != rows[i - 1] + 1;
    }
    if (runs <= kMaxRuns) {
        size_t end = rows.size();
        while (end > 0) {
            size_t begin = end - 1;
            while (begin > 0 && rows[begin - 1] == rows[begin] - 1) {
                --begin;
            }
            const int first = rows[begin];
            const int last = rows[end - 1];
            beginRemoveRows({}, first, last);
            m_texts.remove(first, last - first + 1);
            if (m_sorted) {
                m_keys.erase(m_keys.begin() + first, m_keys.begin() + last + 1);
            }
            endRemoveRows();
            end = begin;
        }
        return;
    }
    std::vector<bool> gone(size_t(count()), false);
    for (int r : rows) {
        gone[size_t(r)] = true;
    }
    QStringList texts;
    std::vector<AccountSortKey> keys;
    for (int r = 0; r < count(); ++r) {
        if (!gone[size_t(r)]) {
            texts << std::move(m_texts[r]);
            if (m_sorted) {
                keys.push_back(std::move(m_keys[size_t(r)]));
            }
        }
    }
    beginResetModel();
    m_texts = std::move(texts);
    m_keys = std::move(keys);
    endResetModel();
}

QStringList ItemListModel::texts() const {
    return m_texts;
}

// ---- the dialog -----------------------------------------------------------

TfrmAdvancedComparison::TfrmAdvancedComparison(MainServices& main, ComparisonEntries entries,
                                               QWidget* parent)
    : QDialog(parent), m_main(main), m_entries(std::move(entries)) {
    buildWindow();
    FormCreate();
}

void TfrmAdvancedComparison::buildWindow() {
    setObjectName(QStringLiteral("frmAdvancedComparison"));
    setWindowTitle(QStringLiteral("Advanced comparison"));
    QFont design(QStringLiteral("Tahoma"));
    design.setPointSize(8);
    setFont(design);
    resize(440, 339);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);

    RadioGroup = new QGroupBox(QStringLiteral("Please select"), this);
    RadioGroup->setObjectName(QStringLiteral("RadioGroup"));
    auto* kinds = new QHBoxLayout(RadioGroup);
    RadioItems = new QButtonGroup(RadioGroup);
    auto* groups = new QRadioButton(QStringLiteral("Groups"), RadioGroup);
    groups->setObjectName(QStringLiteral("rbtGroups"));
    auto* users = new QRadioButton(QStringLiteral("Users"), RadioGroup);
    users->setObjectName(QStringLiteral("rbtUsers"));
    RadioItems->addButton(groups, 0);
    RadioItems->addButton(users, 1);
    kinds->addWidget(groups, 1);
    kinds->addWidget(users, 1);
    groups->setChecked(true);
    root->addWidget(RadioGroup);

    // The lists' area is laid out by FormResize: the two lists share the
    // width exactly, the button column between them.
    pnlLists = new QWidget(this);
    pnlLists->setObjectName(QStringLiteral("pnlLists"));
    root->addWidget(pnlLists, 1);
    pnlSrc = new QWidget(pnlLists);
    pnlSrc->setObjectName(QStringLiteral("pnlSrc"));
    auto* src = new QVBoxLayout(pnlSrc);
    src->setContentsMargins(0, 0, 0, 0);
    src->setSpacing(2);
    pnlSearch = new QWidget(pnlSrc);
    pnlSearch->setObjectName(QStringLiteral("pnlSearch"));
    auto* search = new QHBoxLayout(pnlSearch);
    search->setContentsMargins(0, 0, 0, 0);
    edtSearch = new QLineEdit(pnlSearch);
    edtSearch->setObjectName(QStringLiteral("edtSearch"));
    edtSearch->setPlaceholderText(QStringLiteral("Name, then Enter"));
    search->addWidget(edtSearch);
    pnlSearch->hide();
    src->addWidget(pnlSearch);
    SrcList = itemList(pnlSrc, "SrcList", true);
    src->addWidget(SrcList, 1);

    pnlButtons = new QWidget(pnlLists);
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    pnlButtons->setFixedWidth(kButtonColumn);
    pnlSelectButtons = new QWidget(pnlButtons);
    pnlSelectButtons->setObjectName(QStringLiteral("pnlSelectButtons"));
    auto* moves = new QVBoxLayout(pnlSelectButtons);
    moves->setContentsMargins(0, 0, 0, 0);
    moves->setSpacing(6);
    IncludeBtn = imageButton(pnlSelectButtons, "IncludeBtn",
                             themedIcon("go-next", QStyle::SP_ArrowRight),
                             QStringLiteral("Include the selected entries"));
    IncAllBtn = imageButton(pnlSelectButtons, "IncAllBtn",
                            themedIcon("go-last", QStyle::SP_MediaSkipForward),
                            QStringLiteral("Include all"));
    ExcludeBtn = imageButton(pnlSelectButtons, "ExcludeBtn",
                             themedIcon("go-previous", QStyle::SP_ArrowLeft),
                             QStringLiteral("Exclude the selected entries"));
    ExAllBtn = imageButton(pnlSelectButtons, "ExAllBtn",
                           themedIcon("go-first", QStyle::SP_MediaSkipBackward),
                           QStringLiteral("Exclude all"));
    for (QToolButton* b : {IncludeBtn, IncAllBtn, ExcludeBtn, ExAllBtn}) {
        moves->addWidget(b);
    }
    pnlSelectButtons->adjustSize();
    DstList = itemList(pnlLists, "DstList", false);

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(0);
    bbtOpen = imageButton(this, "bbtOpen", themedIcon("document-open", QStyle::SP_DialogOpenButton),
                          QStringLiteral("Read a list of names from a file..."));
    bbtOpen->setFixedSize(25, 25);
    sbtSearch = imageButton(this, "sbtSearch", themedIcon("edit-find", QStyle::SP_FileDialogContentsView),
                            QStringLiteral("Search the list"));
    sbtSearch->setFixedSize(25, 25);
    sbtSearch->setCheckable(true);
    sbtSearch->setAutoRaise(true);
    bbtUserLock = captionButton(this, "bbtUserLock", QStringLiteral("Check"),
                                themedIcon("dialog-password", QStyle::SP_FileDialogInfoView));
    bbtUserLock->setProperty("Tag", 2);
    bbtCompare = captionButton(this, "bbtCompare", QStringLiteral("Compare"),
                               themedIcon("view-list-details", QStyle::SP_FileDialogListView));
    bbtCompare->setProperty("Tag", 1);
    bbtClose = captionButton(this, "bbtClose", QStringLiteral("Close"),
                             themedIcon("window-close", QStyle::SP_DialogCloseButton));
    bottom->addWidget(bbtOpen);
    bottom->addWidget(gap(this));
    bottom->addWidget(sbtSearch);
    bottom->addStretch(1);
    bottom->addWidget(bbtUserLock);
    bottom->addWidget(gap(this));
    bottom->addWidget(bbtCompare);
    bottom->addWidget(gap(this));
    bottom->addWidget(bbtClose);
    root->addLayout(bottom);

    // Handlers run as the toolkit runs them: an error that escapes one is
    // shown in an error box and the dialog stays open.
    auto guarded = [this](auto handler) {
        return [this, handler] {
            try {
                handler();
            } catch (const std::exception& e) {
                m_main.desktop().error(this, QString::fromUtf8(e.what()));
            }
        };
    };
    connect(IncludeBtn, &QToolButton::clicked, this, guarded([this] { IncludeBtnClick(); }));
    connect(IncAllBtn, &QToolButton::clicked, this, guarded([this] { IncAllBtnClick(); }));
    connect(ExcludeBtn, &QToolButton::clicked, this, guarded([this] { ExcludeBtnClick(); }));
    connect(ExAllBtn, &QToolButton::clicked, this, guarded([this] { ExcAllBtnClick(); }));
    connect(SrcList, &QListView::doubleClicked, this, guarded([this] { SrcListDblClick(); }));
    connect(DstList, &QListView::doubleClicked, this, guarded([this] { DstListDblClick(); }));
    connect(sbtSearch, &QToolButton::clicked, this, guarded([this] { sbtSearchClick(); }));
    connect(bbtOpen, &QToolButton::clicked, this, guarded([this] { bbtOpenClick(); }));
    for (QPushButton* b : {bbtCompare, bbtUserLock}) {
        connect(b, &QPushButton::clicked, this, guarded([this, b] { bbtCompareClick(b); }));
    }
    connect(bbtClose, &QPushButton::clicked, this, guarded([this] { bbtCloseClick(); }));
    connect(RadioItems, &QButtonGroup::idToggled, this, [this, guarded](int, bool checked) {
        if (checked) {
            guarded([this] { ChangeComparisonKind(); })();
        }
    });

    pnlLists->installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) {
        w->installEventFilter(this);
    }
}

void TfrmAdvancedComparison::FormCreate() {
    const tyListFont listFont = m_main.listFont();
    const QFont font = ToQFont(listFont);
    for (QListView* list : {SrcList, DstList}) {
        list->setFont(font);
        QPalette p = list->palette();
        p.setColor(QPalette::Text, ToQColor(listFont.Color, QApplication::palette()));
        list->setPalette(p);
    }
    FSearch.clear();
}

bool TfrmAdvancedComparison::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pnlLists && event->type() == QEvent::Resize) {
        FormResize();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            close();
            return true;
        }
        if (watched == edtSearch && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            return true;
        }
    } else if (event->type() == QEvent::KeyRelease && watched == edtSearch) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) {
            edtSearchKeyUp(key->key());
        }
    }
    return QDialog::eventFilter(watched, event);
}

ItemListModel* TfrmAdvancedComparison::items(QListView* list) {
    return static_cast<ItemListModel*>(list->model());
}

int TfrmAdvancedComparison::comparisonKind() const {
    return RadioItems->checkedId();
}

void TfrmAdvancedComparison::FormResize() {
    const int width = pnlLists->width();
    const int height = pnlLists->height();
    const int half = (width - kButtonColumn) / 2;
    pnlSrc->setGeometry(0, 0, half, height);
    pnlButtons->setGeometry(half, 0, kButtonColumn, height);
    DstList->setGeometry(half + kButtonColumn, 0, width - half - kButtonColumn, height);
    pnlSelectButtons->move((kButtonColumn - pnlSelectButtons->width()) / 2,
                           (height - pnlSelectButtons->height()) / 2);
}

void TfrmAdvancedComparison::ChangeComparisonKind() {
    items(SrcList)->clear();
    items(DstList)->clear();
    const bool users = comparisonKind() == 1;
    items(SrcList)->setItems(users ? m_main.userItems() : m_main.groupItems());
    bbtUserLock->setVisible(users);
    SetButtons();
}

void TfrmAdvancedComparison::SetButtons() {
    const bool source = items(SrcList)->count() > 0;
    const bool destination = items(DstList)->count() > 0;
    IncludeBtn->setEnabled(source);
    IncAllBtn->setEnabled(source);
    ExcludeBtn->setEnabled(destination);
    ExAllBtn->setEnabled(destination);
    bbtCompare->setEnabled(destination);
    bbtUserLock->setEnabled(destination);
}

int TfrmAdvancedComparison::GetFirstSelection(QListView* list) const {
    const std::vector<int> rows = selectedRows(list);
    return rows.empty() ? -1 : rows.front();
}

void TfrmAdvancedComparison::SetItem(QListView* list, int index) {
    list->setFocus();
    const int last = items(list)->count() - 1;
    if (index == -1) {
        index = 0;
    }
    if (index > last) {
        index = last;
    }
    if (index >= 0) {
        const QModelIndex i = items(list)->index(index);
        list->selectionModel()->select(i, QItemSelectionModel::Select);
        list->selectionModel()->setCurrentIndex(i, QItemSelectionModel::NoUpdate);
        list->scrollTo(i);
    }
    SetButtons();
}

void TfrmAdvancedComparison::appendTo(QListView* list, const QStringList& texts) {
    // A list rebuilt in one go forgets its selection; the entries the user
    // had selected there stay selected at their new rows.
    const std::vector<int> selected = selectedRows(list);
    const std::vector<int> moved = items(list)->append(texts);
    if (moved.empty()) {
        return;
    }
    QItemSelection again;
    for (int row : selected) {
        const QModelIndex i = items(list)->index(moved[size_t(row)]);
        again.select(i, i);
    }
    list->selectionModel()->select(again, QItemSelectionModel::Select);
}

void TfrmAdvancedComparison::MoveSelected(QListView* list, QListView* target) {
    std::vector<int> rows = selectedRows(list);
    // From the last entry up: the moved entries arrive in reverse order.
    QStringList moved;
    moved.reserve(qsizetype(rows.size()));
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        moved << items(list)->text(*it);
    }
    appendTo(target, moved);
    items(list)->removeRows(std::move(rows));
}

void TfrmAdvancedComparison::IncludeBtnClick() {
    const int first = GetFirstSelection(SrcList);
    MoveSelected(SrcList, DstList);
    SetItem(SrcList, first);
}

void TfrmAdvancedComparison::ExcludeBtnClick() {
    const int first = GetFirstSelection(DstList);
    MoveSelected(DstList, SrcList);
    SetItem(DstList, first);
}

void TfrmAdvancedComparison::IncAllBtnClick() {
    appendTo(DstList, items(SrcList)->texts());
    items(SrcList)->clear();
    SetItem(SrcList, 0);
}

void TfrmAdvancedComparison::ExcAllBtnClick() {
    appendTo(SrcList, items(DstList)->texts());
    items(DstList)->clear();
    SetItem(DstList, 0);
}

void TfrmAdvancedComparison::SrcListDblClick() {
    if (IncludeBtn->isEnabled()) {
        IncludeBtnClick();
    }
}

void TfrmAdvancedComparison::DstListDblClick() {
    if (ExcludeBtn->isEnabled()) {
        ExcludeBtnClick();
    }
}

void TfrmAdvancedComparison::sbtSearchClick() {
    pnlSearch->setVisible(sbtSearch->isChecked());
    if (sbtSearch->isChecked()) {
        edtSearch->setFocus();
    }
}

void TfrmAdvancedComparison::edtSearchKeyUp(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) {
        return;
    }
    FSearch = items(SrcList)->texts();
    const QString wanted = NameListKey(edtSearch->text());
    for (int i = 0; i < int(FSearch.size()); ++i) {
        if (NameListKey(FSearch[i]) == wanted) {
            SetItem(SrcList, i);
            return;
        }
    }
}

void TfrmAdvancedComparison::bbtOpenClick() {
    const QString file =
        m_main.desktop().openFileName(this, QStringLiteral("Open"), QString());
    if (file.isEmpty()) {
        return;
    }
    const QFileInfo info(file);
    if (!info.exists() || info.isDir()) {
        return;
    }
    ChangeComparisonKind();
    QStringList lines;
    QString error;
    if (!ReadNameList(file, lines, error)) {
        m_main.desktop().error(this, error);
        return;
    }
    ItemListModel* source = items(SrcList);
    const NameListMatch match = MatchNameList(lines, source->texts());
    QStringList found;
    found.reserve(qsizetype(match.taken.size()));
    for (int row : match.taken) {
        found << source->text(row);
    }
    items(DstList)->append(found);
    source->removeRows(match.taken);
    if (!match.notFound.isEmpty()) {
        ShowNotFound(m_main, match.notFound);
    }
    SetButtons();
}

void TfrmAdvancedComparison::bbtCompareClick(QObject* button) {
    const QStringList entries = items(DstList)->texts();
    const int tag = button ? button->property("Tag").toInt() : 1;
    if (comparisonKind() == 1) {
        tyArrUsers users;
        users.reserve(size_t(entries.size()));
        for (const QString& e : entries) {
            users.push_back(ExtractUserName(u(e)));
        }
        const auto& entry = tag == 1 ? m_entries.usersGroups : m_entries.usersAttributes;
        if (entry) {
            entry(m_main, FDCName, users);
        }
        return;
    }
    tyArrGroup1 groups;
    groups.reserve(size_t(entries.size()));
    for (const QString& e : entries) {
        tyGroup1 g;
        g.Name = ExtractGroupName(u(e));
        g.Comment = u(m_main.GetGroupComment(QString::fromStdU16String(g.Name)));
        groups.push_back(std::move(g));
    }
    if (m_entries.groupsUsers) {
        m_entries.groupsUsers(m_main, FDCName, groups);
    }
}

void TfrmAdvancedComparison::bbtCloseClick() {
    close();
}

std::unique_ptr<TfrmAdvancedComparison> MakeAdvancedComparison(MainServices& main,
                                                               const QString& server,
                                                               ComparisonEntries entries) {
    auto form = std::make_unique<TfrmAdvancedComparison>(main, std::move(entries), main.window());
    form->FDCName = server;
    form->ChangeComparisonKind();
    return form;
}

void ShowAdvancedComparison(MainServices& main, const QString& server, ComparisonEntries entries) {
    auto form = MakeAdvancedComparison(main, server, std::move(entries));
    form->exec();
}
