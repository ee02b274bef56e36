#pragma once
// What the commands that talk to a module over TCP have in common: linking within the deadline
// and turning the link's failures into the command's errors.
#include "cli/clioutput.h"
#include "core/modulelink.h"

// Opens link to the endpoint, or raises the failure with its reason.
void OpenOrFail(TModuleLink &link, const TLinkEndpoint &endpoint, QDeadlineTimer deadline);
// Raises a failed outcome as the command's error.
void FailOn(const TLinkOutcome &outcome);
