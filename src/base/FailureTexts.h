#pragma once

// Failure texts and numbers shared between layers: the platform's own failures are mapped onto
// these so that every layer recognises them by one text.
namespace core::failure {

inline constexpr char16_t kBadAllocation[] = u"bad allocation";
inline constexpr char16_t kDiskFull[] = u"Disk full";
inline constexpr char16_t kFileWriteError[] = u"Ошибка записи в файл";
// An object that should be there is not; core::objectNotSet() gives the error.
inline constexpr char16_t kObjectNotSet[] = u"Object variable or With block variable not set";

inline constexpr int kOutOfMemoryNumber = 7;
inline constexpr int kDiskFullNumber = 61;
inline constexpr int kPathFileAccessNumber = 75;
inline constexpr int kFileNotFoundNumber = 53;
inline constexpr int kObjectNotSetNumber = 91;
inline constexpr int kPermissionDeniedNumber = 70;
// Automation error "unspecified failure" (E_FAIL), used for failures that carry no number.
inline constexpr int kUnspecifiedNumber = -2147467259;

} // namespace core::failure
