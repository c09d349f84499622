// One request of the program's remote report server, as plug-ins see it when
// the server offers them a script directive (function 25). A plug-in calls
// the request's five operations by their place in the object's table of
// virtual functions, so their order is part of the plug-in interface: no
// operation may be added before them, nor a virtual destructor.
//
// Texts: names are compared without regard to case and cut to 99 characters;
// values are cut to 199. Every output buffer receives at most outSize - 1
// characters and a NUL (nothing when outSize is below 1).
#pragma once

#include <cstdint>

inline constexpr int kRemoteNameSize = 100;
inline constexpr int kRemoteValueSize = 200;

class RemoteRequest {
 public:
  // The value of `name` followed by '=' in the query (or a posted form), up
  // to the next '&' or ';', with '+' read as a blank; "" when absent.
  virtual void GetParam(const char* name, char* out, int outSize) = 0;
  // The variable read as a decimal number; 0 when absent.
  virtual void GetVarInt(const char* name, int32_t* out) = 0;
  // The variable's value; "" when absent.
  virtual void GetVar(const char* name, char* out, int outSize) = 0;
  // Sets the variable to the value printed as an unsigned number.
  virtual void SetVarInt(const char* name, int32_t value) = 0;
  // Sets the variable, or adds it when there is none of that name.
  virtual void SetVar(const char* name, const char* value) = 0;

 protected:
  RemoteRequest() = default;
  ~RemoteRequest() = default;
  RemoteRequest(const RemoteRequest&) = default;
  RemoteRequest& operator=(const RemoteRequest&) = default;
};
