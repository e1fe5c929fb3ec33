#include "platform/gui/cursor_file.h"

#include "base/runtime_error.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

namespace {

quint16 word(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

RuntimeError invalidPicture()
{
    return RuntimeError(RuntimeError::InvalidPicture, QStringLiteral("Invalid picture"));
}

} // namespace

QCursor loadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw RuntimeError::fileNotFound();
    QByteArray bytes = file.readAll();

    // Directory: reserved 0, type 1 (icon) or 2 (cursor), image count; then 16-byte entries.
    constexpr int kEntry = 6;
    if (bytes.size() < kEntry + 16 || word(bytes, 0) != 0) throw invalidPicture();
    const quint16 type = word(bytes, 2);
    if ((type != 1 && type != 2) || word(bytes, 4) == 0) throw invalidPicture();
    const bool isCursor = type == 2;
    const QPoint hotspot(word(bytes, kEntry + 4), word(bytes, kEntry + 6));

    if (isCursor) {
        // The reader only knows icons: present the cursor as one, with the planes and bit
        // count an icon keeps where the cursor keeps its hotspot.
        const quint32 offset = qFromLittleEndian<quint32>(bytes.constData() + kEntry + 12);
        if (quint64(offset) + 16 > quint64(bytes.size())) throw invalidPicture();
        const quint16 bits = word(bytes, int(offset) + 14);
        qToLittleEndian<quint16>(1, bytes.data() + 2);
        qToLittleEndian<quint16>(1, bytes.data() + kEntry + 4);
        qToLittleEndian<quint16>(bits, bytes.data() + kEntry + 6);
    }

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    const QImage image = reader.read();
    if (image.isNull()) throw invalidPicture();

    const QPixmap pixmap = QPixmap::fromImage(image);
    if (!isCursor) return QCursor(pixmap, pixmap.width() / 2, pixmap.height() / 2);
    return QCursor(pixmap, qMin(hotspot.x(), pixmap.width() - 1),
                   qMin(hotspot.y(), pixmap.height() - 1));
}
