#include "platform/CImageBuffer.h"

#include "platform/CQtColor.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <vector>

struct CImageBuffer::State {
    QImage image;
};

namespace {

// The source pixels one destination pixel covers along one axis, with their coverage.
// Lengths are counted in units of 1/(source size * destination size) of the axis, so every
// weight is a whole number and each destination pixel's weights add up to the source size.
struct Tap {
    int source;
    std::uint64_t weight;
};

std::vector<std::vector<Tap>> TapsFor(int sourceSize, int destSize) {
    std::vector<std::vector<Tap>> taps(destSize);
    for (int d = 0; d < destSize; ++d) {
        // Destination pixel d covers [d*S, (d+1)*S); source pixel s covers [s*D, (s+1)*D).
        const std::int64_t begin = std::int64_t{d} * sourceSize;
        const std::int64_t end = begin + sourceSize;
        for (auto s = static_cast<int>(begin / destSize); s < sourceSize; ++s) {
            const std::int64_t sBegin = std::int64_t{s} * destSize;
            if (sBegin >= end)
                break;
            const std::int64_t overlap = std::min(end, sBegin + destSize) - std::max(begin, sBegin);
            if (overlap > 0)
                taps[d].push_back(Tap{s, static_cast<std::uint64_t>(overlap)});
        }
    }
    return taps;
}

// Weighted channel sums of one destination row, in Int: 32 bits where the largest sum (255 times
// the total weight) fits, which lets the compiler work on several pixels at once, else 64.
template <typename Int> class CRowAverager {
public:
    CRowAverager(const QImage& source, std::uint64_t total)
        : m_source(source), m_width(source.width()), m_total(total), m_r(m_width), m_g(m_width),
          m_b(m_width) {}

    void Average(const std::vector<Tap>& rowTaps, const std::vector<std::vector<Tap>>& columnTaps,
                 QRgb* out) {
        SumRows(rowTaps);
        for (std::size_t d = 0; d < columnTaps.size(); ++d) {
            Int r = 0;
            Int g = 0;
            Int b = 0;
            for (const Tap& tap : columnTaps[d]) {
                const auto w = static_cast<Int>(tap.weight);
                r += w * m_r[tap.source];
                g += w * m_g[tap.source];
                b += w * m_b[tap.source];
            }
            out[d] = qRgb(Mean(r), Mean(g), Mean(b));
        }
    }

private:
    // The weighted source rows, summed column by column.
    void SumRows(const std::vector<Tap>& rowTaps) {
        std::fill(m_r.begin(), m_r.end(), Int{0});
        std::fill(m_g.begin(), m_g.end(), Int{0});
        std::fill(m_b.begin(), m_b.end(), Int{0});
        for (const Tap& row : rowTaps) {
            const auto* line = reinterpret_cast<const QRgb*>(m_source.constScanLine(row.source));
            const auto w = static_cast<Int>(row.weight);
            for (int x = 0; x < m_width; ++x) {
                const QRgb c = line[x];
                m_r[x] += w * static_cast<Int>((c >> 16) & 0xff);
                m_g[x] += w * static_cast<Int>((c >> 8) & 0xff);
                m_b[x] += w * static_cast<Int>(c & 0xff);
            }
        }
    }

    int Mean(Int v) const { return static_cast<int>((v + m_total / 2) / m_total); }

    const QImage& m_source;
    const int m_width;
    const Int m_total;
    std::vector<Int> m_r;
    std::vector<Int> m_g;
    std::vector<Int> m_b;
};

template <typename Int>
void AverageImage(const QImage& source, std::uint64_t total,
                  const std::vector<std::vector<Tap>>& rowTaps,
                  const std::vector<std::vector<Tap>>& columnTaps, QImage& result) {
    CRowAverager<Int> averager(source, total);
    for (int y = 0; y < result.height(); ++y)
        averager.Average(rowTaps[y], columnTaps, reinterpret_cast<QRgb*>(result.scanLine(y)));
}

} // namespace

CImageBuffer::CImageBuffer() : m_state(std::make_unique<State>()) {}
CImageBuffer::~CImageBuffer() = default;
CImageBuffer::CImageBuffer(CImageBuffer&& other) noexcept : CImageBuffer() {
    m_state.swap(other.m_state);
}
CImageBuffer& CImageBuffer::operator=(CImageBuffer&& other) noexcept {
    m_state.swap(other.m_state);
    return *this;
}

bool CImageBuffer::Create(int width, int height) {
    Release();
    if (width <= 0 || height <= 0)
        return false;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    image.fill(qRgb(0, 0, 0));
    m_state->image = std::move(image);
    return true;
}

void CImageBuffer::Release() {
    m_state->image = QImage();
}
bool CImageBuffer::IsCreated() const {
    return !m_state->image.isNull();
}
int CImageBuffer::Width() const {
    return m_state->image.width();
}
int CImageBuffer::Height() const {
    return m_state->image.height();
}

void CImageBuffer::SetPixel(int x, int y, COLORREF color) {
    if (!m_state->image.valid(x, y))
        return;
    reinterpret_cast<QRgb*>(m_state->image.scanLine(y))[x] = CQtColor::ToRgb(color);
}

void CImageBuffer::SetRow(int y, const COLORREF* colors, int count) {
    QImage& image = m_state->image;
    if (y < 0 || y >= image.height())
        return;
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    const int n = std::min(count, image.width());
    for (int x = 0; x < n; ++x)
        row[x] = CQtColor::ToRgb(colors[x]);
}

COLORREF CImageBuffer::GetPixel(int x, int y) const {
    if (!m_state->image.valid(x, y))
        return CLR_INVALID;
    return CQtColor::FromRgb(reinterpret_cast<const QRgb*>(m_state->image.constScanLine(y))[x]);
}

CImageBuffer CImageBuffer::AreaAveraged(int width, int height) const {
    CImageBuffer result;
    if (!IsCreated() || !result.Create(width, height))
        return result;
    const QImage& source = m_state->image;
    const auto rowTaps = TapsFor(source.height(), height);
    const auto columnTaps = TapsFor(source.width(), width);
    const std::uint64_t total = std::uint64_t(source.width()) * std::uint64_t(source.height());
    QImage& target = result.m_state->image;
    if (total <= UINT32_MAX / 255)
        AverageImage<std::uint32_t>(source, total, rowTaps, columnTaps, target);
    else
        AverageImage<std::uint64_t>(source, total, rowTaps, columnTaps, target);
    return result;
}

const QImage& CImageBuffer::Image() const {
    return m_state->image;
}
