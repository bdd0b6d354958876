#include "AccountCollator.h"

#include <QLocale>
#include <algorithm>
#include <cstring>
#include <vector>

QCollator AccountCollator() {
    return AccountCollator(QLocale());
}

QCollator AccountCollator(QLocale locale) {
    if (locale.language() == QLocale::C) {
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    }
    QCollator c(locale);
    c.setCaseSensitivity(Qt::CaseInsensitive);
    c.setNumericMode(false);
    return c;
}

const AccountOrder& AccountOrder::instance() {
    static const AccountOrder order{QLocale()};
    return order;
}

AccountOrder::AccountOrder(const QLocale& locale) : m_collator(AccountCollator(locale)) {
    std::vector<char> chars;
    for (char c = 0x20; c < 0x7F; ++c) {
        chars.push_back(c);
    }
    auto text = [](char c) { return QString(QChar(c)); };
    std::stable_sort(chars.begin(), chars.end(), [&](char a, char b) {
        return m_collator.compare(text(a), text(b)) < 0;
    });
    char rank = 0;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (i == 0 || m_collator.compare(text(chars[i - 1]), text(chars[i])) != 0) {
            ++rank;
        }
        m_rank[size_t(chars[i])] = rank;
    }
    m_ranksAscii = checkRanks();
}

// The ranks order two-character names as the collation does, or the
// locale has rules of its own for pairs of letters (contractions such as a
// Czech "ch" or a Danish "aa") and no name is ranked.
bool AccountOrder::checkRanks() const {
    QStringList pairs;
    for (char a = 0x20; a < 0x7F; ++a) {
        for (char b = 0x20; b < 0x7F; ++b) {
            pairs << QString(QChar(a)) + QChar(b);
        }
    }
    auto rankOf = [&](const QString& s) {
        QByteArray r;
        r.append(m_rank[size_t(s[0].unicode())]);
        r.append(m_rank[size_t(s[1].unicode())]);
        return r;
    };
    std::stable_sort(pairs.begin(), pairs.end(),
                     [&](const QString& x, const QString& y) { return rankOf(x) < rankOf(y); });
    for (qsizetype i = 1; i < pairs.size(); ++i) {
        const int byRank = rankOf(pairs[i - 1]) == rankOf(pairs[i]) ? 0 : -1;
        const int byCollation = m_collator.compare(pairs[i - 1], pairs[i]);
        if ((byRank == 0) != (byCollation == 0) || byCollation > 0) {
            return false;
        }
    }
    return true;
}

AccountSortKey AccountOrder::sortKey(const QString& text) const {
    AccountSortKey k;
    k.m_order = this;
    k.m_text = text;
    if (!m_ranksAscii) {
        return k;
    }
    k.m_ranks.resize(text.size());
    char* out = k.m_ranks.data();
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u >= 0x7F) {
            k.m_ranks.clear();
            return k;
        }
        *out++ = m_rank[u];
    }
    k.m_ranked = true;
    return k;
}

int AccountSortKey::compare(const AccountSortKey& other) const {
    if (m_ranked && other.m_ranked) {
        const qsizetype n = std::min(m_ranks.size(), other.m_ranks.size());
        const int c = std::memcmp(m_ranks.constData(), other.m_ranks.constData(), size_t(n));
        if (c != 0) {
            return c;
        }
        return m_ranks.size() == other.m_ranks.size() ? 0
               : m_ranks.size() < other.m_ranks.size() ? -1
                                                         : 1;
    }
    return m_order->compare(m_text, other.m_text);
}
