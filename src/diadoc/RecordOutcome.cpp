#include "RecordOutcome.h"

#include "base/Error.h"

namespace diadoc {

void RecordOutcome::beginAttempt()
{
    LastErrorDescription = ErrorDescription;
    ErrorDescription.clear();
    ErrorNumber.clear();
    ErrorSource.clear();
    ErrorPlace.clear();
    State = 0;
}

void RecordOutcome::storeError(const core::Error& error, const QString& place, qint32 state)
{
    ErrorDescription = error.description();
    ErrorNumber = QString::number(error.number());
    ErrorSource = error.source();
    ErrorPlace = place;
    State = state;
}

void RecordOutcome::storeFailure(const QString& description, const QString& place, qint32 state)
{
    ErrorDescription = description;
    ErrorPlace = place;
    State = state;
}

void RecordOutcome::clearOutcome()
{
    State = 0;
    ErrorNumber.clear();
    ErrorDescription.clear();
    ErrorSource.clear();
    ErrorPlace.clear();
    LastErrorDescription.clear();
}

} // namespace diadoc
