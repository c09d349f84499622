// The C++ source that carries a module's resources.
#pragma once

#include <string>

#include "script.h"

namespace qvrc {

// A translation unit defining the module's exported resource table
// (QvResourceTable, see qvplatform/resources.h). `origin` names the script in
// the file's first comment.
std::string EmitTable(const Script& script, const std::string& origin);

// A make-style dependency file: `target` depends on every file the script used.
std::string EmitDepfile(const Script& script, const std::string& target);

}  // namespace qvrc
