#include "pager_alert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_senders.h"
#include "test_files.h"

namespace {

class PagerAlertTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetAlertSenders(); }
  qvtest::TempDir dir{"qvpager"};
};

TEST_F(PagerAlertTest, ANewObjectHasTheConstructorValues) {
  CPagerAlert alert;
  EXPECT_STREQ(alert.GetPortName(), "COM1");
  EXPECT_STREQ(alert.GetInitString(), "ATZ");
  EXPECT_STREQ(alert.GetDialString(), "ATDT");
  EXPECT_STREQ(alert.GetActiveID(), "9999");
  EXPECT_STREQ(alert.GetDownID(), "0000");
  EXPECT_EQ(alert.GetBaudRate(), 300);
  EXPECT_EQ(alert.GetParity(), 2);
  EXPECT_EQ(alert.GetDialDelay(), 60);
  EXPECT_EQ(alert.GetPINDelay(), 15);
  EXPECT_EQ(alert.GetMaxMessageLength(), 180);
  EXPECT_TRUE(alert.IsAlphaMode());
  EXPECT_TRUE(alert.IsWebDelivery());
}

TEST_F(PagerAlertTest, WritesEveryKeyInOrderAndReadsEveryFieldBack) {
  CPagerAlert alert;
  alert.SetPreDial("9,");
  alert.SetNumber("5551234");
  alert.SetPagerID("777");
  alert.SetAlphaPassword("secret");
  alert.SetWebPassword("web");
  alert.SetUsername("sam");
  alert.SetPIN("4321");
  alert.SetPortName("COM2");
  alert.SetDescription("night");
  alert.SetMessage("Web (h) is Down (01:02:03)");
  alert.SetProfileName("Web");
  alert.SetWebPageUrl("Service/http://pages.example/?id=%id%");
  alert.SetWebPagerId("w1");
  alert.SetTapPassword("tap");
  alert.SetNumericMode();
  alert.SetModemDelivery();
  alert.SetBaudRate(2400);
  alert.SetDataBits(8);
  alert.SetDialDelay(30);
  alert.SetStopBits(0);
  alert.SetParity(0);
  alert.SetPriority(3);
  alert.SetPINDelay(5);
  alert.SetConnectDelay(9);
  const std::string path = dir.file("p.pap");
  ASSERT_TRUE(alert.Write(path.c_str()));
  const std::string text = dir.read("p.pap");
  const std::vector<std::string> keys = qvtest::SectionKeys(text, "Pager");
  const std::vector<std::string> expected = {
      "PreDial",  "PostDial", "InitString",   "DialString",  "Number",        "PagerID",
      "ActiveID", "DownID",   "AlphaPassword", "WebPassword", "UserName",      "PIN",
      "PortName", "Description", "Message",    "ProfileName", "WebPageUrl",    "WebPagerId",
      "TestMode", "Mode",     "DeliveryMode", "BaudRate",    "DataBits",      "DialDelay",
      "StopBits", "Parity",   "Priority",     "PINDelay",    "ConnectDelay"};
  // The key is written as "DeliveryMode " (with its blank); the settings layer
  // trims blanks around key names, as it does when reading them back.
  EXPECT_EQ(keys, expected);
  EXPECT_NE(text.find("PostDial=<mt>"), std::string::npos);
  EXPECT_EQ(text.find("tap"), std::string::npos);  // TapPassword is never stored
  ASSERT_TRUE(CPagerAlert::IsValidFile(path.c_str()));

  CPagerAlert back(path.c_str());
  EXPECT_STREQ(back.GetPreDial(), "9,");
  EXPECT_EQ(back.GetPostDial(), nullptr);
  EXPECT_STREQ(back.GetNumber(), "5551234");
  EXPECT_STREQ(back.GetUsername(), "sam");
  EXPECT_STREQ(back.GetAlphaPassword(), "secret");
  EXPECT_STREQ(back.GetPortName(), "COM2");
  EXPECT_STREQ(back.GetMessage(), "Web (h) is Down (01:02:03)");
  EXPECT_STREQ(back.GetWebPageUrl(), "Service/http://pages.example/?id=%id%");
  EXPECT_STREQ(back.GetWebPagerId(), "w1");
  EXPECT_TRUE(back.IsNumericMode());
  EXPECT_TRUE(back.IsModemDelivery());
  EXPECT_EQ(back.GetBaudRate(), 2400);
  EXPECT_EQ(back.GetDataBits(), 8);
  EXPECT_EQ(back.GetDialDelay(), 30);
  EXPECT_EQ(back.GetStopBits(), 0);
  EXPECT_EQ(back.GetParity(), 0);
  EXPECT_EQ(back.GetPriority(), 3);
  EXPECT_EQ(back.GetPINDelay(), 5);
  EXPECT_EQ(back.GetConnectDelay(), 9);
  EXPECT_EQ(back.GetTapPassword(), nullptr);
  // A copy keeps everything, the TAP password and both arrays included, but not the file.
  CPagerAlert copy(alert);
  EXPECT_STREQ(copy.GetTapPassword(), "tap");
  EXPECT_STREQ(copy.GetWebPagerId(), "w1");
  EXPECT_EQ(copy.GetOwnPath(), nullptr);
}

TEST_F(PagerAlertTest, MissingKeysTakeTheReaderDefaultsAndEmptyTextsTheConstructorOnes) {
  dir.write("p.amp", "[Pager]\nPortName=<mt>\nInitString=\n");
  const std::string path = dir.file("p.amp");
  CPagerAlert alert(path.c_str());
  EXPECT_STREQ(alert.GetPortName(), "COM1");
  EXPECT_STREQ(alert.GetInitString(), "ATZ");
  EXPECT_EQ(alert.GetDialDelay(), 40);
  EXPECT_EQ(alert.GetPINDelay(), 8);
  EXPECT_EQ(alert.GetBaudRate(), 16);
  EXPECT_EQ(alert.GetParity(), 1024);
  EXPECT_EQ(alert.GetConnectDelay(), 15);
  EXPECT_FALSE(CPagerAlert::IsValidFile(path.c_str()));
}

TEST_F(PagerAlertTest, TheDeliveryModeKeyIsFoundWithBlanksAroundIt) {
  dir.write("p.pap", "[Pager]\nDeliveryMode =1\nMode=1\n");
  CPagerAlert alert(dir.file("p.pap").c_str());
  EXPECT_TRUE(alert.IsModemDelivery());
  EXPECT_TRUE(alert.IsNumericMode());
}

TEST_F(PagerAlertTest, OldFormatModesMapToModeDeliveryAndNumber) {
  dir.write("old.amp",
            "[Pager]\nMode=0\nAlphaNumber=111\nNumNumber=222\nWebPagerId=web-7\nPagerID=p\nDialDelay=12\n");
  const std::string path = dir.file("old.amp");
  CPagerAlert alpha;
  ASSERT_TRUE(alpha.ReadLegacy(path.c_str()));
  EXPECT_TRUE(alpha.IsAlphaMode());
  EXPECT_TRUE(alpha.IsModemDelivery());
  EXPECT_STREQ(alpha.GetNumber(), "111");
  EXPECT_EQ(alpha.GetDialDelay(), 12);
  EXPECT_EQ(alpha.GetConnectDelay(), 15);

  WritePrivateProfileStringA("Pager", "Mode", "1", path.c_str());
  CPagerAlert numeric;
  numeric.ReadLegacy(path.c_str());
  EXPECT_TRUE(numeric.IsNumericMode());
  EXPECT_TRUE(numeric.IsModemDelivery());
  EXPECT_STREQ(numeric.GetNumber(), "222");

  WritePrivateProfileStringA("Pager", "Mode", "2", path.c_str());
  CPagerAlert web;
  web.ReadLegacy(path.c_str());
  EXPECT_TRUE(web.IsAlphaMode());
  EXPECT_TRUE(web.IsWebDelivery());
  EXPECT_EQ(web.GetNumber(), nullptr);
  EXPECT_STREQ(web.GetPagerID(), "web-7");
}

TEST_F(PagerAlertTest, TheModesPickTheSender) {
  ResetAlertSenders();
  CPagerAlert web;  // web delivery without a template: refused before any traffic
  EXPECT_EQ(web.Deliver(), SendResult::Failed);
  CPagerAlert modem;
  modem.SetModemDelivery();
  modem.SetPortName("COM250");  // no such device here: the page fails and is tried again
  EXPECT_EQ(modem.Deliver(), SendResult::Failed);
  modem.SetMode(5);  // no sender fits
  EXPECT_EQ(modem.Deliver(), SendResult::Refused);
}

}  // namespace
