#include "platform/qt/desktop.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

bool OpenUrl(const QString &address)
{
    return QDesktopServices::openUrl(QUrl(address));
}

} // namespace platform
