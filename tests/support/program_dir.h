// Tests only: a temporary program directory holding links to built modules
// (a plug-in and the libraries beside it), so that a module that finds its
// directory from its own file name works in a directory of the test's own.
#pragma once

#include <string>
#include <vector>

#include "test_files.h"

namespace qvtest {

class ProgramDir {
 public:
  ProgramDir() : dir_("qvprogram") {}

  // Links `name` from `fromDirectory` into the program directory.
  void Link(const std::string& fromDirectory, const std::string& name) const;
  // Links every shared library ("*.so") of `fromDirectory`: the libraries a
  // plug-in finds beside itself.
  void LinkLibraries(const std::string& fromDirectory) const;
  // Links the monitoring plug-in with the libraries beside it and what its
  // reports need (the report engine's script, style and base files, the
  // plug-in's templates), and makes its data folder.
  void LinkPluginWithReports(const std::string& fromDirectory) const;

  const TempDir& dir() const { return dir_; }
  // The directory as a Linux path without a trailing separator.
  std::string path() const { return dir_.path().string(); }

 private:
  TempDir dir_;
};

}  // namespace qvtest
