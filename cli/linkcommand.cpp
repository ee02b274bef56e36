#include "cli/linkcommand.h"

namespace {

QString idOf(TLinkFailure failure)
{
    switch (failure) {
    case TLinkFailure::Unreachable:
        return QStringLiteral("unreachable");
    case TLinkFailure::ListenRefused:
        return QStringLiteral("refused");
    case TLinkFailure::TimedOut:
        return QStringLiteral("timeout");
    case TLinkFailure::Closed:
        return QStringLiteral("closed");
    case TLinkFailure::Cancelled:
        return QStringLiteral("interrupted");
    case TLinkFailure::None:
        break;
    }
    return QStringLiteral("failed");
}

} // namespace

void OpenOrFail(TModuleLink &link, const TLinkEndpoint &endpoint, QDeadlineTimer deadline)
{
    FailOn(link.Open(endpoint, deadline));
}

void FailOn(const TLinkOutcome &outcome)
{
    if (!outcome.Ok())
        throw ECliError(ExitFailure, idOf(outcome.Failure), outcome.Message);
}
