#pragma once
// Decimal conversion of user-typed fields. A text that is not an integer raises EConvertError,
// which the application's top-level handler shows to the user.
#include <QString>
#include <stdexcept>
#include <string>

class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string &message) : std::runtime_error(message) {}
};

// Accepts optional blanks-free sign and decimal digits, or a "$"/"0x" hexadecimal form, within the
// signed 32-bit range; anything else raises EConvertError naming the text.
int StrToInt(const QString &text);
