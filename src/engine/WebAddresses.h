#pragma once

// The addresses the unloaded documents link to: the Diadoc web interface (followed directly by a
// document's PathURL) and the tax service's power-of-attorney registry.
namespace engine {

inline constexpr char16_t kDiadocWebAddress[] = u"https://diadoc.kontur.ru";
inline constexpr char16_t kPowerOfAttorneyRegistry[] = u"https://m4d.nalog.gov.ru";

} // namespace engine
