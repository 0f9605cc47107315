#pragma once

#include <QString>

namespace run {

// Keeps a second run out of an unload folder for as long as a run writes into it: an advisory
// lock (flock) on a file in the folder. The system lets the lock go when the process ends, however
// it ends, so a killed run leaves no lock that stands in the next run's way.
class UnloadFolderLock final
{
public:
    static constexpr char16_t kFileName[] = u".N7_Fetchling.lock";
    static constexpr int kRefusedNumber = 5;

    // Takes the lock, making the folder first when it is missing. Raises core::Error with
    // refusalText while another run holds it. A folder that takes no file is not locked: no run
    // can write into it, and this run tells its own failures.
    explicit UnloadFolderLock(const QString& folder);
    ~UnloadFolderLock();
    UnloadFolderLock(const UnloadFolderLock&) = delete;
    UnloadFolderLock& operator=(const UnloadFolderLock&) = delete;

    bool isHeld() const { return m_descriptor >= 0; }

    static QString refusalText(const QString& folder);

private:
    QString m_file;
    int m_descriptor = -1;
};

} // namespace run
