#include "tools/simulator/serialline.h"

#include "tools/simulator/deviceline.h"
#include "tools/simulator/ptyline.h"

namespace irsim {

std::unique_ptr<TSerialLine> OpenSerialLine(const QString &spec, QString &error)
{
    if (spec == QLatin1String("pty"))
        return TPtyLine::Create(error);
    auto device = std::make_unique<TDeviceLine>(spec);
    if (!device->Open(error))
        return nullptr;
    return device;
}

} // namespace irsim
