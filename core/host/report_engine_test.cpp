// Host callback 15: CreateReport hands its six values to the report engine
// unchanged and answers its result; without the engine it answers "general
// error". Nobody changes the current directory.
#include "report_engine.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "host_tables.h"
#include "test_dir.h"

namespace {

struct Request {
  std::string control;
  std::string directory;
  std::string status;
  int files = 0;
};

char* Summary(void*, const char* token, int, int, char*, char* status) {
  static char title[] = "Nightly";
  std::strcpy(status, std::strcmp(token, "Var_Alert_Report_Title") == 0 ? "TOKEN RETREIVED SUCCESSFULLY"
                                                                          : "TOKEN WAS UNKNOWN");
  return title;
}
char* Property(void* request, int id) {
  auto* r = static_cast<Request*>(request);
  return id == 3 ? r->control.data() : r->directory.data();
}
int Status(void* request, int, int, const char* text, int) {
  static_cast<Request*>(request)->status = text;
  return 1;
}
int Files(void* request, int, const char*) {
  ++static_cast<Request*>(request)->files;
  return 1;
}

std::string Windows(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

class CreateReportTest : public ::testing::Test {
 protected:
  void TearDown() override { SetReportEngineFileForTests(nullptr); }
  TestDir dir_;
};

TEST_F(CreateReportTest, TheSixValuesReachTheEngineAndItsResultComesBack) {
  SetReportEngineFileForTests(QV_DIST_DIR "/libqv_report.so");
  dir_.write("frame.pl", "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>$[Var_Alert_Report_Title]"
                         "</title></head><body>\n@@BODY@@\n</body></html>\n");
  dir_.write("t.var", ".BLOCK Main\n<p>$(Var_Alert_Report_Title)</p>\n.ENDBLOCK\n");
  dir_.write("t.rpl", "");
  dir_.write("ALERT.WCT", "[General]\r\nSaveReportAs=" + Windows(dir_.file("report.htm")) +
                              "\r\nReportStyle=None\r\nReportLanguage=" + Windows(dir_.file("t.rpl")) +
                              "\r\nTemplateFile=" + Windows(dir_.file("t.var")) +
                              "\r\nReportFormat=HTML\r\n[Content]\r\nReportObjects=1\r\nObject1=Main\r\n");
  Request request{Windows(dir_.file("ALERT.WCT")), Windows(dir_.path().string()), "", 0};
  char before[1024] = "";
  GetCurrentDirectoryA(sizeof before, before);
  const auto create = reinterpret_cast<PFN_HostCreateReport>(HostCallbackAddress(HC_CREATE_REPORT));
  ASSERT_NE(create, nullptr);
  EXPECT_EQ(create(Windows(dir_.file("frame.pl")).c_str(), &request, Summary, Property, Status, Files), 0);
  EXPECT_NE(dir_.read("report.htm").find("<p><span class=\"Var_Alert_Report_Title\">Nightly</span></p>"),
            std::string::npos)
      << dir_.read("report.htm");
  EXPECT_EQ(request.status, "Creating Main...");
  EXPECT_EQ(request.files, 1);
  char after[1024] = "";
  GetCurrentDirectoryA(sizeof after, after);
  EXPECT_STREQ(before, after);

  // The engine's own answers come back unchanged: a template problem.
  dir_.write("t.var", ".BLOCK Main\n<p>$(Unknown)</p>\n.ENDBLOCK\n");
  EXPECT_EQ(CreateReport(Windows(dir_.file("frame.pl")).c_str(), &request, Summary, Property, Status, Files), 1);
}

TEST_F(CreateReportTest, WithoutTheEngineEveryReportIsAGeneralError) {
  SetReportEngineFileForTests("no_such_engine.so");
  Request request;
  EXPECT_EQ(CreateReport("qv_report.pl", &request, Summary, Property, Status, Files), kReportEngineGeneralError);
  EXPECT_EQ(request.files, 0);
}

}  // namespace
