#pragma once
// Reduces a run of values to one pixel column each: per column the row of the largest, the
// mean and the smallest value, through a value -> row mapping that the plot chooses. The wave
// plot feeds it samples, the spectrum plot spectrum bins.
//
// With k = count / columns values per column:
// - k >= 4: column x covers values x*k .. x*k + k - 1; the last count - columns*k values are
//   not shown.
// - 1 <= k <= 3: value i belongs to column trunc(i * columns / count); a column holds one to
//   four values.
// - k = 0 (fewer values than columns): only the mean line exists; value i lands on column
//   trunc(i * columns / count) and the columns between two values are interpolated linearly.
// Columns that no value reaches (right of the last value's column) repeat the last computed
// row, so the drawn line never falls back to row 0.

#include <functional>
#include <vector>

class CDC;

namespace game {

class CColumnEnvelope {
public:
    using RowMapping = std::function<int(float)>;

    // The envelope of values on the given number of columns. Empty (Width() 0) when there
    // are no values or columns, or when memory runs out.
    static CColumnEnvelope Compute(const float* values, int count, int columns,
                                   const RowMapping& rowOf);

    // The column on which value index of count values is drawn over columns columns, by the
    // rules above; -1 when that value is not drawn.
    static int ColumnOfValue(int index, int count, int columns);

    // Number of columns; 0 = nothing computed.
    int Width() const { return m_width; }
    int ValuesPerColumn() const { return m_valuesPerColumn; }
    // Top and bottom rows exist for k >= 1, mean rows whenever Width() > 0.
    bool HasRange() const { return !m_top.empty(); }
    bool HasMean() const { return !m_mean.empty(); }
    const std::vector<int>& TopRows() const { return m_top; }
    const std::vector<int>& MeanRows() const { return m_mean; }
    const std::vector<int>& BottomRows() const { return m_bottom; }

    // Painting with the selected pen: the mean line through every column, and each column's
    // line from its top row to its bottom row (nothing when they do not exist).
    void DrawMeanLine(CDC& dc) const;
    void DrawColumns(CDC& dc) const;

private:
    void WholeBlocks(const float* values, const RowMapping& rowOf);
    void SharedColumns(const float* values, int count, const RowMapping& rowOf);
    void Interpolated(const float* values, int count, const RowMapping& rowOf);
    // Gives columns from..Width()-1 the rows of column from - 1.
    void RepeatLastFrom(int from);

    int m_width = 0;
    int m_valuesPerColumn = 0;
    std::vector<int> m_top;
    std::vector<int> m_mean;
    std::vector<int> m_bottom;
};

} // namespace game
