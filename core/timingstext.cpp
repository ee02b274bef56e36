#include "core/timingstext.h"

QString DurationsText(const std::vector<int> &durationsUs)
{
    QString out;
    out.reserve(qsizetype(durationsUs.size()) * 6);
    for (int d : durationsUs) {
        if (!out.isEmpty())
            out += u' ';
        out += QString::number(d);
    }
    return out;
}
