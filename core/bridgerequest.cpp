#include "core/bridgerequest.h"

#include "core/formats/pronto.h"
#include "core/hextext.h"
#include "core/protocols/protocols.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>
#include <optional>

namespace {

const QString IdKey = QStringLiteral("id");

struct TObjectRead {
    QJsonObject Object;
    QJsonValue Id = QJsonValue::Null;
    QString Error;
};

// The payload as a JSON object, with its id whenever the text holds one, even if the rest is bad.
TObjectRead readObject(const QByteArray &payload)
{
    TObjectRead read;
    if (payload.size() > MaxRequestBytes) {
        read.Error = QStringLiteral("payload of %1 bytes is over the limit of %2").arg(payload.size()).arg(MaxRequestBytes);
        return read;
    }
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(payload, &parse);
    if (parse.error != QJsonParseError::NoError) {
        read.Error = QStringLiteral("malformed JSON at offset %1: %2").arg(parse.offset).arg(parse.errorString());
        return read;
    }
    if (!document.isObject()) {
        read.Error = QStringLiteral("the payload must be a JSON object");
        return read;
    }
    read.Object = document.object();
    const QJsonValue id = read.Object.value(IdKey);
    if (id.isString() || id.isDouble())
        read.Id = id;
    else if (!id.isUndefined() && !id.isNull())
        read.Error = QStringLiteral("\"id\" must be a string or a number");
    return read;
}

// A whole number within [low, high]; std::nullopt for any other value.
std::optional<qint64> wholeNumber(const QJsonValue &value, qint64 low, qint64 high)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || d < static_cast<double>(low) || d > static_cast<double>(high))
        return std::nullopt;
    return static_cast<qint64>(d);
}

QString timingsProblem(const QJsonValue &value, std::vector<int> &durations)
{
    if (!value.isArray())
        return QStringLiteral("\"timings\" must be an array of integers");
    const QJsonArray timings = value.toArray();
    if (timings.isEmpty())
        return QStringLiteral("\"timings\" is empty");
    if (timings.size() > MaxRequestTimings)
        return QStringLiteral("\"timings\" holds %1 values, more than %2").arg(timings.size()).arg(MaxRequestTimings);
    durations.reserve(timings.size());
    for (qsizetype i = 0; i < timings.size(); ++i) {
        const std::optional<qint64> t = wholeNumber(timings[i], -MaxRequestTimingUs, MaxRequestTimingUs);
        if (!t)
            return QStringLiteral("timing %1 is not an integer number of µs within ±%2").arg(i + 1).arg(MaxRequestTimingUs);
        if (*t == 0)
            return QStringLiteral("timing %1 is zero").arg(i + 1);
        const bool mark = i % 2 == 0;
        if ((*t > 0) != mark)
            return QStringLiteral("timing %1 must be %2: timings alternate, a mark (positive) first")
                .arg(i + 1)
                .arg(mark ? QStringLiteral("a mark (positive)") : QStringLiteral("a space (negative)"));
        durations.push_back(static_cast<int>(std::llabs(*t)));
    }
    return QString();
}

QString readTimings(const QJsonObject &o, TSendRequest &request)
{
    request.Source = TSendRequest::Timings;
    if (QString problem = timingsProblem(o.value(QStringLiteral("timings")), request.Code.DurationsUs); !problem.isEmpty())
        return problem;
    const QJsonValue modulation = o.value(QStringLiteral("modulation"));
    if (modulation.isUndefined())
        return QString();
    const std::optional<qint64> hz = wholeNumber(modulation, 0, 1'000'000);
    if (!hz)
        return QStringLiteral("\"modulation\" must be a carrier in Hz from 0 to 1000000");
    request.Code.CarrierHz = static_cast<int>(*hz);
    return QString();
}

QString readPronto(const QJsonObject &o, TSendRequest &request)
{
    request.Source = TSendRequest::Pronto;
    const QJsonValue text = o.value(QStringLiteral("pronto"));
    if (!text.isString())
        return QStringLiteral("\"pronto\" must be a string");
    const TImport import = ImportPronto(text.toString().toUtf8());
    if (!import.Ok())
        return QStringLiteral("\"pronto\": %1").arg(import.Error);
    if (import.Records.size() != 1)
        return QStringLiteral("\"pronto\" must hold exactly one code");
    request.Code = import.Records.front().Code;
    return QString();
}

QString readLibraryName(const QJsonObject &o, TSendRequest &request)
{
    request.Source = TSendRequest::Library;
    const QJsonValue name = o.value(QStringLiteral("code"));
    if (!name.isString() || name.toString().isEmpty())
        return QStringLiteral("\"code\" must be a code's name");
    request.CodeName = name.toString();
    const QJsonValue remote = o.value(QStringLiteral("remote"));
    if (!remote.isUndefined() && !remote.isString())
        return QStringLiteral("\"remote\" must be a string");
    request.Remote = remote.toString();
    return QString();
}

QString readProtocol(const QJsonObject &o, TSendRequest &request)
{
    request.Source = TSendRequest::Protocol;
    const QJsonValue protocol = o.value(QStringLiteral("protocol"));
    if (!protocol.isString())
        return QStringLiteral("\"protocol\" must be a protocol's name");
    const std::optional<qint64> address = wholeNumber(o.value(QStringLiteral("address")), 0, 0xFFFFFFFF);
    const std::optional<qint64> command = wholeNumber(o.value(QStringLiteral("command")), 0, 0xFFFFFFFF);
    if (!address || !command)
        return QStringLiteral("\"address\" and \"command\" must be whole numbers from 0");
    TProtocolCode code;
    code.Protocol = protocol.toString();
    code.Address = static_cast<uint32_t>(*address);
    code.Command = static_cast<uint32_t>(*command);
    const std::optional<TIrCode> encoded = EncodeCode(code);
    if (!encoded)
        return QStringLiteral("cannot encode %1 address %2 command %3: unknown protocol, or a field too wide for it "
                              "(NEC, NECext, Samsung32, SIRC, SIRC15, SIRC20, RC5, RC5X, RC6, JVC, Kaseikyo, Sharp)")
            .arg(code.Protocol)
            .arg(*address)
            .arg(*command);
    request.Code = *encoded;
    return QString();
}

QString readSend(const QJsonObject &o, TSendRequest &request)
{
    const QString sources[] = {QStringLiteral("timings"), QStringLiteral("pronto"), QStringLiteral("code"),
                               QStringLiteral("protocol")};
    QStringList given;
    for (const QString &key : sources)
        if (o.contains(key))
            given.append(key);
    if (given.size() != 1)
        return given.isEmpty()
            ? QStringLiteral("give one of \"timings\", \"pronto\", \"code\" or \"protocol\"")
            : QStringLiteral("give only one of %1").arg(given.join(QStringLiteral(", ")));
    const QJsonValue repeat = o.value(QStringLiteral("repeat_count"));
    if (!repeat.isUndefined()) {
        const std::optional<qint64> n = wholeNumber(repeat, 0, MaxRepeatCount);
        if (!n)
            return QStringLiteral("\"repeat_count\" must be a whole number from 0 to %1").arg(MaxRepeatCount);
        request.RepeatCount = static_cast<int>(*n);
    }
    const QString &source = given.front();
    if (source == sources[0])
        return readTimings(o, request);
    if (source == sources[1])
        return readPronto(o, request);
    if (source == sources[2])
        return readLibraryName(o, request);
    return readProtocol(o, request);
}

QString readLearn(const QJsonObject &o, TLearnRequest &request)
{
    const QJsonValue save = o.value(QStringLiteral("save"));
    const QJsonValue remote = o.value(QStringLiteral("remote"));
    if (!save.isUndefined() && (!save.isString() || save.toString().trimmed().isEmpty()))
        return QStringLiteral("\"save\" must be the name to save the code under");
    if (!remote.isUndefined() && !remote.isString())
        return QStringLiteral("\"remote\" must be a string");
    if (!remote.isUndefined() && save.isUndefined())
        return QStringLiteral("\"remote\" goes with \"save\"");
    request.Save = save.toString().trimmed();
    request.Remote = remote.toString().trimmed();
    const QJsonValue timeout = o.value(QStringLiteral("timeout"));
    if (!timeout.isUndefined()) {
        const std::optional<qint64> s = wholeNumber(timeout, 1, MaxLearnTimeoutS);
        if (!s)
            return QStringLiteral("\"timeout\" must be whole seconds from 1 to %1").arg(MaxLearnTimeoutS);
        request.TimeoutS = static_cast<int>(*s);
    }
    return QString();
}

} // namespace

QString RequestErrorName(TRequestError error)
{
    switch (error) {
    case TRequestError::None: return QString();
    case TRequestError::BadRequest: return QStringLiteral("bad-request");
    case TRequestError::NotFound: return QStringLiteral("not-found");
    case TRequestError::Offline: return QStringLiteral("offline");
    case TRequestError::BadCode: return QStringLiteral("bad-code");
    case TRequestError::Busy: return QStringLiteral("busy");
    case TRequestError::Timeout: return QStringLiteral("timeout");
    }
    return QString();
}

TSendRequest ReadSendRequest(const QByteArray &payload)
{
    TSendRequest request;
    const TObjectRead read = readObject(payload);
    request.Id = read.Id;
    request.Error = read.Error.isEmpty() ? readSend(read.Object, request) : read.Error;
    return request;
}

TLearnRequest ReadLearnRequest(const QByteArray &payload)
{
    TLearnRequest request;
    const TObjectRead read = readObject(payload);
    request.Id = read.Id;
    request.Error = read.Error.isEmpty() ? readLearn(read.Object, request) : read.Error;
    return request;
}

QByteArray ResultPayload(const QJsonValue &id, TRequestError error, const QString &message)
{
    QJsonObject result{{IdKey, id.isUndefined() ? QJsonValue(QJsonValue::Null) : id},
                       {QStringLiteral("ok"), error == TRequestError::None}};
    if (error != TRequestError::None) {
        result.insert(QStringLiteral("error"), RequestErrorName(error));
        result.insert(QStringLiteral("message"), message);
    }
    return QJsonDocument(result).toJson(QJsonDocument::Compact);
}

QByteArray LearnedPayload(const TIrCode &code)
{
    QJsonArray timings;
    for (size_t i = 0; i < code.DurationsUs.size(); ++i)
        timings.append(i % 2 == 0 ? code.DurationsUs[i] : -code.DurationsUs[i]);
    QJsonObject learned{{QStringLiteral("timings"), timings},
                        {QStringLiteral("modulation"), code.CarrierHz},
                        {QStringLiteral("reply"), BytesToHexText(code.ModuleReply).trimmed()}};
    const std::optional<TProtocolCode> identified = IdentifyCode(code.DurationsUs);
    learned.insert(QStringLiteral("protocol"), identified ? QJsonValue(identified->Protocol) : QJsonValue());
    learned.insert(QStringLiteral("address"), identified ? QJsonValue(static_cast<qint64>(identified->Address)) : QJsonValue());
    learned.insert(QStringLiteral("command"), identified ? QJsonValue(static_cast<qint64>(identified->Command)) : QJsonValue());
    return QJsonDocument(learned).toJson(QJsonDocument::Compact);
}
