#pragma once

#include <QStringView>

namespace core {

class UiServices;

// The two ends of every error handler. Both are called inside a catch block while the error is
// being handled: PropagateError puts the handler's place in front of the trail and raises the
// error again towards the caller; ReportError shows the whole trail once and returns.
[[noreturn]] void PropagateError(QStringView module, QStringView procedure, int line = 0);
void ReportError(UiServices& ui, QStringView module, QStringView procedure, int line = 0) noexcept;

} // namespace core
