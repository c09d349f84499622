// The report engine on templates of the test's own (nested repeats, values
// that end a repeat, missing items, unknown tokens, cancel), on the shipped
// templates with the three control files the alert reports write, and every
// report checked by a strict HTML5 parser and by tidy.
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "qv_report.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

using qvtest::ReadFile;

// What the callbacks answer and what they were asked.
struct FakeRequest {
  // A token's value at an index; the function may set the status itself.
  std::map<std::string, std::function<std::string(int index, char* status)>> tokens;
  const char* unknownStatus = "TOKEN WAS UNKNOWN";
  std::string directory;
  std::string control;
  std::string outputDirectory;
  int cancelAtStatus = 0;  // the status call (from 1) that answers 0
  std::vector<std::string> statusTexts;
  std::vector<std::pair<int, std::string>> fileActions;
  std::string value;
};

char* Summary(void* request, const char* token, int index, int, char*, char* status) {
  auto* fake = static_cast<FakeRequest*>(request);
  const auto found = fake->tokens.find(token);
  if (found == fake->tokens.end()) {
    std::strcpy(status, fake->unknownStatus);
    fake->value.clear();
  } else {
    std::strcpy(status, QVR_TOKEN_OK);
    fake->value = found->second(index, status);
  }
  return fake->value.data();
}

char* Property(void* request, int id) {
  auto* fake = static_cast<FakeRequest*>(request);
  static char unknown[] = "PROPERTY_UNKNOWN";
  if (id == 1 || id == 4) return fake->directory.data();
  if (id == 3) return fake->control.data();
  return unknown;
}

int Status(void* request, int, int, const char* text, int) {
  auto* fake = static_cast<FakeRequest*>(request);
  fake->statusTexts.push_back(text);
  return static_cast<int>(fake->statusTexts.size()) == fake->cancelAtStatus ? 0 : 1;
}

int Files(void* request, int action, const char* file) {
  auto* fake = static_cast<FakeRequest*>(request);
  fake->fileActions.emplace_back(action, file);
  if (action == 0) {
    std::string path = file;
    for (char& c : path) {
      if (c == '\\') c = '/';
    }
    std::error_code error;
    fs::copy_file(path, fs::path(fake->outputDirectory) / fs::path(path).filename(),
                  fs::copy_options::overwrite_existing, error);
  }
  return 1;
}

constexpr char kFrame[] =
    "# a test frame\n<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<title>Test $[Title]</title>\n<style>\n@@STYLE@@\n</style>\n</head>\n<body>\n@@LOGO@@\n@@CONTENTS@@\n"
    "<main>\n@@BODY@@\n</main>\n</body>\n</html>\n";
constexpr char kLanguage[] = "<HEAD> {Heading}\r\n<ROWS> {Rows & more}\r\n<CHAPTER_A> {First}\r\n<CHAPTER_B> {Second}\r\n";
constexpr char kStyle[] =
    "[Quorvane Styles]\r\nStyle 1=Plain\r\n[Plain]\r\nPageBackgroundColor=FFFFF0\r\nSectionBarColor=000080\r\n"
    "TitleFont=Verdana\"; x\r\nAlignment=RIGHT\r\nBorderWidth=3\r\nLogo=qvlogoss.gif\r\n";

// The program tools that check a report; absent, a test skips outside CI.
bool HaveCheckers() {
  return std::system("/usr/bin/python3 -c 'import html5lib' >/dev/null 2>&1") == 0 &&
         std::system("tidy -v >/dev/null 2>&1") == 0;
}

::testing::AssertionResult ValidHtml(const fs::path& file) {
  const std::string html5 = "/usr/bin/python3 -c 'import html5lib,sys; html5lib.HTMLParser(strict=True).parse("
                            "open(sys.argv[1],\"rb\").read())' '" + file.string() + "' 2>&1";
  if (std::system((html5 + " >/dev/null").c_str()) != 0)
    return ::testing::AssertionFailure() << "html5lib refuses " << file << "\n" << ReadFile(file);
  const int tidy = std::system(("tidy -q -e '" + file.string() + "' >/dev/null 2>&1").c_str());
  if (!WIFEXITED(tidy) || WEXITSTATUS(tidy) != 0)
    return ::testing::AssertionFailure() << "tidy finds errors or warnings in " << file << "\n" << ReadFile(file);
  return ::testing::AssertionSuccess();
}

class ReportEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveCheckers()) {
      if (std::getenv("CI") != nullptr) FAIL() << "python3-html5lib and tidy are needed";
      GTEST_SKIP() << "python3-html5lib or tidy is missing";
    }
    fs::create_directories(dir_.path() / "Base" / "Images");
    fs::create_directories(dir_.path() / "out");
    fs::copy_file(fs::path(QV_DIST_DIR) / "Base" / "Images" / "qvlogoss.gif",
                  dir_.path() / "Base" / "Images" / "qvlogoss.gif");
    dir_.write("Style.ini", kStyle);
    dir_.write("frame.pl", kFrame);
    dir_.write("test.rpl", kLanguage);
    fake_.directory = dir_.path().string();
    fake_.control = Path("ctl.wct");
    fake_.outputDirectory = Path("out");
    fake_.tokens["Title"] = [](int, char*) { return std::string("<Mine> & \"yours\""); };
  }

  std::string Path(const std::string& name) const { return (dir_.path() / name).string(); }
  std::string Report() const { return ReadFile(dir_.path() / "out" / "report.htm"); }

  void Control(const std::string& content, const std::string& style = "Plain") {
    dir_.write("ctl.wct", "[General]\r\nSaveReportAs=" + Path("out/report.htm") + "\r\nReportStyle=" + style +
                              "\r\nReportLanguage=" + Path("test.rpl") + "\r\nTemplateFile=" + Path("test.var") +
                              "\r\nReportFormat=HTML\r\n[Content]\r\n" + content);
  }
  int Run() { return PerlRun(Path("frame.pl").c_str(), &fake_, Summary, Property, Status, Files); }

  qvtest::TempDir dir_{"qvreport"};
  FakeRequest fake_;
};

TEST_F(ReportEngine, NestedRepeatsRunToTheirCountsWithEveryValueEscapedInItsTokensClass) {
  Control("ReportObjects=1\r\nTableOfContents=0\r\nObject1=Table\r\nObject1_Type=TABLE\r\nObject1_Nested=2\r\n"
          "Object1_TableElements1=3\r\nObject1_TableElements2=2\r\n");
  dir_.write("test.var",
             "; rows and cells\r\n.BLOCK table\r\n<h2>@<ROWS></h2>\r\n<table>\r\n.REPEAT\r\n<tr><td>$(Row)</td>\r\n"
             ".REPEAT\r\n<td>$(Cell)</td>\r\n.ENDREPEAT\r\n</tr>\r\n.ENDREPEAT\r\n</table>\r\n.ENDBLOCK\r\n");
  fake_.tokens["Row"] = [](int index, char*) { return "r" + std::to_string(index) + "<\xe9>"; };
  fake_.tokens["Cell"] = [](int index, char*) { return "c" + std::to_string(index); };
  ASSERT_EQ(Run(), QVR_MADE);
  const std::string html = Report();
  std::string rows;
  for (int r = 0; r < 3; ++r) {
    rows += "<tr><td><span class=\"Row\">r" + std::to_string(r) + "&lt;\xc3\xa9&gt;</span></td>\n";
    for (int c = 0; c < 2; ++c) rows += "<td><span class=\"Cell\">c" + std::to_string(c) + "</span></td>\n";
    rows += "</tr>\n";
  }
  EXPECT_NE(html.find("<h2>Rows &amp; more</h2>\n<table>\n" + rows + "</table>"), std::string::npos) << html;
  EXPECT_NE(html.find("<title>Test &lt;Mine&gt; &amp; &quot;yours&quot;</title>"), std::string::npos);
  // The style: colours, a cleaned face, alignment and border; the logo beside the report.
  EXPECT_NE(html.find("background-color: #FFFFF0"), std::string::npos);
  EXPECT_NE(html.find("font-family: \"Verdana x\", sans-serif"), std::string::npos);
  EXPECT_NE(html.find("text-align: right"), std::string::npos);
  EXPECT_NE(html.find("border: 3px solid"), std::string::npos);
  EXPECT_NE(html.find("<img class=\"logo\" src=\"qvlogoss.gif\" alt=\"\">"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir_.path() / "out" / "qvlogoss.gif"));
  ASSERT_EQ(fake_.fileActions.size(), 3u);
  EXPECT_EQ(fake_.fileActions[0].first, 0);
  EXPECT_NE(fake_.fileActions[0].second.find("Base\\Images\\qvlogoss.gif"), std::string::npos);
  EXPECT_EQ(fake_.fileActions[1], (std::pair<int, std::string>{1, "report.htm"}));
  EXPECT_EQ(fake_.fileActions[2], (std::pair<int, std::string>{1, "qvlogoss.gif"}));
  EXPECT_EQ(fake_.statusTexts, std::vector<std::string>{"Creating Table..."});
  EXPECT_FALSE(fs::exists(dir_.path() / "out" / "report.htm.part"));
  EXPECT_TRUE(ValidHtml(dir_.path() / "out" / "report.htm"));
}

TEST_F(ReportEngine, ARepeatWithoutACountEndsWhereTheValuesEndAndChaptersAreListedFirst) {
  Control("ReportObjects=2\r\nTableOfContents=1\r\nObject1=Devices\r\nObject1_Type=SIMPLE\r\n"
          "Object2 = Later\r\nObject2_Type =SIMPLE\r\n");
  dir_.write("test.var",
             ".BLOCK Devices\n.CHAPTER @<CHAPTER_A> $(Count)\n<ul>\n.REPEAT\n<li>$(Device) $(State)</li>\n.ENDREPEAT\n"
             "</ul>\n.ENDBLOCK\n\n.block LATER\n.chapter @<CHAPTER_B>\n<p>end</p>\n.endblock\n");
  fake_.tokens["Count"] = [](int, char*) { return std::string("4"); };
  fake_.tokens["Device"] = [](int index, char* status) {
    if (index >= 4) std::strcpy(status, QVR_TOKEN_END);
    return index >= 4 ? std::string() : "d" + std::to_string(index);
  };
  fake_.tokens["State"] = [](int index, char*) { return index % 2 ? std::string("DOWN") : std::string("UP"); };
  ASSERT_EQ(Run(), QVR_MADE);
  const std::string html = Report();
  EXPECT_NE(html.find("<li><span class=\"Device\">d3</span> <span class=\"State\">DOWN</span></li>\n</ul>"),
            std::string::npos)
      << html;
  EXPECT_EQ(html.find("<li> <span class=\"State\">"), std::string::npos) << "the row past the end is left out";
  const size_t contents = html.find("<nav class=\"contents\">\n<ul>\n<li><a href=\"#chapter1\">First <span "
                                    "class=\"Count\">4</span></a></li>\n<li><a href=\"#chapter2\">Second</a></li>");
  const size_t first = html.find("<h2 class=\"chapter\" id=\"chapter1\">First <span class=\"Count\">4</span></h2>");
  ASSERT_NE(contents, std::string::npos) << html;
  ASSERT_NE(first, std::string::npos) << html;
  EXPECT_LT(contents, first);
  EXPECT_EQ(fake_.statusTexts, (std::vector<std::string>{"Creating Devices...", "Creating Later..."}));
  EXPECT_TRUE(ValidHtml(dir_.path() / "out" / "report.htm"));
}

TEST_F(ReportEngine, AnEmptyValueLeavesNoEmptySpanSoCheckersAreSilent) {
  Control("ReportObjects=1\r\nObject1=Note\r\nObject1_Type=SIMPLE\r\n");
  dir_.write("test.var", ".BLOCK Note\n<p>Error: $(Error) in $(Place)</p>\n.ENDBLOCK\n");
  fake_.tokens["Error"] = [](int, char*) { return std::string(); };
  fake_.tokens["Place"] = [](int, char*) { return std::string("here"); };
  ASSERT_EQ(Run(), QVR_MADE);
  const std::string html = Report();
  EXPECT_NE(html.find("<p>Error:  in <span class=\"Place\">here</span></p>"), std::string::npos) << html;
  EXPECT_EQ(html.find("class=\"Error\""), std::string::npos) << html;
  EXPECT_TRUE(ValidHtml(dir_.path() / "out" / "report.htm"));
}

TEST_F(ReportEngine, TemplateProblemsAndCancelLeaveTheOldReportAsItWas) {
  dir_.write("out/report.htm", "the old report");
  const std::string oneObject = "ReportObjects=1\r\nObject1=Body\r\nObject1_Type=SIMPLE\r\n";
  struct Case {
    std::string what;
    std::string control;
    std::string var;
    int expected;
  };
  const std::vector<Case> cases = {
      {"missing item", oneObject, ".BLOCK Body\n<p>@<NOWHERE></p>\n.ENDBLOCK\n", QVR_TEMPLATE_PROBLEM},
      {"unknown token", oneObject, ".BLOCK Body\n<p>$(Nobody)</p>\n.ENDBLOCK\n", QVR_TEMPLATE_PROBLEM},
      {"missing block", oneObject, ".BLOCK Other\n.ENDBLOCK\n", QVR_TEMPLATE_PROBLEM},
      {"unclosed repeat", oneObject, ".BLOCK Body\n.REPEAT\n.ENDBLOCK\n", QVR_TEMPLATE_PROBLEM},
      {"unknown directive", oneObject, ".BLOCK Body\n.LOOP\n.ENDBLOCK\n", QVR_TEMPLATE_PROBLEM},
      {"text outside a block", oneObject, "stray\n.BLOCK Body\n.ENDBLOCK\n", QVR_TEMPLATE_PROBLEM},
      {"endless repeat", oneObject, ".BLOCK Body\n.REPEAT\n<p>x</p>\n.ENDREPEAT\n.ENDBLOCK\n", QVR_TEMPLATE_PROBLEM},
      {"no objects count", "Object1=Body\r\n", ".BLOCK Body\n.ENDBLOCK\n", QVR_GENERAL_ERROR},
      {"cancel", "ReportObjects=2\r\nObject1=Body\r\nObject2=Body\r\n", ".BLOCK Body\n<p>$[Title]</p>\n.ENDBLOCK\n",
       QVR_CANCELLED},
  };
  for (const Case& c : cases) {
    Control(c.control);
    dir_.write("test.var", c.var);
    fake_.cancelAtStatus = 2;
    fake_.statusTexts.clear();
    fake_.fileActions.clear();
    EXPECT_EQ(Run(), c.expected) << c.what;
    EXPECT_EQ(Report(), "the old report") << c.what;
    EXPECT_FALSE(fs::exists(dir_.path() / "out" / "report.htm.part")) << c.what;
    EXPECT_TRUE(fake_.fileActions.empty()) << c.what;
  }
  // The background callback's answer for an unknown token.
  Control(oneObject);
  dir_.write("test.var", ".BLOCK Body\n<p>$(Nobody)</p>\n.ENDBLOCK\n");
  fake_.unknownStatus = "BAD";
  EXPECT_EQ(Run(), QVR_TEMPLATE_PROBLEM);

  // No control file, a missing frame or language, a format that is not made.
  fake_.control = Path("none.wct");
  EXPECT_EQ(Run(), QVR_GENERAL_ERROR);
  fake_.control = Path("ctl.wct");
  dir_.write("test.var", ".BLOCK Body\n.ENDBLOCK\n");
  EXPECT_EQ(PerlRun(Path("missing.pl").c_str(), &fake_, Summary, Property, Status, Files), QVR_TEMPLATE_PROBLEM);
  fs::remove(dir_.path() / "test.rpl");
  EXPECT_EQ(Run(), QVR_TEMPLATE_PROBLEM);
  dir_.write("test.rpl", kLanguage);
  dir_.write("ctl.wct", ReadFile(Path("ctl.wct")) + "[General]\r\n");
  std::string control = ReadFile(Path("ctl.wct"));
  control.replace(control.find("ReportFormat=HTML"), 17, "ReportFormat=RTF");
  dir_.write("ctl.wct", control);
  EXPECT_EQ(Run(), QVR_GENERAL_ERROR);
  EXPECT_EQ(PerlRun(Path("frame.pl").c_str(), &fake_, nullptr, Property, Status, Files), QVR_GENERAL_ERROR);
  EXPECT_EQ(Report(), "the old report");
}

TEST_F(ReportEngine, AStyleThatIsNotInTheFileGivesTheBuiltInLook) {
  Control("ReportObjects=1\r\nObject1=Body\r\n", "Nobody's");
  dir_.write("test.var", ".BLOCK Body\n<p>@<HEAD></p>\n.ENDBLOCK\n");
  ASSERT_EQ(Run(), QVR_MADE);
  const std::string html = Report();
  EXPECT_NE(html.find("background-color: #80FFFF"), std::string::npos) << html;
  EXPECT_NE(html.find("<p>Heading</p>"), std::string::npos);
  EXPECT_TRUE(ValidHtml(dir_.path() / "out" / "report.htm"));
}

TEST_F(ReportEngine, RunsOnSeveralThreadsAtOnceKeepToThemselves) {
  dir_.write("test.var", ".BLOCK Body\n<ul>\n.REPEAT\n<li>$(Row)</li>\n.ENDREPEAT\n</ul>\n.ENDBLOCK\n");
  constexpr int kRuns = 4;
  std::vector<FakeRequest> requests(kRuns, fake_);
  for (int i = 0; i < kRuns; ++i) {
    const std::string name = "ctl" + std::to_string(i) + ".wct";
    dir_.write(name, "[General]\r\nSaveReportAs=" + Path("out/r" + std::to_string(i) + ".htm") +
                         "\r\nReportStyle=Plain\r\nReportLanguage=" + Path("test.rpl") + "\r\nTemplateFile=" +
                         Path("test.var") + "\r\n[Content]\r\nReportObjects=1\r\nObject1=Body\r\n"
                         "Object1_Nested=1\r\nObject1_TableElements1=500\r\n");
    requests[static_cast<size_t>(i)].control = Path(name);
    requests[static_cast<size_t>(i)].tokens["Row"] = [i](int index, char*) {
      return std::to_string(i) + "-" + std::to_string(index);
    };
  }
  std::vector<int> results(kRuns, -1);
  std::vector<std::thread> runs;
  for (int i = 0; i < kRuns; ++i) {
    runs.emplace_back([&, i] {
      results[static_cast<size_t>(i)] =
          PerlRun(Path("frame.pl").c_str(), &requests[static_cast<size_t>(i)], Summary, Property, Status, Files);
    });
  }
  for (auto& run : runs) run.join();
  for (int i = 0; i < kRuns; ++i) {
    EXPECT_EQ(results[static_cast<size_t>(i)], QVR_MADE);
    const std::string html = ReadFile(dir_.path() / "out" / ("r" + std::to_string(i) + ".htm"));
    EXPECT_NE(html.find(">" + std::to_string(i) + "-499<"), std::string::npos) << i;
    for (int other = 0; other < kRuns; ++other) {
      if (other == i) continue;
      EXPECT_EQ(html.find(">" + std::to_string(other) + "-0<"), std::string::npos) << i;
    }
  }
}

// ---- The shipped templates with the alert reports' control files ----

// The control file of a report type, as the plug-in writes it.
std::string AlertControl(int type, const std::string& output, const std::string& alertDir, int events) {
  const char* var = type == 1 ? "SHORT.VAR" : type == 2 ? "COMPLETE.VAR" : "SUMMARY.VAR";
  std::string text = "[General]\r\nSaveReportAs=" + output + "\r\nReportStyle=Standard\r\nReportLanguage=" +
                     alertDir + "TEMPLATE\\ENGLISH.rpl\r\nTemplateFile=" + alertDir + "TEMPLATE\\" + var +
                     "\r\nReportFormat=HTML\r\n[Content]\r\n";
  if (type == 3) {
    return text + "ReportObjects=2\r\nTableOfContents=0\r\nObject1=SummaryReportChapter\r\nObject1_Type=SIMPLE\r\n"
                  "Object1_Desc=SHORT\r\nObject2=SummaryReportSection\r\nObject2_Type =SIMPLE\r\nObject2_Desc=SHORT\r\n";
  }
  text += type == 1 ? "ReportObjects=2\r\nTableOfContents=0\r\n" : "ReportObjects=4\r\nTableOfContents=1\r\n";
  text += "Object1=GeneralStatsChapter\r\nObject1_Type=SIMPLE\r\nObject1_Desc=SHORT\r\nObject2=GeneralStatsSection\r\n"
          "Object2_Type =SIMPLE\r\nObject2_Desc=SHORT\r\n";
  if (type == 2) {
    text += "Object3=DetailsChapter\r\nObject3_Type=SIMPLE\r\nObject3_Desc=SHORT\r\nObject4=DetailsTable1\r\n"
            "Object4_Type=TABLE\r\nObject4_Desc=SHORT\r\nObject4_Nested=2\r\nObject4_TableElements1=" +
            std::to_string(events) + "\r\nObject4_TableElements2=3\r\n";
  }
  return text;
}

const std::vector<std::string> kAlertTokens = {
    "Var_Alert_Report_Title", "Var_Alert_Profile_Name", "Var_Alert_Device_Name", "Var_Alert_Device_Type",
    "Var_Alert_Start_Date", "Var_Alert_Start_Time", "Var_Alert_End_Date", "Var_Alert_End_Time",
    "Var_Alert_Host_Name", "Var_Alert_Date_And_Time", "Var_Alert_Timeframe", "Var_Alert_Downtime",
    "Var_Alert_Downtime_in_Percent", "Var_Alert_Min_Downtime", "Var_Alert_Max_Downtime",
    "Var_Alert_Average_Downtime", "Var_Alert_Min_Uptime", "Var_Alert_Max_Uptime", "Var_Alert_Average_Uptime",
    "Var_Alert_Total_Alerts", "Var_Alert_Total_Events", "Var_Alert_Event_Index", "Var_Alert_Event_Type",
    "Var_Alert_Extended_Error_Code", "Var_Alert_Action_Taken_Type", "Var_Alert_Action_Taken_Value",
    "Var_Alert_Event_Date", "Var_Alert_Event_Time", "Var_Alert_Num_Actions_Taken", "Var_Alert_Profile_Type",
    "Var_Alert_Host_Device", "Var_Alert_Status", "Var_Alert_Last_Changed", "Var_Alert_Num_Profiles",
    "Var_Alert_Extended_Error_Desc", "Var_Alert_Login_ID", "Var_Alert_Action_Details",
    "Var_Alert_Status_Description", "Var_Alert_Previous_State", "Var_Alert_Auto_Frequency",
    "Var_Alert_Extended_Status_Code", "Var_Alert_Extended_Status_Desc", "Var_Alert_Current_State",
    "Var_Alert_Uptime", "Var_Alert_Uptime_In_Percent", "Var_Alert_Recovery_Text"};

TEST_F(ReportEngine, TheShippedTemplatesMakeTheThreeAlertReports) {
  // The program directory as the build lays it out.
  const fs::path dist(QV_DIST_DIR);
  const std::string alertDir = (dist / "qvm_alrt").string() + "\\";
  fake_.directory = dist.string();
  for (const std::string& token : kAlertTokens) {
    fake_.tokens[token] = [token](int index, char* status) {
      // The summary's rows end after three devices.
      if (index >= 3 && token == "Var_Alert_Host_Device") std::strcpy(status, QVR_TOKEN_END);
      return token + " #" + std::to_string(index) + " <&>";
    };
  }
  for (int type = 1; type <= 3; ++type) {
    const std::string output = Path("out/alert" + std::to_string(type) + ".htm");
    dir_.write("ctl.wct", AlertControl(type, output, alertDir, 5));
    ASSERT_EQ(PerlRun((dist / "qv_report.pl").string().c_str(), &fake_, Summary, Property, Status, Files), QVR_MADE)
        << type;
    EXPECT_TRUE(ValidHtml(output)) << type;
    const std::string html = ReadFile(output);
    EXPECT_NE(html.find("<span class=\"Var_Alert_Report_Title\">Var_Alert_Report_Title #0 &lt;&amp;&gt;</span>"),
              std::string::npos);
    if (type == 2) {
      EXPECT_NE(html.find("<nav class=\"contents\">"), std::string::npos);
      EXPECT_NE(html.find("Var_Alert_Event_Index #4"), std::string::npos);
      EXPECT_EQ(html.find("Var_Alert_Event_Index #5"), std::string::npos);
      EXPECT_NE(html.find("Var_Alert_Action_Taken_Type #2"), std::string::npos);
    }
    if (type == 3) {
      EXPECT_NE(html.find("Var_Alert_Status #2"), std::string::npos);
      EXPECT_EQ(html.find("Var_Alert_Status #3"), std::string::npos);
    }
  }
  EXPECT_TRUE(fs::exists(dir_.path() / "out" / "qvlogoss.gif"));
}

TEST_F(ReportEngine, TheLanguageTreeNamesEveryTagTheShippedTemplatesUse) {
  const fs::path templates = fs::path(QV_DIST_DIR) / "qvm_alrt" / "TEMPLATE";
  const std::string tree = ReadFile(templates / "LANG.TRE");
  const std::string language = ReadFile(templates / "ENGLISH.RPL");
  EXPECT_EQ(language, ReadFile(templates / "ENGLISH.ORG"));
  std::set<std::string> used;
  for (const fs::path& file : {templates / "SHORT.VAR", templates / "COMPLETE.VAR", templates / "SUMMARY.VAR",
                              fs::path(QV_DIST_DIR) / "qv_report.pl"}) {
    const std::string text = ReadFile(file);
    ASSERT_FALSE(text.empty()) << file;
    const std::regex item("@(<[A-Z_]+>)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), item); it != std::sregex_iterator(); ++it)
      used.insert((*it)[1]);
  }
  EXPECT_GE(used.size(), 30u);
  for (const std::string& tag : used) {
    EXPECT_NE(tree.find(tag), std::string::npos) << tag;
    EXPECT_NE(language.find(tag + " {"), std::string::npos) << tag;
  }
}

}  // namespace
