// The record the program and its SNMP agent exchange in the named shared
// memory "QuorvaneSNMPMemMap_<N>", and the names of the objects around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr size_t kSnmpIdSize = 256;
inline constexpr size_t kSnmpValueSize = 1024;

#pragma pack(push, 1)
struct SnmpRecord {
  uint32_t instance;  // N of the side that wrote it
  uint32_t kind;      // kSnmpTrap .. kSnmpSet
  uint32_t error;     // kSnmpNoError, kSnmpNoSuchVariable, kSnmpSetRefused
  uint32_t type;      // kSnmpInteger or kSnmpText
  char id[kSnmpIdSize];         // relative to the root ("2.0"); a trap carries the root itself
  char value[kSnmpValueSize];   // NUL-terminated; integers as decimal text
};
#pragma pack(pop)
static_assert(offsetof(SnmpRecord, instance) == 0);
static_assert(offsetof(SnmpRecord, kind) == 4);
static_assert(offsetof(SnmpRecord, error) == 8);
static_assert(offsetof(SnmpRecord, type) == 12);
static_assert(offsetof(SnmpRecord, id) == 16);
static_assert(offsetof(SnmpRecord, value) == 272);
static_assert(sizeof(SnmpRecord) == 1296);

// Kinds.
inline constexpr uint32_t kSnmpTrap = 1;
inline constexpr uint32_t kSnmpGet = 2;
inline constexpr uint32_t kSnmpGetNext = 3;
inline constexpr uint32_t kSnmpSet = 4;
// Errors.
inline constexpr uint32_t kSnmpNoError = 0;
inline constexpr uint32_t kSnmpNoSuchVariable = 2;  // or not writable
inline constexpr uint32_t kSnmpSetRefused = 3;
// Value types.
inline constexpr uint32_t kSnmpInteger = 2;
inline constexpr uint32_t kSnmpText = 4;

// Names: each prefix followed by N in decimal ("QV_SNMP_Mutex_%u").
inline constexpr char kSnmpMutexName[] = "QV_SNMP_Mutex_";
inline constexpr char kSnmpGetRequestName[] = "QV_GetRequest_";
inline constexpr char kSnmpGetResponseName[] = "QV_GetResponse_";
inline constexpr char kSnmpTrapRequestName[] = "QV_TrapRequest_";
inline constexpr char kSnmpTrapResponseName[] = "QV_TrapResponse_";
inline constexpr char kSnmpMemMapName[] = "QuorvaneSNMPMemMap_";

// Trap codes.
inline constexpr unsigned kSnmpTrapUp = 102;
inline constexpr unsigned kSnmpTrapDown = 103;
inline constexpr unsigned kSnmpTrapEnabled = 104;
inline constexpr unsigned kSnmpTrapDisabled = 105;

// The name of one of the link's objects for instance n.
inline std::string SnmpObjectName(const char* prefix, unsigned n) { return prefix + std::to_string(n); }
