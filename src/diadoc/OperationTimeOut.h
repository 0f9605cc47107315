#pragma once

namespace diadoc {

// An operation of the Diadoc client (a list request or a content download) that has not completed
// this long after its start is judged failed with the text below, and tried again: a client that
// never answers cannot hold a run for ever. Measured on the run's clock from the successful start;
// generous, as a large archive may take minutes.
inline constexpr int kOperationTimeOutMs = 5 * 60 * 1000;

// A hung operation rarely recovers: after this many time-outs its request or document is given up
// at once, as failed for good, so that one hung operation holds the run about ten minutes rather
// than the attempt cap's fifty. Failures of other kinds keep the queue's attempt cap.
inline constexpr int kTimeOutsBeforeGivingUp = 2;

inline constexpr char16_t kOperationTimeOutText[] =
    u"Операция Диадок API не завершилась за 5 минут: время ожидания истекло";

} // namespace diadoc
