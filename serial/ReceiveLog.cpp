#include "serial/ReceiveLog.h"

#include "serial/SerialTypes.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

namespace {
// The locale's long time format without its time-zone name.
QString LongTimeText(const QTime& time) {
    const QLocale locale = QLocale::system();
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return locale.toString(time, format.trimmed());
}
} // namespace

void WriteToLogFile(const std::string& path, bool withDateTime, const std::string& chunk) {
    QFile file(QFile::decodeName(path.c_str()));
    QByteArray text;
    if (withDateTime) {
        const QDateTime now = QDateTime::currentDateTime();
        text = (QLocale::system().toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                LongTimeText(now.time()) + QLatin1Char(' '))
                   .toLocal8Bit();
    }
    text.append(chunk.data(), static_cast<qsizetype>(chunk.size()));
    if (withDateTime)
        text.append("\r\n");
    if (path.empty() || !file.open(QIODevice::WriteOnly | QIODevice::Append) ||
        file.write(text) != text.size() || !file.flush())
        throw ESerialPortException("Invalid log file name or access denied.");
}
