#pragma once
// What an automation system asks of a module through the message broker, read from the JSON text
// it publishes, and the JSON the service answers with. Pure functions: no state, any thread.
//
// A send names its code in one of four ways: raw timings (signed µs, marks positive, spaces
// negative, a mark first), a Pronto string, a code from the library by name, or a protocol with
// address and command. Reading checks only what the text itself can show (size, JSON, types, the
// timings' shape); whether the module exists, the library holds the code or the module frame can
// carry it is judged later, in that order, by the service.
#include "core/ircode.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <vector>

// The largest payload read; anything longer is refused unread.
constexpr qsizetype MaxRequestBytes = 64 * 1024;
constexpr int MaxRequestTimings = 2000;
constexpr int MaxRequestTimingUs = 10'000'000;
// A send repeats its code at most this often, so that one request cannot hold a module for hours.
constexpr int MaxRepeatCount = 100;
constexpr int DefaultLearnTimeoutS = 15;
constexpr int MaxLearnTimeoutS = 300;

// How a request ended; the names are those published in "error".
enum class TRequestError { None, BadRequest, NotFound, Offline, BadCode, Busy, Timeout };
QString RequestErrorName(TRequestError error);

struct TSendRequest {
    enum TSource { Timings, Pronto, Library, Protocol };
    QJsonValue Id = QJsonValue::Null; // echoed in the result; null where none could be read
    TSource Source = Timings;
    TIrCode Code;        // the code to send; empty for Library until the service looks it up
    QString CodeName;    // Library: the name looked up
    QString Remote;      // Library: the remote it belongs to, empty for any
    int RepeatCount = 0; // the frame goes out RepeatCount + 1 times
    QString Error;       // why the payload is a bad request; empty when it was read
    bool Ok() const { return Error.isEmpty(); }
};

struct TLearnRequest {
    QJsonValue Id = QJsonValue::Null;
    QString Save;   // the name to save the learned code under; empty: not saved
    QString Remote; // the remote it is saved for
    int TimeoutS = DefaultLearnTimeoutS;
    QString Error;
    bool Ok() const { return Error.isEmpty(); }
};

TSendRequest ReadSendRequest(const QByteArray &payload);
TLearnRequest ReadLearnRequest(const QByteArray &payload);

// {"id":...,"ok":true} or {"id":...,"ok":false,"error":"...","message":"..."}.
QByteArray ResultPayload(const QJsonValue &id, TRequestError error = TRequestError::None,
                         const QString &message = QString());

// A learned code as published: signed timings, the carrier (0 when unknown), the protocol with
// address and command (null when unidentified) and the module's reply as hex text.
QByteArray LearnedPayload(const TIrCode &code);
