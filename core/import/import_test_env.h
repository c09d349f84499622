// Tests only: a program directory, a Windows directory, a registry and the
// drives C:, D: and E: of the test's own.
#pragma once

#include <filesystem>
#include <string>

#include "program_paths.h"
#include "qvplatform.h"
#include "test_dir.h"

class ImportTestEnv {
 public:
  ImportTestEnv() {
    for (const char* folder : {"program", "windows", "c", "d", "e"})
      std::filesystem::create_directories(dir_.path() / folder);
    qv::SetProgramDirForTests((dir_.dir() + "program/").c_str());
    qvp::SetWindowsDirectory(dir_.file("windows").c_str());
    qvp::SetRegistryFile(dir_.file("registry").c_str());
    qvp::PreloadRegistry("");
    for (char drive : {'C', 'D', 'E'}) qvp::SetDriveMapping(drive, dir_.file(std::string(1, drive + 32)).c_str());
  }
  ~ImportTestEnv() {
    qvp::ClearDriveMappings();
    qvp::SetRegistryFile(nullptr);
    qvp::SetWindowsDirectory(nullptr);
    qv::SetProgramDirForTests(nullptr);
  }
  ImportTestEnv(const ImportTestEnv&) = delete;
  ImportTestEnv& operator=(const ImportTestEnv&) = delete;

  // A file on a drive ("c/Program Files/x.exe").
  void MakeFile(const std::string& relative) {
    std::filesystem::create_directories(std::filesystem::path(dir_.file(relative)).parent_path());
    dir_.write(relative, "program");
  }
  std::string ProgramFile(const std::string& name) const { return dir_.read("program/" + name); }
  void WriteProgramFile(const std::string& name, const std::string& text) { dir_.write("program/" + name, text); }
  void WriteWindowsFile(const std::string& name, const std::string& text) { dir_.write("windows/" + name, text); }
  std::string ProgramDir() const { return dir_.dir() + "program/"; }

 private:
  TestDir dir_;
};
