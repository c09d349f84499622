// Free space of a volume through statvfs; drive roots go through the drive map.
#include <sys/statvfs.h>

#include <cerrno>

#include "files/path_mapper.h"
#include "files/win_error.h"
#include "qvplatform/files.h"
#include "qvplatform/kernel.h"

namespace {

// A null path names the current directory's volume.
bool StatVolume(LPCSTR path, struct statvfs* out) {
  std::string linux_path = ".";
  if (path != nullptr) {
    qvp::MappedPath mapped = qvp::MapPath(path);
    if (!mapped.ok()) return qvp::FailWith(mapped.error);
    linux_path = mapped.path;
  }
  if (::statvfs(linux_path.c_str(), out) != 0) {
    return qvp::FailWith(errno == ENOENT ? ERROR_PATH_NOT_FOUND : qvp::WinErrorFromErrno(errno));
  }
  return true;
}

}  // namespace

BOOL GetDiskFreeSpaceA(LPCSTR lpRootPathName, LPDWORD lpSectorsPerCluster, LPDWORD lpBytesPerSector,
                       LPDWORD lpNumberOfFreeClusters, LPDWORD lpTotalNumberOfClusters) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    struct statvfs vfs;
    if (!StatVolume(lpRootPathName, &vfs)) return FALSE;
    uint64_t fragment = vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize;
    if (fragment == 0) fragment = 512;
    uint64_t bytes_per_sector = fragment % 512 == 0 ? 512 : fragment;
    uint64_t sectors_per_cluster = fragment / bytes_per_sector;
    uint64_t total_bytes = static_cast<uint64_t>(vfs.f_blocks) * fragment;
    // Grow the cluster until the cluster counts fit their 32-bit fields, so that
    // the product of the four values stays the true size of a large volume.
    while (total_bytes / (sectors_per_cluster * bytes_per_sector) > 0xFFFFFFFFull) sectors_per_cluster *= 2;
    const uint64_t cluster = sectors_per_cluster * bytes_per_sector;
    const uint64_t free_bytes = static_cast<uint64_t>(vfs.f_bavail) * fragment;
    if (lpSectorsPerCluster) *lpSectorsPerCluster = static_cast<DWORD>(sectors_per_cluster);
    if (lpBytesPerSector) *lpBytesPerSector = static_cast<DWORD>(bytes_per_sector);
    if (lpNumberOfFreeClusters) *lpNumberOfFreeClusters = static_cast<DWORD>(free_bytes / cluster);
    if (lpTotalNumberOfClusters) *lpTotalNumberOfClusters = static_cast<DWORD>(total_bytes / cluster);
    return TRUE;
  });
}

BOOL GetDiskFreeSpaceExA(LPCSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                         PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    struct statvfs vfs;
    if (!StatVolume(lpDirectoryName, &vfs)) return FALSE;
    const uint64_t fragment = vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize;
    if (lpFreeBytesAvailableToCaller) lpFreeBytesAvailableToCaller->QuadPart = vfs.f_bavail * fragment;
    if (lpTotalNumberOfBytes) lpTotalNumberOfBytes->QuadPart = vfs.f_blocks * fragment;
    if (lpTotalNumberOfFreeBytes) lpTotalNumberOfFreeBytes->QuadPart = vfs.f_bfree * fragment;
    return TRUE;
  });
}
