#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace testsupport {

// How long a test waits for LibreOffice to convert a file. Its first start with a fresh profile
// builds the profile and reads its whole installation: on a loaded machine of two processors that
// took more than 100 s. ctest runs these tests one at a time (the "libreoffice" resource), so the
// deadline covers one start, never several against each other.
inline constexpr int kOfficeDeadlineMs = 300000;

// How a conversion by LibreOffice ended.
struct OfficeRun
{
    bool finished = false; // false: it did not end within kOfficeDeadlineMs
    int exitCode = 0;
    QString output; // its standard output and error, for the failure message
};

// Runs LibreOffice headless with `arguments` (a conversion), in a profile of its own below
// `profileFolder`. The first start of a fresh profile now and then ends in LibreOffice's own
// "Unspecified Application Error" (seen on a fresh, loaded machine; the same file converted at
// once when tried again): a start that ends with a non-zero code is tried once more, with a new
// profile. A file that LibreOffice cannot read makes it exit 0 and write nothing, which the
// caller's look at the converted file finds.
OfficeRun convertWithOffice(const QString& office, const QStringList& arguments, const QString& profileFolder,
                            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

} // namespace testsupport
