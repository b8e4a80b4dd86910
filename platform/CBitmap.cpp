#include "platform/CBitmap.h"

#include "platform/CImageBuffer.h"
#include "platform/CQtColor.h"

#include <QImage>
#include <QString>

#include <mutex>

// The resources are compiled into the static platform library; registering them from code
// that is sure to be linked keeps the linker from dropping them.
static void RegisterResources() {
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(resources); });
}

struct CBitmap::State {
    QImage image; // RGB32
    QImage keyed; // ARGB32: transparent where the image has its top-left colour
};

namespace {

const char* PathOf(UINT resourceId) {
    switch (resourceId) {
    case IDB_MARK_CORRECT:
        return ":/mark_tick.png";
    case IDB_MARK_WRONG:
        return ":/mark_cross.png";
    default:
        return nullptr;
    }
}

QImage KeyedByTopLeft(const QImage& image) {
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, 0);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            line[x] = line[x] == key ? qRgba(0, 0, 0, 0) : (line[x] | 0xFF000000u);
    }
    return keyed;
}

} // namespace

CBitmap::CBitmap() : m_state(std::make_unique<State>()) {}
CBitmap::~CBitmap() = default;
CBitmap::CBitmap(CBitmap&& other) noexcept : CBitmap() {
    m_state.swap(other.m_state);
}
CBitmap& CBitmap::operator=(CBitmap&& other) noexcept {
    m_state.swap(other.m_state);
    return *this;
}

bool CBitmap::LoadBitmap(UINT resourceId) {
    DeleteObject();
    const char* path = PathOf(resourceId);
    if (path == nullptr)
        return false;
    RegisterResources();
    QImage image(QString::fromLatin1(path));
    if (image.isNull())
        return false;
    // Opaque RGB: the key compares colours only.
    m_state->image = image.convertToFormat(QImage::Format_RGB32);
    m_state->keyed = KeyedByTopLeft(m_state->image);
    return true;
}

void CBitmap::DeleteObject() {
    m_state->image = QImage();
    m_state->keyed = QImage();
}

bool CBitmap::IsLoaded() const {
    return !m_state->image.isNull();
}
int CBitmap::Width() const {
    return m_state->image.width();
}
int CBitmap::Height() const {
    return m_state->image.height();
}

COLORREF CBitmap::GetPixel(int x, int y) const {
    if (!m_state->image.valid(x, y))
        return CLR_INVALID;
    return CQtColor::FromRgb(m_state->image.pixel(x, y));
}

const QImage& CBitmap::KeyedImage() const {
    return m_state->keyed;
}
