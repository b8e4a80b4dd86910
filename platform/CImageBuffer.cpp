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

struct Sum {
    std::uint64_t r = 0;
    std::uint64_t g = 0;
    std::uint64_t b = 0;

    void Add(QRgb c, std::uint64_t w) {
        r += w * qRed(c);
        g += w * qGreen(c);
        b += w * qBlue(c);
    }
    void Add(const Sum& s, std::uint64_t w) {
        r += w * s.r;
        g += w * s.g;
        b += w * s.b;
    }
    QRgb Mean(std::uint64_t total) const {
        const auto channel = [total](std::uint64_t v) {
            return static_cast<int>((v + total / 2) / total);
        };
        return qRgb(channel(r), channel(g), channel(b));
    }
};

// One destination row: the weighted source rows are summed first, then the columns.
void AverageRow(const QImage& source, const std::vector<Tap>& rowTaps,
                const std::vector<std::vector<Tap>>& columnTaps, std::uint64_t total, QRgb* out) {
    std::vector<Sum> column(source.width());
    for (const Tap& row : rowTaps) {
        const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(row.source));
        for (int x = 0; x < source.width(); ++x)
            column[x].Add(line[x], row.weight);
    }
    for (std::size_t d = 0; d < columnTaps.size(); ++d) {
        Sum sum;
        for (const Tap& tap : columnTaps[d])
            sum.Add(column[tap.source], tap.weight);
        out[d] = sum.Mean(total);
    }
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
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(result.m_state->image.scanLine(y));
        AverageRow(source, rowTaps[y], columnTaps, total, out);
    }
    return result;
}

const QImage& CImageBuffer::Image() const {
    return m_state->image;
}
