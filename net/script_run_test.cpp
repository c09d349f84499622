// Script pages: the directives, conditions, jumps and loops, and what a page
// may do for whom.
#include <gtest/gtest.h>

#include "net_test_site.h"
#include "remote_users.h"
#include "script_run.h"

namespace fs = std::filesystem;

namespace {

class Scripts : public ::testing::Test {
 protected:
  void SetUp() override {
    g_remoteUsers.Clear();
    g_logonThrottle.Clear();
  }
  void TearDown() override { g_remoteUsers.Clear(); }

  // Runs page text on a request for `url`; the answer.
  std::string Run(const std::string& page, const std::string& url = "/p.htm", ScriptBudget budget = {}) {
    site_.answer.clear();
    request_ = site_.Request();
    request_->Parse(Get(url));
    RunScriptText(request_.get(), page, budget);
    return site_.answer;
  }

  TestSite site_;
  std::unique_ptr<ServerRequest> request_;
};

TEST_F(Scripts, AScriptPageIsKnownByItsFirstLineInAnyCase) {
  TestSite::Write(site_.Web() / "s.htm", "<!-- quorvane SCRIPT -->\r\n%count=2%%count%\r\n");
  TestSite::Write(site_.Web() / "plain.htm", "<!-- Quorvane Script --> no line end %count%");
  EXPECT_EQ(site_.Serve(Get("/s.htm")), "<!-- quorvane SCRIPT -->\r\n2");  // no header asked for
  EXPECT_NE(site_.Serve(Get("/plain.htm")).find("%count%"), std::string::npos);
}

TEST_F(Scripts, CountersConditionsAndLineEnds) {
  EXPECT_EQ(Run("%count=5%%count++%%count%"), "6");
  EXPECT_EQ(Run("a\r\n%count=1%\r\nb"), "a\r\nb");  // a directive alone on its line leaves none
  EXPECT_EQ(Run("%count=3%%count--%%checkcount%%results%"), "2");
  EXPECT_EQ(Run("%if(?v==?w)%same%endif%.", "/p.htm?v=X&w=x"), ".");
  EXPECT_EQ(Run("%if(?v=?w)%same%endif%.", "/p.htm?v=5&w=05"), "same.");
  EXPECT_EQ(Run("%if(?v!==x)%diff%endif%%if(3>2)%gt%endif%%if(3<2)%lt%endif%%if(1?1)%odd%endif%", "/p.htm?v=y"),
            "diffgt");
  EXPECT_EQ(Run("%count=0%%checkcount%%iftrue%a%if==0%b%endif%c%endif%d"), "d");  // nested, skipped whole
  EXPECT_EQ(Run("%count=4%%checkcount%%if>=4%a%endif%%if<=3%b%endif%%if!=4%c%endif%%if<5%d%endif%%if>9%e%endif%"),
            "ad");
  EXPECT_EQ(Run("%checkquery:Remote%%results%", "/p.htm?Remote=on"), "111");
  EXPECT_EQ(Run("%checkquery:Other%%results%", "/p.htm?Remote=on"), "0");
}

TEST_F(Scripts, JumpsAndTheirLimits) {
  EXPECT_EQ(Run("a%goto:nowhere%b"), "anowhere%b");
  EXPECT_EQ(Run("%count=2%%label:top%\r\n%count--%%checkcount%%if>0%%goto:top%%endif%%count%"), "\n0");
  // A page that jumps back for ever ends within its budget.
  ScriptBudget budget;
  budget.backwardJumps = 1000;
  const std::string answer = Run("%label:x%\r\nx%goto:x%", "/p.htm", budget);
  EXPECT_LE(answer.size(), 4000u);
  EXPECT_EQ(Run("a%end%b"), "ab");  // an end outside a loop does nothing
  EXPECT_EQ(Run("a%exit%b"), "a");
}

TEST_F(Scripts, ValuesAreEscapedAndHeadersSentOnRequest) {
  const std::string answer = Run("%?v%|%qitem%|%errormsg%", "/p.htm?v=%3Cscript%3E%22'%26&Item=%3Cb%3E");
  EXPECT_EQ(answer.substr(0, answer.find('|', answer.find('|') + 1)), "&lt;script&gt;&quot;&#39;&amp;|&lt;b&gt;");
  const std::string page = Run("before%sendheader%after");
  EXPECT_EQ(page.rfind("HTTP/1.0 200 OK\r\n", 0), 0u) << page;
  EXPECT_EQ(page.substr(page.size() - 11), "beforeafter");
  const std::string moved = Run("%redirect%next.htm?User=%user%\r\n%sendheader%rest");
  EXPECT_EQ(moved.rfind("HTTP/1.0 301 Redirect\r\nLocation: http://test.host/next.htm?User=0\r\n", 0), 0u) << moved;
  EXPECT_EQ(moved.find("rest"), std::string::npos);
}

TEST_F(Scripts, ReportsAreTheirUsersOwn) {
  const RemoteUser ann = g_remoteUsers.LogOn("ann", 0, GetTickCount64());
  const std::string user = std::to_string(ann.id);
  site_.Report("ann", "run", 50);
  site_.Report("ann", "done", 100, 0, "Done report", "2");
  site_.Report("bob", "his", 100);
  EXPECT_EQ(Run("%listrep%[%itemid%=%item%]%end%", "/p.htm?User=" + user),
            "[ann\\done=Done report][ann\\run=A report]");
  EXPECT_EQ(Run("%listallrep%[%itemid%]%end%", "/p.htm?User=" + user), "");  // not an administrator
  EXPECT_EQ(Run("%listrep%[%itemid%]%end%", "/p.htm"), "");                 // nobody logged on

  EXPECT_EQ(Run("%deletereport%%results%", "/p.htm?User=" + user + "&Item=ann%5Crun"), "1");
  EXPECT_TRUE(fs::exists(site_.Users() / "ann" / "run" / "rep.htm"));
  EXPECT_EQ(Run("%deletereport%%results%", "/p.htm?User=" + user + "&Item=bob%5Chis"), "200");
  EXPECT_EQ(Run("%deletereport%%results%", "/p.htm?User=" + user + "&Item=ann%5C..%5Cbob%5Chis"), "200");
  EXPECT_TRUE(fs::exists(site_.Users() / "bob" / "his" / "rep.htm"));

  const std::string view = Run("%viewreport%x", "/p.htm?User=" + user + "&Item=ann%5Cdone");
  EXPECT_EQ(view, "HTTP/1.0 301 Redirect\r\nLocation: http://test.host/" + user + "/ann/done/rep.xls\r\n\r\n");
  EXPECT_EQ(Run("%viewreport%%results%", "/p.htm?User=" + user + "&Item=ann%5Crun"), "50");

  // Deleting removes the report's files (and no file a link points to).
  TestSite::Write(site_.Root() / "outside.txt", "keep me");
  fs::create_symlink(site_.Root() / "outside.txt", site_.Users() / "ann" / "done" / "link.txt");
  EXPECT_EQ(Run("%deletereport%%results%", "/p.htm?User=" + user + "&Item=ann%5Cdone"), "0");
  EXPECT_FALSE(fs::exists(site_.Users() / "ann" / "done"));
  EXPECT_TRUE(fs::exists(site_.Root() / "outside.txt"));
}

TEST_F(Scripts, TheAdministratorSeesAllAndOnlyTheAdministratorChangesOptions) {
  const RemoteUser boss = g_remoteUsers.LogOn("boss", 1, GetTickCount64());
  const RemoteUser ann = g_remoteUsers.LogOn("ann", 0, GetTickCount64());
  site_.Report("ann", "a1", 100);
  site_.Report("bob", "b1", 100);
  EXPECT_EQ(Run("%listallrep%[%itemid%:%loopcount%]%end%", "/p.htm?User=" + std::to_string(boss.id)),
            "[ann\\a1:0][bob\\b1:1]");
  TestSite::Write(site_.Root() / "QUORVANE.INI", "[Defaults]\r\nWebNoReports=-4\r\n");
  Run("%saveOptRemote%", "/p.htm?User=" + std::to_string(ann.id) + "&RemoteNo=9&RemoteReport=on");
  std::ifstream in(site_.Root() / "QUORVANE.INI");
  std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(ini.find("=9"), std::string::npos) << ini;
  EXPECT_EQ(Run("%loadOptRemote%%?RemoteNo%/%?RemoteReport%", "/p.htm?User=" + std::to_string(boss.id)), "4/0");
  EXPECT_EQ(Run("%saveOptRemote%%results%", "/p.htm?User=" + std::to_string(boss.id) + "&RemoteNo=99999"), "0");
  EXPECT_EQ(Run("%saveOptRemote%%results%", "/p.htm?User=" + std::to_string(boss.id) + "&RemoteNo=9&RemoteReport=on"),
            "1");
  EXPECT_EQ(Run("%loadOptRemote%%?RemoteNo%/%?RemoteReport%", "/p.htm?User=" + std::to_string(boss.id)), "9/1");
  // Passwords are never shown, and an empty one keeps the stored one.
  const std::string bossQuery = "/p.htm?User=" + std::to_string(boss.id);
  Run("%SaveOptProxy%", bossQuery + "&HTTPProxyAddr=px&HTTPProxyPort=8080&HTTPProxyUsername=u&HTTPProxyPassword=s3");
  Run("%SaveOptProxy%", bossQuery + "&HTTPProxyAddr=px&HTTPProxyPort=81&HTTPProxyUsername=u&HTTPProxyPassword=");
  EXPECT_EQ(Run("%LoadOptProxy%%?HTTPProxyAddr%:%?HTTPProxyPort%:%?HTTPProxyUsername%:%?HTTPProxyPassword%", bossQuery),
            "px:81:u:");
  std::ifstream again(site_.Root() / "QUORVANE.INI");
  std::string saved((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>());
  EXPECT_NE(saved.find("HTTPProxyAuth=u:s3"), std::string::npos) << saved;
  Run("%SaveOptEMail%", bossQuery + "&MailServer=smtp.example&MailPassword=mapi-pw");
  std::ifstream mail(site_.Root() / "QUORVANE.INI");
  std::string mailText((std::istreambuf_iterator<char>(mail)), std::istreambuf_iterator<char>());
  EXPECT_EQ(mailText.find("mapi-pw"), std::string::npos);
  EXPECT_NE(mailText.find("MAPIPassword="), std::string::npos);
  EXPECT_EQ(Run("%LoadOptEMail%%?MailServer%|%?MailPassword%|%?MailFrom%", bossQuery),
            "smtp.example||");
  // A line break or other control byte in any field saves nothing.
  EXPECT_EQ(Run("%SaveOptEMail%%results%", bossQuery + "&MailServer=evil%0D%0A[x]&MailSubject=s"), "0");
  EXPECT_EQ(Run("%SaveOptProxy%%results%", bossQuery + "&HTTPProxyAddr=p%01x&HTTPProxyPort=81"), "0");
  EXPECT_EQ(Run("%SaveOptProxy%%results%", bossQuery + "&HTTPProxyAddr=px&HTTPProxyPort=70000"), "0");
  EXPECT_EQ(Run("%LoadOptEMail%%?MailServer%", bossQuery), "smtp.example");
  EXPECT_EQ(Run("%LoadOptProxy%%?HTTPProxyAddr%:%?HTTPProxyPort%", bossQuery), "px:81");
}

}  // namespace
