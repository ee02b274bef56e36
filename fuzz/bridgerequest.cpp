// Any bytes as a payload published to a module's send or learn topic: reading never fails without a
// reason, an accepted send holds a code the module frame builder can judge, timings read keep the
// rules (non-zero, at most 10 s, at most 2000), and a result can always be published.
#include "core/bridgerequest.h"
#include "core/moduleframe.h"
#include "fuzz/check.h"

#include <QJsonDocument>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray payload(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const TSendRequest send = ReadSendRequest(payload);
    FUZZ_CHECK(send.Id.isNull() || send.Id.isString() || send.Id.isDouble());
    if (send.Ok()) {
        FUZZ_CHECK(send.RepeatCount >= 0 && send.RepeatCount <= MaxRepeatCount);
        if (send.Source == TSendRequest::Timings) {
            FUZZ_CHECK(!send.Code.DurationsUs.empty() && send.Code.DurationsUs.size() <= size_t(MaxRequestTimings));
            for (int d : send.Code.DurationsUs)
                FUZZ_CHECK(d > 0 && d <= MaxRequestTimingUs);
        }
        if (send.Source != TSendRequest::Library) {
            const TFrameBuild frame = ReplyForCode(send.Code);
            FUZZ_CHECK(frame.Ok() ? frame.Reply.size() <= MaxFrameBytes : !frame.Error.isEmpty());
        }
    } else {
        FUZZ_CHECK(!send.Error.isEmpty());
    }
    const TLearnRequest learn = ReadLearnRequest(payload);
    FUZZ_CHECK(learn.Ok() || !learn.Error.isEmpty());
    FUZZ_CHECK(learn.TimeoutS >= 1 && learn.TimeoutS <= MaxLearnTimeoutS);
    FUZZ_CHECK(QJsonDocument::fromJson(ResultPayload(send.Id, TRequestError::BadRequest, send.Error)).isObject());
    return 0;
}
