#include "window/blocks/HexDump.h"

#include <QByteArray>
#include <QStringList>

QString HexDump(std::string_view bytes) {
    constexpr qsizetype kPerLine = 16;
    const QByteArray all(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringList lines;
    for (qsizetype start = 0; start < all.size(); start += kPerLine) {
        const QByteArray part = all.mid(start, kPerLine);
        QString ascii;
        for (const char byte : part)
            ascii += byte >= 0x20 && byte < 0x7F ? QChar(byte) : QChar('.');
        lines << QString("%1  %2  %3")
                     .arg(start, 4, 16, QChar('0'))
                     .arg(QString::fromLatin1(part.toHex(' ').toUpper()), -(kPerLine * 3 - 1))
                     .arg(ascii);
    }
    return lines.join('\n');
}
