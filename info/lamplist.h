#pragma once

#include <QLabel>
#include <QPixmap>
#include <array>

namespace vestan {

// The image list of the information page's lamp: four 32 x 32 signal lamps
// on a silver background, rendered once from the folder's resources.
class LampList
{
public:
    enum Image : int
    {
        Grey = 0,
        Green = 1,
        Red = 2,
        Yellow = 3
    };
    static constexpr int kCount = 4;
    static constexpr int kSize = 32;

    LampList();

    // A null pixmap for an index outside the list.
    QPixmap image(int index) const;

private:
    std::array<QPixmap, kCount> images_;
};

// The lamp picture ImgLamp: empty until the first image is shown; showing an
// image clears the picture and draws image n of the list into it.
class LampImage : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(int imageIndex READ imageIndex NOTIFY imageShown)

public:
    explicit LampImage(const LampList &list, QWidget *parent = nullptr);

    void showImage(int index);
    // -1 while the lamp is empty.
    int imageIndex() const { return index_; }

signals:
    void imageShown(int index);

private:
    const LampList &list_;
    int index_ = -1;
};

} // namespace vestan
