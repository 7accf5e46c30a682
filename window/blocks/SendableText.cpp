#include "window/blocks/SendableText.h"

#include <stdexcept>

std::string SendableText(const QString& text) {
    for (const QChar character : text) {
        if (character.unicode() == 0)
            throw std::runtime_error(
                "A NUL character cannot be sent as text; send it with Send Bytes as #0.");
        if (character.unicode() > 0xFF) {
            const QString code =
                QString::number(character.unicode(), 16).toUpper().rightJustified(4, '0');
            throw std::runtime_error(QStringLiteral("The character \"%1\" (U+%2) cannot be sent: "
                                                    "only characters with codes 0 to 255 go out "
                                                    "as bytes.")
                                         .arg(character, code)
                                         .toStdString());
        }
    }
    return text.toLatin1().toStdString();
}
