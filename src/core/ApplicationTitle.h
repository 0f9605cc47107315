#pragma once

namespace core {

// The caption of the message boxes of the lower layers unless a box has a title of its own.
inline constexpr char16_t kApplicationTitle[] = u"Ларимо-9: Фетчлинг.";

} // namespace core
