#include "Message.h"

Message Message::Row(int row) {
    Message message;
    if (row >= 0 && row < TextRowCount) message.pieces_.push_back({TextTable[row], {}});
    return message;
}

Message Message::Of(const char* const (&texts)[LanguageCount]) {
    Message message;
    message.pieces_.push_back({texts, {}});
    return message;
}

Message& Message::Append(const QString& ascii) {
    pieces_.push_back({nullptr, ascii});
    return *this;
}

Message& Message::Append(const Message& other) {
    pieces_.insert(pieces_.end(), other.pieces_.begin(), other.pieces_.end());
    return *this;
}

QString Message::Text(int language) const {
    if (language < 0 || language >= LanguageCount) return QString();
    QString text;
    for (const Piece& piece : pieces_)
        text += piece.texts ? QString::fromUtf8(piece.texts[language]) : piece.ascii;
    return text;
}

bool Message::StartsWithRow(int row) const {
    return row >= 0 && row < TextRowCount && !pieces_.empty() &&
           pieces_.front().texts == TextTable[row];
}
