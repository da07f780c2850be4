#include "info/lamplist.h"

#include <QImageReader>
#include <QPainter>

// Resources of a static library are registered by hand, outside any namespace.
static void initInfoResources()
{
    Q_INIT_RESOURCE(info);
}

namespace vestan {
namespace {

constexpr const char *kLampFiles[LampList::kCount] = {
    ":/info/lamps/lamp_grey.svg",
    ":/info/lamps/lamp_green.svg",
    ":/info/lamps/lamp_red.svg",
    ":/info/lamps/lamp_yellow.svg",
};

QPixmap renderLamp(const char *file)
{
    QPixmap pixmap(LampList::kSize, LampList::kSize);
    // The list's background colour, also where a picture could not be drawn.
    pixmap.fill(QColor(0xC0, 0xC0, 0xC0));
    // Through the image reader, so a build that has the pictures as PNG draws them alike.
    QImageReader reader(QString::fromLatin1(file));
    reader.setScaledSize(QSize(LampList::kSize, LampList::kSize));
    const QImage image = reader.read();
    if (!image.isNull()) {
        QPainter painter(&pixmap);
        painter.drawImage(0, 0, image);
    }
    return pixmap;
}

} // namespace

LampList::LampList()
{
    initInfoResources();
    for (int i = 0; i < kCount; ++i)
        images_[std::size_t(i)] = renderLamp(kLampFiles[i]);
}

QPixmap LampList::image(int index) const
{
    if (index < 0 || index >= kCount)
        return QPixmap();
    return images_[std::size_t(index)];
}

LampImage::LampImage(const LampList &list, QWidget *parent) : QLabel(parent), list_(list)
{
    setObjectName(QStringLiteral("ImgLamp"));
    setFixedSize(LampList::kSize, LampList::kSize);
    setAlignment(Qt::AlignCenter);
}

void LampImage::showImage(int index)
{
    clear();
    const QPixmap picture = list_.image(index);
    index_ = picture.isNull() ? -1 : index;
    if (!picture.isNull())
        setPixmap(picture);
    emit imageShown(index_);
}

} // namespace vestan
