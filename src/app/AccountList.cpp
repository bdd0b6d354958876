#include "AccountList.h"

#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

constexpr int kDisabledRole = Qt::UserRole + 1;

// Draws a disabled item greyed, box and text, while it stays an item the
// user can select and double-click.
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

}  // namespace

AccountListModel::AccountListModel(bool checkable, QObject* parent)
    : QAbstractListModel(parent), m_checkable(checkable) {}

int AccountListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant AccountListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size())) {
        return {};
    }
    const Row& r = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return r.text;
    case Qt::CheckStateRole:
        return m_checkable ? QVariant(int(r.check)) : QVariant();
    case kDisabledRole:
        return !r.enabled;
    default:
        return {};
    }
}

bool AccountListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!m_checkable || role != Qt::CheckStateRole || !index.isValid()) {
        return false;
    }
    Row& r = m_rows[size_t(index.row())];
    if (!r.enabled) {
        return false;
    }
    r.check = Qt::CheckState(value.toInt());
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit checkToggled(index.row());
    return true;
}

Qt::ItemFlags AccountListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    const Row& r = m_rows[size_t(index.row())];
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // A disabled item's box cannot be toggled; the item itself can still be
    // selected and double-clicked.
    if (m_checkable && r.enabled) {
        f |= Qt::ItemIsUserCheckable;
    }
    return f;
}

void AccountListModel::clear() {
    m_pending.clear();
    if (m_rows.empty()) {
        return;
    }
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int AccountListModel::sortedPlace(const AccountSortKey& key) const {
    // After the last item that does not order after the new one. Items are
    // mostly added in order, so the common case is the end.
    if (m_rows.empty() || m_rows.back().key.compare(key) <= 0) {
        return int(m_rows.size());
    }
    auto it = std::upper_bound(m_rows.begin(), m_rows.end(), key,
                               [](const AccountSortKey& k, const Row& r) {
                                   return k.compare(r.key) < 0;
                               });
    return int(it - m_rows.begin());
}

int AccountListModel::insertSorted(const QString& text) {
    Row r{text, AccountOrder::instance().sortKey(text)};
    const int row = sortedPlace(r.key);
    beginInsertRows({}, row, row);
    m_rows.insert(m_rows.begin() + row, std::move(r));
    endInsertRows();
    return row;
}

void AccountListModel::add(const QString& text, Qt::CheckState state, bool enabled) {
    m_pending.push_back({text, AccountOrder::instance().sortKey(text), state, enabled});
}

void AccountListModel::flush() {
    if (m_pending.empty()) {
        return;
    }
    auto less = [](const Row& a, const Row& b) { return a.key.compare(b.key) < 0; };
    std::stable_sort(m_pending.begin(), m_pending.end(), less);
    if (m_pending.size() == 1) {
        const int row = sortedPlace(m_pending.front().key);
        beginInsertRows({}, row, row);
        m_rows.insert(m_rows.begin() + row, std::move(m_pending.front()));
        endInsertRows();
    } else if (m_rows.empty() || m_rows.back().key.compare(m_pending.front().key) <= 0) {
        // All after the last item: an insertion at the end, which the view
        // follows without losing its place.
        const int first = int(m_rows.size());
        beginInsertRows({}, first, first + int(m_pending.size()) - 1);
        std::move(m_pending.begin(), m_pending.end(), std::back_inserter(m_rows));
        endInsertRows();
    } else {
        // Items already in the list stay before equal new ones.
        std::vector<Row> merged;
        merged.reserve(m_rows.size() + m_pending.size());
        beginResetModel();
        std::merge(std::make_move_iterator(m_rows.begin()), std::make_move_iterator(m_rows.end()),
                   std::make_move_iterator(m_pending.begin()),
                   std::make_move_iterator(m_pending.end()), std::back_inserter(merged), less);
        m_rows = std::move(merged);
        endResetModel();
    }
    m_pending.clear();
}

void AccountListModel::setItems(const QStringList& texts, const std::function<void()>& pending) {
    // The new rows are made aside, so the list the window shows meanwhile
    // stays whole.
    std::vector<Row> rows;
    rows.reserve(size_t(texts.size()));
    const AccountOrder& order = AccountOrder::instance();
    for (const QString& t : texts) {
        if (pending) {
            pending();
        }
        rows.push_back({t, order.sortKey(t)});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.key.compare(b.key) < 0; });
    beginResetModel();
    m_pending.clear();
    m_rows = std::move(rows);
    endResetModel();
}

int AccountListModel::rowOf(const QString& text) const {
    const AccountSortKey key = AccountOrder::instance().sortKey(text);
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), key,
                               [](const Row& r, const AccountSortKey& k) {
                                   return r.key.compare(k) < 0;
                               });
    for (; it != m_rows.end() && it->key.compare(key) == 0; ++it) {
        if (it->text == text) {
            return int(it - m_rows.begin());
        }
    }
    return -1;
}

QStringList AccountListModel::texts() const {
    QStringList r;
    r.reserve(qsizetype(m_rows.size()));
    for (const Row& row : m_rows) {
        r << row.text;
    }
    return r;
}

void AccountListModel::setCheckState(int row, Qt::CheckState state) {
    Row& r = m_rows[size_t(row)];
    if (r.check == state) {
        return;
    }
    r.check = state;
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

void AccountListModel::setItemEnabled(int row, bool enabled) {
    Row& r = m_rows[size_t(row)];
    if (r.enabled == enabled) {
        return;
    }
    r.enabled = enabled;
    const QModelIndex i = index(row);
    emit dataChanged(i, i);
}

AccountCheckList::AccountCheckList(QWidget* parent)
    : QListView(parent), m_model(new AccountListModel(true, this)) {
    setModel(m_model);
    setItemDelegate(new GreyedItemDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_model, &AccountListModel::checkToggled, this, [this](int row) {
        // The box toggled is the one of the current item.
        setCurrentIndex(m_model->index(row));
        emit checkToggled(row);
    });
    connect(this, &QListView::doubleClicked, this,
            [this](const QModelIndex& i) { emit itemDoubleClicked(i.row()); });
    // A merge of new items resets the model; keep the current item and the
    // scroll position the user had.
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        const int row = currentRow();
        m_keepCurrent = row >= 0 ? m_model->text(row) : QString();
        m_keepScroll = verticalScrollBar()->value();
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (!m_keepCurrent.isEmpty()) {
            const int row = m_model->rowOf(m_keepCurrent);
            if (row >= 0) {
                selectionModel()->setCurrentIndex(m_model->index(row),
                                                  QItemSelectionModel::ClearAndSelect);
            }
        }
        verticalScrollBar()->setValue(m_keepScroll);
        m_keepCurrent.clear();
    });
}

int AccountCheckList::currentRow() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : -1;
}

AccountCombo::AccountCombo(QWidget* parent)
    : QComboBox(parent), m_model(new AccountListModel(false, this)) {
    setEditable(true);
    setModel(m_model);
    setInsertPolicy(QComboBox::NoInsert);
    // Measuring every item of a large domain for the width is not worth it.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
    setMaxVisibleItems(20);
    if (auto* v = qobject_cast<QListView*>(view())) {
        v->setUniformItemSizes(true);
    }
    auto* completer = new QCompleter(m_model, this);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchStartsWith);
    completer->setMaxVisibleItems(20);
    setCompleter(completer);
    if (auto* v = qobject_cast<QListView*>(completer->popup())) {
        v->setUniformItemSizes(true);
    }
    connect(this, qOverload<int>(&QComboBox::activated), this, [this] { emit itemChosen(); });
    connect(completer, qOverload<const QString&>(&QCompleter::activated), this,
            [this](const QString& text) {
                setEditText(text);
                emit itemChosen();
            });
    lineEdit()->installEventFilter(this);
    completer->popup()->installEventFilter(this);
}

bool AccountCombo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        QAbstractItemView* popup = completer() ? completer()->popup() : nullptr;
        if (enter && watched == lineEdit()) {
            emit enterPressed();
            return true;
        }
        // Enter in the completion list takes the highlighted name, if any,
        // and then shows the account like Enter in the edit line; picking a
        // name with the mouse is choosing an item.
        if (enter && popup && watched == popup) {
            const QModelIndex current = popup->currentIndex();
            if (current.isValid()) {
                setEditText(current.data().toString());
            }
            popup->hide();
            emit enterPressed();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}
