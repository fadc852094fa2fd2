#pragma once

// The operating system keeps written data in its cache for a while; a power cut loses what is
// still there. The data file and the capture file are forced to the disk every few seconds
// (and when they are closed or a new data file begins), so a cut loses at most that much.

namespace undarix::files {

// Seconds between two forced writes; whatever was logged is on the disk within this time.
inline constexpr double kDiskSyncSeconds = 5.0;

// The sync timer: forces the open data and capture files to the disk if they took records
// since the last time. A failure is said once in the status line.
void SyncFilesTimer();

} // namespace undarix::files
