// The resource compiler on a script from the input.
//
// Properties: a refused script is refused with a CompileError that names a
// place ("file:line: "), never with a crash or another exception; a compiled
// script's dialog and menu resources read back with the layer's readers, its
// string tables hold whole blocks, and its table can be written out.
//
// Scripts may include and embed files. Inputs that could name a device or a
// system file (which might never end) are left out.
#include <string>

#include "emit.h"
#include "fuzz_support.h"
#include "lexer.h"
#include "qvplatform/dlgtemplate.h"
#include "script.h"

namespace {

bool MayNameASystemFile(const std::string& text) {
  for (const char* dir : {"/dev", "/proc", "/sys", "/run"}) {
    if (text.find(dir) != std::string::npos) return true;
  }
  // Escapes could spell such a name.
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '\\' && (text[i + 1] == 'x' || (text[i + 1] >= '0' && text[i + 1] <= '7'))) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  const std::string text(qvfuzz::Bytes(data, size));
  if (MayNameASystemFile(text)) return 0;
  const std::string path = qvfuzz::WriteScratch("main.rc", text);
  qvrc::Script script;
  try {
    script = qvrc::CompileScript(path, {});
  } catch (const qvrc::CompileError& e) {
    FUZZ_CHECK(std::string(e.what()).find(":") != std::string::npos);
    return 0;
  }
  for (const qvrc::Resource& r : script.resources) {
    if (r.type == qvrc::ResName::Number(qvrc::kTypeDialog)) {
      qvp::DialogTemplateReader reader;
      FUZZ_CHECK(reader.Open(r.data.data(), r.data.size()));
    } else if (r.type == qvrc::ResName::Number(qvrc::kTypeMenu)) {
      qvp::MenuTemplateReader reader;
      FUZZ_CHECK(reader.Open(r.data.data(), r.data.size()));
    }
    FUZZ_CHECK(!r.where.empty());
  }
  FUZZ_CHECK(qvrc::EmitTable(script, "main.rc").find("QvResourceTable") != std::string::npos);
  return 0;
}
