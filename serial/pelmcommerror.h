#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace PelmComm {

// The language of the library's texts: 2052 Simplified Chinese, 1028 Traditional Chinese, anything
// else English.
class TPelmCommLanguage {
public:
    static constexpr uint32_t LcIdSimplifiedChinese = 2052;
    static constexpr uint32_t LcIdTraditionalChinese = 1028;
    static constexpr uint32_t LcIdEnglishUS = 1033;

    // Takes the identifier of the process's message locale; an unknown locale counts as English (1033).
    TPelmCommLanguage();
    explicit TPelmCommLanguage(uint32_t lcId) : FLcId(lcId) {}

    uint32_t LcId() const { return FLcId; }
    void fSetLcId(uint32_t lcId) { FLcId = lcId; }

private:
    uint32_t FLcId;
};

// Why a port could not be opened, as the system told it: its error number and the group that owns
// the device (empty when unknown).
struct TOpenFailure {
    int Errno = 0;
    std::string Group;
};

// The serial library's only exception. what() is the message in UTF-8, in the language of the locale
// at the moment of construction.
class EPelmCommError : public std::runtime_error {
public:
    enum TErrorCode : int {
        ecOutOfMemory = 1,
        ecInitReadBuffer = 2,
        ecInitWriteBuffer = 3,
        ecOpenPort = 4,
        ecSetCommMask = 5,
        ecSetBufferSize = 6,
        ecGetParams = 7,
        ecSetParams = 8,
        ecCreateReadEvent = 9,
        ecCreateWriteEvent = 10,
        ecCreateReadThread = 11,
        ecCreateWriteThread = 12,
        ecCloseReadThread = 13,
        ecCloseWriteThread = 14,
    };

    explicit EPelmCommError(TErrorCode code);
    EPelmCommError(TErrorCode code, const std::string &portName, const TOpenFailure &reason = {});

    TErrorCode ErrorCode;
    std::string PortName;
    TOpenFailure Reason;

    // The message for a code and a port name (no prefix when empty) in the given language, followed by
    // the reason where the system gave one the user can act on.
    static std::string Message(TErrorCode code, const std::string &portName, const TPelmCommLanguage &language,
                               const TOpenFailure &reason = {});
};

} // namespace PelmComm
