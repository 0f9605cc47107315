#pragma once

#include <QString>

namespace core {
class Error;
}

namespace diadoc {

// Where the operation of a queue record stands and how its last attempt failed: the one place
// that fills a record's error fields, for list requests and downloads alike. What a state number
// means is the record's own.
class RecordOutcome
{
public:
    qint32 State = 0;
    QString ErrorNumber;
    QString ErrorDescription;
    QString ErrorSource;
    QString ErrorPlace;
    // The description of the attempt before the present one.
    QString LastErrorDescription;

    // A new attempt: the last description moves aside, the error fields clear and the state is 0.
    void beginAttempt();
    // The failure of a call: its error's number, description and source, where it was met, and the
    // state it leaves.
    void storeError(const core::Error& error, const QString& place, qint32 state);
    // A failure the queue tells itself, with no number and no source of its own.
    void storeFailure(const QString& description, const QString& place, qint32 state);
    // Nothing tried yet: every field empty, the state 0.
    void clearOutcome();

protected:
    RecordOutcome() = default;
    ~RecordOutcome() = default;
    RecordOutcome(const RecordOutcome&) = default;
    RecordOutcome& operator=(const RecordOutcome&) = default;
};

} // namespace diadoc
