#include "tools/simulator/serialline.h"

#include "tools/simulator/deviceline.h"
#include "tools/simulator/ptyline.h"

namespace irsim {

std::unique_ptr<TSerialLine> OpenSerialLine(const QString &lineName, QString &error)
{
    if (lineName == QLatin1String("pty"))
        return TPtyLine::Create(error);
    auto device = std::make_unique<TDeviceLine>(lineName);
    if (!device->Open(error))
        return nullptr;
    return device;
}

} // namespace irsim
