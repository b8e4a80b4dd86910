#include "game/CColumnEnvelope.h"

#include "platform/CDC.h"

#include <algorithm>
#include <new>

namespace game {

namespace {

// Start values of the running extremes of a shared column: beyond any sample or level.
constexpr float NO_MAX = -100000.0f;
constexpr float NO_MIN = 100000.0f;

// The column of value i when count values are spread over columns columns. Computed in single
// precision like the rest of the envelope, and held inside the plot against rounding.
int ColumnOf(int i, float columnsPerValue, int columns) {
    const int x = static_cast<int>(static_cast<float>(i) * columnsPerValue);
    return std::min(x, columns - 1);
}

} // namespace

int CColumnEnvelope::ColumnOfValue(int index, int count, int columns) {
    if (index < 0 || index >= count || columns <= 0)
        return -1;
    const int k = count / columns;
    if (k >= 4)
        return index / k < columns ? index / k : -1;
    return ColumnOf(index, static_cast<float>(columns) / static_cast<float>(count), columns);
}

CColumnEnvelope CColumnEnvelope::Compute(const float* values, int count, int columns,
                                         const RowMapping& rowOf) {
    CColumnEnvelope envelope;
    if (values == nullptr || count <= 0 || columns <= 0 || !rowOf)
        return envelope;
    const int k = count / columns;
    try {
        envelope.m_mean.resize(static_cast<std::size_t>(columns));
        if (k >= 1) {
            envelope.m_top.resize(static_cast<std::size_t>(columns));
            envelope.m_bottom.resize(static_cast<std::size_t>(columns));
        }
    } catch (const std::bad_alloc&) {
        return CColumnEnvelope();
    }
    envelope.m_width = columns;
    envelope.m_valuesPerColumn = k;
    if (k >= 4)
        envelope.WholeBlocks(values, rowOf);
    else if (k >= 1)
        envelope.SharedColumns(values, count, rowOf);
    else
        envelope.Interpolated(values, count, rowOf);
    return envelope;
}

void CColumnEnvelope::WholeBlocks(const float* values, const RowMapping& rowOf) {
    const int k = m_valuesPerColumn;
    for (int x = 0; x < m_width; ++x) {
        const float* block = values + static_cast<std::size_t>(x) * k;
        float max = block[0];
        float min = block[0];
        float sum = block[0];
        for (int i = 1; i < k; ++i) {
            max = std::max(max, block[i]);
            min = std::min(min, block[i]);
            sum += block[i];
        }
        m_top[x] = rowOf(max);
        m_mean[x] = rowOf(sum / static_cast<float>(k));
        m_bottom[x] = rowOf(min);
    }
}

void CColumnEnvelope::SharedColumns(const float* values, int count, const RowMapping& rowOf) {
    const float columnsPerValue = static_cast<float>(m_width) / static_cast<float>(count);
    int column = 0;
    int inColumn = 0;
    float sum = 0.0f;
    float max = NO_MAX;
    float min = NO_MIN;
    const auto finish = [&] {
        m_mean[column] = rowOf(sum / static_cast<float>(inColumn));
        m_top[column] = rowOf(max);
        m_bottom[column] = rowOf(min);
    };
    for (int i = 0; i < count; ++i) {
        const int x = ColumnOf(i, columnsPerValue, m_width);
        if (x != column) {
            finish();
            sum = 0.0f;
            inColumn = 0;
            max = NO_MAX;
            min = NO_MIN;
            column = x;
        }
        sum += values[i];
        max = std::max(max, values[i]);
        min = std::min(min, values[i]);
        ++inColumn;
    }
    // The column of the last value holds values even when it is not the plot's last column.
    finish();
    RepeatLastFrom(column + 1);
}

void CColumnEnvelope::Interpolated(const float* values, int count, const RowMapping& rowOf) {
    const float columnsPerValue = static_cast<float>(m_width) / static_cast<float>(count);
    int previous = 0;
    for (int i = 0; i < count; ++i) {
        const int x = ColumnOf(i, columnsPerValue, m_width);
        m_mean[x] = rowOf(values[i]);
        const int gap = x - previous;
        for (int j = 1; j < gap; ++j) {
            const float rise = static_cast<float>(j) * (values[i] - values[i - 1]);
            m_mean[previous + j] = rowOf(values[i - 1] + rise / static_cast<float>(gap));
        }
        previous = x;
    }
    RepeatLastFrom(previous + 1);
}

void CColumnEnvelope::RepeatLastFrom(int from) {
    if (from <= 0 || from >= m_width)
        return;
    std::fill(m_mean.begin() + from, m_mean.end(), m_mean[from - 1]);
    if (HasRange()) {
        std::fill(m_top.begin() + from, m_top.end(), m_top[from - 1]);
        std::fill(m_bottom.begin() + from, m_bottom.end(), m_bottom[from - 1]);
    }
}

void CColumnEnvelope::DrawMeanLine(CDC& dc) const {
    if (!HasMean())
        return;
    std::vector<CPoint> line(m_mean.size());
    for (std::size_t x = 0; x < m_mean.size(); ++x)
        line[x] = CPoint{static_cast<int>(x), m_mean[x]};
    dc.Polyline(line.data(), static_cast<int>(line.size()));
}

void CColumnEnvelope::DrawColumns(CDC& dc) const {
    if (!HasRange())
        return;
    for (int x = 0; x < m_width; ++x) {
        dc.MoveTo(x, m_top[x]);
        dc.LineTo(x, m_bottom[x]);
    }
}

} // namespace game
