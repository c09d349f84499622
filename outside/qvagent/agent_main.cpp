// qvagent: the program's SNMP agent, a net-snmp AgentX subagent of the
// system's snmpd. It runs as the program's user; snmpd owns the port,
// checks the communities (sets only through its write community) and sends
// the traps on to their sinks.
//
//   qvagent [-x agentx-socket] [-r root]
//
// root.K.0 is the program's variable "K.0": 2.0 and 3.0 are OCTET STRINGs,
// 4.0 and 5.0 INTEGERs; 4.0 alone is writable, with 1 or 2. A trap of the
// program goes out as a v2c notification whose snmpTrapOID.0 is root.0.code.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/agent/net-snmp-agent-includes.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "agent_link.h"

namespace {

std::vector<oid> g_root;
qvagent::Link g_link;
int g_wake[2] = {-1, -1};
std::atomic<bool> g_stop{false};
std::mutex g_trapLock;
std::deque<unsigned> g_traps;  // guarded by g_trapLock

void Wake() {
  const char byte = 1;
  ssize_t written = write(g_wake[1], &byte, 1);
  (void)written;
}

void OnSignal(int) {
  g_stop.store(true);
  Wake();
}

bool ParseRoot(const std::string& text, std::vector<oid>* out) {
  out->clear();
  size_t at = 0;
  if (!text.empty() && text[0] == '.') at = 1;
  while (at < text.size()) {
    size_t end = text.find('.', at);
    if (end == std::string::npos) end = text.size();
    if (end == at || end - at > 10) return false;
    unsigned long value = 0;
    for (size_t i = at; i < end; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      value = value * 10 + static_cast<unsigned long>(text[i] - '0');
    }
    if (value > 0xFFFFFFFFul) return false;
    out->push_back(value);
    at = end + 1;
  }
  return out->size() >= 2 && out->size() <= 100;
}

// The variable id "K.0" of root.K.0; false for any other shape.
bool VariableOf(const oid* name, size_t length, std::string* id) {
  if (length != g_root.size() + 2 || snmp_oid_compare(name, g_root.size(), g_root.data(), g_root.size()) != 0 ||
      name[length - 1] != 0) {
    return false;
  }
  *id = std::to_string(name[g_root.size()]) + ".0";
  return true;
}

std::vector<oid> Oid(unsigned k) {
  std::vector<oid> name = g_root;
  name.push_back(k);
  name.push_back(0);
  return name;
}

void SetValue(netsnmp_variable_list* variable, const qvagent::Answer& answer) {
  if (answer.type == 2) {
    const long number = std::strtol(answer.value.c_str(), nullptr, 10);
    snmp_set_var_typed_value(variable, ASN_INTEGER, &number, sizeof number);
  } else {
    snmp_set_var_typed_value(variable, ASN_OCTET_STR, answer.value.data(), answer.value.size());
  }
}

int Handler(netsnmp_mib_handler*, netsnmp_handler_registration*, netsnmp_agent_request_info* info,
            netsnmp_request_info* requests) {
  for (netsnmp_request_info* request = requests; request != nullptr; request = request->next) {
    netsnmp_variable_list* variable = request->requestvb;
    std::string id;
    qvagent::Answer answer;
    switch (info->mode) {
      case MODE_GET:
        if (!VariableOf(variable->name, variable->name_length, &id)) {
          netsnmp_set_request_error(info, request, SNMP_NOSUCHOBJECT);
        } else if (!g_link.Ask(qvagent::kGet, id, "", &answer)) {
          netsnmp_set_request_error(info, request, SNMP_ERR_GENERR);
        } else if (answer.error != 0) {
          netsnmp_set_request_error(info, request, SNMP_NOSUCHOBJECT);
        } else {
          SetValue(variable, answer);
        }
        break;
      case MODE_GETNEXT:
        // In the order of the identifiers: the first of root.2.0 to root.5.0
        // after the one asked for; after root.5.0 the walk leaves us.
        for (unsigned k = 2; k <= 5; ++k) {
          const std::vector<oid> next = Oid(k);
          if (snmp_oid_compare(next.data(), next.size(), variable->name, variable->name_length) <= 0) continue;
          if (!g_link.Ask(qvagent::kGet, std::to_string(k) + ".0", "", &answer)) {
            netsnmp_set_request_error(info, request, SNMP_ERR_GENERR);
            break;
          }
          if (answer.error != 0) continue;
          snmp_set_var_objid(variable, next.data(), next.size());
          SetValue(variable, answer);
          break;
        }
        break;
      case MODE_SET_RESERVE1:
        if (!VariableOf(variable->name, variable->name_length, &id) || id != "4.0") {
          netsnmp_set_request_error(info, request, SNMP_ERR_NOTWRITABLE);
        } else if (variable->type != ASN_INTEGER) {
          netsnmp_set_request_error(info, request, SNMP_ERR_WRONGTYPE);
        }
        break;
      case MODE_SET_ACTION: {
        const long value = *variable->val.integer;
        if (!g_link.Ask(qvagent::kSet, "4.0", std::to_string(value), &answer)) {
          netsnmp_set_request_error(info, request, SNMP_ERR_GENERR);
        } else if (answer.error == 3) {
          netsnmp_set_request_error(info, request, SNMP_ERR_WRONGVALUE);
        } else if (answer.error != 0) {
          netsnmp_set_request_error(info, request, SNMP_ERR_NOTWRITABLE);
        }
        break;
      }
      default:
        break;
    }
  }
  return SNMP_ERR_NOERROR;
}

// The main loop's turn for the traps the link's thread took.
void SendTraps(int fd, void*) {
  char drain[64];
  while (read(fd, drain, sizeof drain) > 0) {
  }
  std::deque<unsigned> codes;
  {
    std::lock_guard<std::mutex> hold(g_trapLock);
    codes.swap(g_traps);
  }
  static const oid kSnmpTrapOid[] = {1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0};
  for (unsigned code : codes) {
    std::vector<oid> trap = g_root;
    trap.push_back(0);
    trap.push_back(code);
    netsnmp_variable_list* variables = nullptr;
    snmp_varlist_add_variable(&variables, kSnmpTrapOid, OID_LENGTH(kSnmpTrapOid), ASN_OBJECT_ID,
                              reinterpret_cast<const u_char*>(trap.data()), trap.size() * sizeof(oid));
    send_v2trap(variables);
    snmp_free_varbind(variables);
  }
}

int RunAgent(const std::string& socket) {
  netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE, 1);
  if (!socket.empty()) netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_X_SOCKET, socket.c_str());
  // Reconnect soon when snmpd starts after us or comes back.
  netsnmp_ds_set_int(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_AGENTX_PING_INTERVAL, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
  snmp_enable_stderrlog();
  init_agent("qvagent");
  netsnmp_handler_registration* registration = netsnmp_create_handler_registration(
      "qvagent", Handler, g_root.data(), g_root.size(), HANDLER_CAN_RWRITE);
  if (registration == nullptr || netsnmp_register_handler(registration) != MIB_REGISTERED_OK) {
    std::fprintf(stderr, "qvagent: cannot register the root\n");
    return 1;
  }
  init_snmp("qvagent");
  register_readfd(g_wake[0], SendTraps, nullptr);
  g_link.StartTraps([](unsigned code) {
    {
      std::lock_guard<std::mutex> hold(g_trapLock);
      g_traps.push_back(code);
    }
    Wake();
  });
  std::fprintf(stderr, "qvagent: serving\n");
  while (!g_stop.load()) agent_check_and_process(1);
  g_link.StopTraps();
  unregister_readfd(g_wake[0]);
  snmp_shutdown("qvagent");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string socket;
  std::string root;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-x") == 0 && i + 1 < argc) {
      socket = argv[++i];
    } else if (std::strcmp(argv[i], "-r") == 0 && i + 1 < argc) {
      root = argv[++i];
    } else if (std::strncmp(argv[i], "--qv-service", 12) != 0) {
      std::fprintf(stderr, "usage: qvagent [-x agentx-socket] [-r root]\n");
      return 2;
    }
  }
  if (root.empty()) root = qvagent::ProductRoot();
  if (!ParseRoot(root, &g_root)) {
    std::fprintf(stderr, "qvagent: no usable root identifier (\"%s\")\n", root.c_str());
    return 2;
  }
  if (pipe2(g_wake, O_CLOEXEC | O_NONBLOCK) != 0 || !g_link.Open(qvagent::InstanceNumber(root))) {
    std::fprintf(stderr, "qvagent: cannot open the link to the program\n");
    return 1;
  }
  signal(SIGPIPE, SIG_IGN);
  const int service = qvagent::RunAsService(argc, argv, [&] { return RunAgent(socket); }, [] { OnSignal(0); });
  if (service >= 0) return service;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  return RunAgent(socket);
}
