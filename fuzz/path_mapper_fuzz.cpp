// The path mapper on Windows paths from the input, with drive Q: mapped onto a
// scratch directory.
//
// Properties: a path on the mapped drive maps inside the drive's directory,
// whatever its "..", separators, case or odd names; the mapped path has no "."
// or ".." component; parsing gives the same drive the path names.
#include <sys/stat.h>

#include <string>
#include <string_view>

#include "files/path_mapper.h"
#include "fuzz_support.h"
#include "qvplatform.h"
#include "qvplatform/files.h"

namespace {

const std::string& Root() {
  static const std::string root = [] {
    const std::string r = qvfuzz::ScratchDir() + "/drive_q";
    for (const char* dir : {"", "/Dir", "/Dir/Sub", "/lower"}) mkdir((r + dir).c_str(), 0700);
    qvfuzz::WriteScratch("drive_q/Dir/File.TXT", "x");
    FUZZ_CHECK(qvp::SetDriveMapping('Q', r.c_str()));
    return r;
  }();
  return root;
}

void CheckInsideRoot(const qvp::MappedPath& mapped) {
  if (mapped.error != ERROR_SUCCESS) return;
  const std::string& root = Root();
  FUZZ_CHECK(mapped.path == root || (mapped.path.starts_with(root) && mapped.path[root.size()] == '/'));
  std::string_view rest = std::string_view(mapped.path).substr(root.size());
  while (!rest.empty()) {
    rest.remove_prefix(1);
    const std::string_view component = rest.substr(0, rest.find('/'));
    FUZZ_CHECK(component != ".." && component != ".");
    rest.remove_prefix(component.size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  Root();
  const std::string text = qvfuzz::CString(qvfuzz::Bytes(data, size));

  // Anything after "Q:\" stays on Q:.
  for (const char* prefix : {"Q:\\", "q:/", "Q:"}) {
    const std::string path = prefix + text;
    const qvp::ParsedPath parsed = qvp::ParseWindowsPath(path.c_str(), false);
    if (parsed.error == ERROR_SUCCESS) FUZZ_CHECK(parsed.root == qvp::PathRoot::kDrive && parsed.drive == 'Q');
    CheckInsideRoot(qvp::MapPath(path.c_str()));
    const qvp::MappedPath pattern = qvp::MapSearchPattern(path.c_str());
    if (pattern.error == ERROR_SUCCESS) CheckInsideRoot(pattern);
  }

  // The path as it is: on Q: it stays inside; no other drive is mapped.
  const qvp::ParsedPath parsed = qvp::ParseWindowsPath(text.c_str(), false);
  const qvp::MappedPath mapped = qvp::MapPath(text.c_str());
  if (parsed.error == ERROR_SUCCESS && parsed.root == qvp::PathRoot::kDrive) {
    if (parsed.drive == 'Q') {
      CheckInsideRoot(mapped);
    } else {
      FUZZ_CHECK(mapped.error != ERROR_SUCCESS);
    }
  }
  return 0;
}
