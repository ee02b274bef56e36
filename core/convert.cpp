#include "core/convert.h"

#include "platform/sys/strconv.h"

int StrToInt(const QString &text)
{
    if (const std::optional<int32_t> value = platform::StrToIntValue(text.toStdString()))
        return *value;
    throw EConvertError("'" + text.toStdString() + "' is not a valid integer value");
}
