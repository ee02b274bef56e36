#pragma once
// One learned code: the learn command, the module's reply, and how the command line shows it.
#include "core/codelibrary.h"
#include "core/modulelink.h"

#include <QJsonObject>
#include <QString>

struct TLearned {
    TCodeRecord Record; // Name and Remote left for the caller; Protocol the identified hint
    int TotalUs = 0;
};

// Sends the learn command and waits for the decoded data; raises the command's failure for a
// link failure or the module's decode time-out.
TLearned LearnCode(TModuleLink &link, QDeadlineTimer deadline);

QJsonObject LearnedJson(const TLearned &learned);
QString LearnedText(const TLearned &learned);
