#include "app/HandCursor.h"

#include <stdexcept>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

#include "export/RegularFile.h"

namespace quillora {

namespace {

// The file starts with a 6-byte directory header (reserved 0, type 1 for an
// icon or 2 for a cursor, image count), followed by one 16-byte entry per
// image; in a cursor entry bytes 4-5 and 6-7 are the hot spot's x and y.
constexpr int kHeaderSize = 6;
constexpr int kEntrySize = 16;
constexpr int kCursorType = 2;
// The largest cursor Windows draws (256 x 256, 32 bits a pixel) is a quarter
// of a megabyte; anything far beyond is no cursor and is not read whole.
constexpr qint64 kLargestCursorFile = qint64{4} << 20;

int Word(const QByteArray& bytes, int at) {
    return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

}  // namespace

QString HandCursorPath(const QString& folder) {
    return QDir(folder).filePath(kHandCursorFile);
}

std::optional<QPoint> CursorHotSpot(const QByteArray& fileBytes) {
    if (fileBytes.size() < kHeaderSize + kEntrySize || Word(fileBytes, 0) != 0 ||
        Word(fileBytes, 2) != kCursorType || Word(fileBytes, 4) < 1) {
        return std::nullopt;
    }
    return QPoint(Word(fileBytes, kHeaderSize + 4), Word(fileBytes, kHeaderSize + 6));
}

QCursor LoadCursorFile(const QString& path) {
    QFile file;
    OpenRegularFile(file, path, QIODevice::ReadOnly);
    if (file.size() > kLargestCursorFile) {
        throw std::runtime_error("Invalid picture");
    }
    QByteArray bytes = file.read(kLargestCursorFile);
    const std::optional<QPoint> hotSpot = CursorHotSpot(bytes);

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // The icon reader takes cursors too, whatever the file's name says.
    QImageReader reader(&buffer, "ico");
    const QImage image = reader.read();
    if (image.isNull()) {
        throw std::runtime_error("Invalid picture");
    }
    const QPoint spot = hotSpot.value_or(QPoint(image.width() / 2, image.height() / 2));
    const bool inside = image.rect().contains(spot);
    return QCursor(QPixmap::fromImage(image), inside ? spot.x() : 0, inside ? spot.y() : 0);
}

}  // namespace quillora
