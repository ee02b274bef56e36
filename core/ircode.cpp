#include "core/ircode.h"

#include "core/replydecoder.h"

std::vector<int> ReplyDurationsUs(const QByteArray &reply)
{
    std::vector<int> units = DecodeDurations(reply).Durations;
    // The last decoded value is the end mark with the tail added for drawing, not a pulse.
    if (!units.empty())
        units.pop_back();
    for (int &u : units)
        u *= ModuleUnitUs;
    return units;
}

TIrCode CodeFromReply(const QByteArray &reply)
{
    TIrCode code;
    code.DurationsUs = ReplyDurationsUs(reply);
    code.ModuleReply = reply;
    return code;
}
