#pragma once

#include <QString>
#include <vector>

#include "TextTable.h"

// A message as an operation gives it: texts of the table, each in the three languages, with
// the ASCII pieces appended to them ("Scan COM" and " : #3"). The front end shows it in its
// language; nothing of the operation depends on the language.
class Message {
  public:
    Message() = default;
    // A row of the text table.
    static Message Row(int row);
    // A text of its own in the three languages, such as the RSSI level's.
    static Message Of(const char* const (&texts)[LanguageCount]);

    Message& Append(const QString& ascii);
    Message& Append(const Message& other);

    // The message in a column of the table: 0 English, 1 Simplified, 2 Traditional Chinese.
    QString Text(int language) const;
    // Whether it begins with that row of the table.
    bool StartsWithRow(int row) const;
    bool isEmpty() const { return pieces_.empty(); }

  private:
    struct Piece {
        const char* const* texts = nullptr;  // the three columns, or null for an ASCII piece
        QString ascii;
    };
    std::vector<Piece> pieces_;
};
