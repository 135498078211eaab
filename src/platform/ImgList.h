// The class library's image list: equally sized images addressed by index.
#pragma once

#include <QPixmap>

#include <vector>

namespace lumvor {

class TImageList {
public:
    TImageList(int width = 16, int height = 16) : Width(width), Height(height) {}

    int Width;
    int Height;

    int Count() const { return int(images_.size()); }
    // Appends an image (scaled to the list's size) and answers its index.
    int Add(const QPixmap& image) {
        images_.push_back(image.size() == QSize(Width, Height)
                              ? image
                              : image.scaled(Width, Height, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        return Count() - 1;
    }
    void Clear() { images_.clear(); }
    // The image at index, or a null pixmap outside the list.
    QPixmap Image(int index) const {
        return index >= 0 && index < Count() ? images_[size_t(index)] : QPixmap();
    }

private:
    std::vector<QPixmap> images_;
};

}  // namespace lumvor
