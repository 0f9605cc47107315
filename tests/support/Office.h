#pragma once

namespace testsupport {

// How long a test waits for LibreOffice to convert a file. Its first start with a fresh profile
// builds the profile and reads its whole installation: on a loaded machine of two processors that
// took more than 100 s. ctest runs these tests one at a time (the "libreoffice" resource), so the
// deadline covers one start, never several against each other.
inline constexpr int kOfficeDeadlineMs = 300000;

} // namespace testsupport
