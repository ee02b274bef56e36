#pragma once
#include <QString>

namespace platform {

// Asks the desktop's default handler to open a web address; false if none took it.
bool OpenUrl(const QString &address);

} // namespace platform
