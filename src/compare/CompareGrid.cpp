#include "CompareGrid.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <vector>

CompareGrid::CompareGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    horizontalScrollBar()->setSingleStep(kDefaultColWidth);
    verticalScrollBar()->setSingleStep(kRowHeight);
    m_left.assign(1, 0);
}

void CompareGrid::setTable(tyCompareTable table) {
    m_table = std::move(table);
    m_widths.resize(size_t(m_table.ColCount), kDefaultColWidth);
    layoutChanged();
}

void CompareGrid::clearCells() {
    m_table.ClearCells();
    viewport()->update();
}

void CompareGrid::setColWidth(int col, int width) {
    m_widths[size_t(col)] = width;
    layoutChanged();
}

QFont CompareGrid::headerFont() const {
    QFont f = font();
    f.setBold(true);
    return f;
}

int CompareGrid::textWidth(const QString& text, bool header) const {
    if (text.isEmpty()) {
        return 0;
    }
    // Most cells of a membership table hold the same few texts ("X", a
    // name per column), so each distinct text is measured once.
    QHash<QString, int>& cache = m_measured[header ? 1 : 0];
    const auto it = cache.constFind(text);
    if (it != cache.constEnd()) {
        return it.value();
    }
    const QFontMetrics metrics(header ? headerFont() : font());
    QString line = text;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    const int w = metrics.horizontalAdvance(line);
    cache.insert(text, w);
    return w;
}

void CompareGrid::fitColumnWidths() {
    // Each distinct text of the table is measured once in each font; a cell
    // only looks up its text's width. Five million cells of a large
    // comparison are walked in the order they are stored.
    const std::vector<QString>& texts = m_table.texts();
    std::vector<int> measured[2];
    measured[0].assign(texts.size(), -1);
    measured[1].assign(texts.size(), -1);
    const tyCompareTable::CellArray& cells = m_table.cellTexts();
    const size_t cols = size_t(std::max(m_table.ColCount, 0));
    std::vector<int> widest(cols, 0);
    for (int row = 0; row < m_table.RowCount; ++row) {
        const uint32_t* cell = cells.data() + size_t(row) * cols;
        for (size_t col = 0; col < cols; ++col) {
            const bool header = row < m_table.FixedRows || int(col) < m_table.FixedCols;
            int& w = measured[header ? 1 : 0][cell[col]];
            if (w < 0) {
                w = textWidth(texts[cell[col]], header);
            }
            widest[col] = std::max(widest[col], w);
        }
    }
    for (size_t col = 0; col < cols; ++col) {
        m_widths[col] = widest[col] + 4;
    }
    layoutChanged();
}

void CompareGrid::layoutChanged() {
    m_left.assign(m_widths.size() + 1, 0);
    for (size_t c = 0; c < m_widths.size(); ++c) {
        m_left[c + 1] = m_left[c] + m_widths[c];
    }
    updateScrollBars();
    viewport()->update();
}

void CompareGrid::updateScrollBars() {
    const QSize view = viewport()->size();
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, m_left.back() - view.width()));
    h->setPageStep(std::max(1, view.width() - fixedWidth()));
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, m_table.RowCount * kRowHeight - view.height()));
    v->setPageStep(std::max(kRowHeight, view.height() - fixedHeight()));
}

int CompareGrid::columnAt(int x) const {
    const auto it = std::upper_bound(m_left.begin(), m_left.end(), x);
    return std::clamp(int(it - m_left.begin()) - 1, 0, std::max(0, m_table.ColCount - 1));
}

void CompareGrid::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const int vw = viewport()->width();
    const int vh = viewport()->height();
    const int hs = horizontalScrollBar()->value();
    const int vs = verticalScrollBar()->value();
    const int fw = std::min(fixedWidth(), vw);
    const int fh = std::min(fixedHeight(), vh);
    if (m_table.ColCount == 0 || m_table.RowCount == 0) {
        return;
    }
    const QFont normal = font();
    const QFont bold = headerFont();
    const QColor line = palette().color(QPalette::Mid);
    const QColor face = palette().color(QPalette::Button);
    const QColor faceText = palette().color(QPalette::ButtonText);
    const QColor text = palette().color(QPalette::Text);

    auto drawCell = [&](int col, int row, int x, int y) {
        const bool header = row < m_table.FixedRows || col < m_table.FixedCols;
        const QRect cell(x, y, m_widths[size_t(col)], kRowHeight);
        if (header) {
            p.fillRect(cell, face);
        }
        p.setPen(line);
        p.drawLine(cell.topRight(), cell.bottomRight());
        p.drawLine(cell.bottomLeft(), cell.bottomRight());
        const QString& s = m_table.Cells(col, row);
        if (!s.isEmpty()) {
            p.setFont(header ? bold : normal);
            p.setPen(header ? faceText : text);
            p.drawText(cell.adjusted(2, 0, -2, 0),
                       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, s);
        }
    };
    // The rows and columns in view of the scrolling part.
    const int firstCol = std::max(m_table.FixedCols, columnAt(fixedWidth() + hs));
    const int lastCol = columnAt(vw + hs);
    const int firstRow = std::max(m_table.FixedRows, (fixedHeight() + vs) / kRowHeight);
    const int lastRow = std::min(m_table.RowCount - 1, (vh + vs) / kRowHeight);

    auto region = [&](const QRect& clip, int c0, int c1, int r0, int r1, bool scrollX,
                      bool scrollY) {
        if (clip.isEmpty()) {
            return;
        }
        p.setClipRect(clip);
        for (int row = r0; row <= r1; ++row) {
            const int y = row * kRowHeight - (scrollY ? vs : 0);
            for (int col = c0; col <= c1; ++col) {
                drawCell(col, row, m_left[size_t(col)] - (scrollX ? hs : 0), y);
            }
        }
    };
    const int fixedColsLast = m_table.FixedCols - 1;
    const int fixedRowsLast = m_table.FixedRows - 1;
    region(QRect(fw, fh, vw - fw, vh - fh), firstCol, lastCol, firstRow, lastRow, true, true);
    region(QRect(fw, 0, vw - fw, fh), firstCol, lastCol, 0, fixedRowsLast, true, false);
    region(QRect(0, fh, fw, vh - fh), 0, fixedColsLast, firstRow, lastRow, false, true);
    region(QRect(0, 0, fw, fh), 0, fixedColsLast, 0, fixedRowsLast, false, false);
}

void CompareGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CompareGrid::scrollContentsBy(int, int) {
    viewport()->update();
}

void CompareGrid::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        m_measured[0].clear();
        m_measured[1].clear();
    }
    QAbstractScrollArea::changeEvent(event);
}
