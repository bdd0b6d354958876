// The grid of the comparison window: a comparison table with its header
// rows and columns held in place while the rest scrolls, drawn in bold on
// the face colour. It paints only the cells in view straight from the
// table, so a table of fifty groups by twenty thousand members costs its
// cells' texts and nothing per cell besides.
#pragma once

#include <QAbstractScrollArea>
#include <QHash>
#include <vector>

#include "CompareTable.h"

class CompareGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kDefaultColWidth = 64;
    static constexpr int kRowHeight = 22;

    explicit CompareGrid(QWidget* parent = nullptr);

    // Lays a table in. Columns that the grid had keep their widths; columns
    // beyond those take the default width.
    void setTable(tyCompareTable table);
    const tyCompareTable& table() const { return m_table; }
    // Every cell emptied; counts and widths stay.
    void clearCells();

    int RowCount() const { return m_table.RowCount; }
    int ColCount() const { return m_table.ColCount; }
    int FixedRows() const { return m_table.FixedRows; }
    int FixedCols() const { return m_table.FixedCols; }
    const QString& Cells(int col, int row) const { return m_table.Cells(col, row); }

    int colWidth(int col) const { return m_widths[size_t(col)]; }
    void setColWidth(int col, int width);
    // Every column as wide as its widest text, in the font it is drawn in,
    // plus 4 pixels.
    void fitColumnWidths();

    // The font of the header cells: the grid's own, in bold.
    QFont headerFont() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;

private:
    // The width a text takes in a header cell or in an ordinary one.
    int textWidth(const QString& text, bool header) const;
    void layoutChanged();
    void updateScrollBars();
    int fixedWidth() const { return m_left[size_t(m_table.FixedCols)]; }
    int fixedHeight() const { return m_table.FixedRows * kRowHeight; }
    // The first column whose right edge lies beyond x (content coordinates).
    int columnAt(int x) const;

    tyCompareTable m_table;
    std::vector<int> m_widths;
    std::vector<int> m_left;  // left edge of each column, and the total width last
    mutable QHash<QString, int> m_measured[2];
};
