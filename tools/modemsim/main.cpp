// qv-modemsim: a simulated Hayes modem on a pseudo terminal, with a TAP paging
// service or a numeric pager at the far end of every call.
//
//   qv-modemsim --link /tmp/com1               a new pseudo terminal, linked there
//   qv-modemsim --device /tmp/modem            an existing terminal (a socat end)
//   options: --number N=ANSWER[,ANSWER...]     connect busy nocarrier nodialtone
//                                              "no dial tone" silence (per call in turn)
//            --numeric N                       N reaches a numeric pager
//            --password P                      the TAP logon must carry P
//            --id-after K | --no-id            "ID=" after K CRs, or never
//            --block ack|nak|rs|eot            the answer to a valid block
//            --seven-bit                       the line loses the eighth bit
//            --mute                            answers no command
//            --s7-ms MS --s8-ms MS --guard-ms MS
//            --log FILE                        every call, appended when it ends
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "modem_sim.h"

namespace {

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

bool ParseAnswer(const std::string& word, modemsim::Answer* answer) {
  if (word == "connect") *answer = modemsim::Answer::Connect;
  else if (word == "busy") *answer = modemsim::Answer::Busy;
  else if (word == "nocarrier") *answer = modemsim::Answer::NoCarrier;
  else if (word == "nodialtone") *answer = modemsim::Answer::NoDialtone;
  else if (word == "no dial tone") *answer = modemsim::Answer::NoDialTone;
  else if (word == "silence") *answer = modemsim::Answer::Silence;
  else return false;
  return true;
}

std::string Visible(const std::string& bytes) {
  std::string out;
  for (const unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X", c);
      out += code;
    }
  }
  return out;
}

int Usage() {
  std::fprintf(stderr,
               "usage: qv-modemsim (--link PATH | --device PATH) [--number N=ANSWER[,ANSWER...]] [--numeric N]\n"
               "       [--password P] [--id-after K | --no-id] [--block ack|nak|rs|eot] [--seven-bit] [--mute]\n"
               "       [--s7-ms MS] [--s8-ms MS] [--guard-ms MS] [--log FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  modemsim::Settings settings;
  std::string link;
  std::string device;
  std::string log;
  modemsim::NumberPlan shared;  // options that hold for every number
  struct Listed {
    std::string number;
    std::vector<modemsim::Answer> answers;
    bool numeric = false;
  };
  std::vector<Listed> listed;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help") {
      Usage();
      return 0;
    } else if (arg == "--link" && hasValue) {
      link = argv[++i];
    } else if (arg == "--device" && hasValue) {
      device = argv[++i];
    } else if (arg == "--number" && hasValue) {
      const std::string numberAnswers = argv[++i];
      const size_t equals = numberAnswers.find('=');
      if (equals == std::string::npos) return Usage();
      Listed entry{numberAnswers.substr(0, equals), {}, false};
      std::string words = numberAnswers.substr(equals + 1);
      for (size_t start = 0; start <= words.size();) {
        const size_t comma = words.find(',', start);
        const std::string word = words.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        modemsim::Answer answer;
        if (!ParseAnswer(word, &answer)) return Usage();
        entry.answers.push_back(answer);
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      listed.push_back(entry);
    } else if (arg == "--numeric" && hasValue) {
      listed.push_back(Listed{argv[++i], {modemsim::Answer::Connect}, true});
    } else if (arg == "--password" && hasValue) {
      shared.password = argv[++i];
      shared.requirePassword = true;
    } else if (arg == "--id-after" && hasValue) {
      shared.crsBeforeId = std::atoi(argv[++i]);
    } else if (arg == "--no-id") {
      shared.crsBeforeId = -1;
    } else if (arg == "--block" && hasValue) {
      const std::string verdict = argv[++i];
      if (verdict == "ack") shared.blockVerdict = modemsim::BlockVerdict::Ack;
      else if (verdict == "nak") shared.blockVerdict = modemsim::BlockVerdict::Nak;
      else if (verdict == "rs") shared.blockVerdict = modemsim::BlockVerdict::Rs;
      else if (verdict == "eot") shared.blockVerdict = modemsim::BlockVerdict::Disconnect;
      else return Usage();
    } else if (arg == "--seven-bit") {
      shared.sevenBit = true;
    } else if (arg == "--mute") {
      settings.mute = true;
    } else if (arg == "--s7-ms" && hasValue) {
      settings.carrierWaitMs = std::atoi(argv[++i]);
    } else if (arg == "--s8-ms" && hasValue) {
      settings.commaPauseMs = std::atoi(argv[++i]);
    } else if (arg == "--guard-ms" && hasValue) {
      settings.guardMs = std::atoi(argv[++i]);
    } else if (arg == "--log" && hasValue) {
      log = argv[++i];
    } else {
      return Usage();
    }
  }
  if (link.empty() == device.empty()) return Usage();
  settings.otherNumbers = shared;
  for (const Listed& entry : listed) {
    modemsim::NumberPlan plan = shared;
    plan.answers = entry.answers;
    if (entry.numeric) plan.far = modemsim::FarSide::Numeric;
    settings.numbers[entry.number] = plan;
  }

  modemsim::Modem modem(settings);
  if (!(link.empty() ? modem.OpenDevice(device) : modem.OpenPty(link))) {
    std::fprintf(stderr, "qv-modemsim: cannot open the line: %s\n", std::strerror(errno));
    return 1;
  }
  signal(SIGINT, OnSignal);
  signal(SIGTERM, OnSignal);
  std::printf("%s\n", modem.SlavePath().c_str());
  std::fflush(stdout);
  modem.Start();
  size_t written = 0;
  auto writeLog = [&]() {
    const std::vector<modemsim::Call> calls = modem.Calls();
    for (; written < calls.size() && !calls[written].ended.empty(); ++written) {
      const modemsim::Call& call = calls[written];
      std::string text = "call " + std::to_string(written + 1) + " dialed=" + Visible(call.dialed) +
                         " result=" + Visible(call.result) + " ended=" + call.ended + "\n";
      text += "  to far: " + Visible(call.toFar) + "\n  from far: " + Visible(call.fromFar) + "\n";
      if (!call.tones.empty()) text += "  tones: " + Visible(call.tones) + "\n";
      for (const std::string& verdict : call.verdicts) text += "  verdict: " + verdict + "\n";
      for (const auto& page : call.pages) text += "  page: " + Visible(page.first) + " " + Visible(page.second) + "\n";
      if (log.empty()) {
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
      } else {
        std::ofstream(log, std::ios::app) << text;
      }
    }
  };
  while (!g_stop) {
    usleep(50000);
    writeLog();
  }
  modem.Stop();
  writeLog();
  return 0;
}
