// The system's user and group databases (through the name service, so
// /etc/passwd and whatever else the system is configured with).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qvp::accounts {

// Every user / group name once, in database order.
std::vector<std::string> AllUserNames();
std::vector<std::string> AllGroupNames();

// The account a Windows-style user name stands for: a "domain\" prefix is
// dropped; without an exact match, a match without regard to case is taken.
std::optional<std::string> FindUser(const std::string& name);

// The user's primary group, then the groups that list the user; no duplicates.
std::vector<std::string> GroupsOfUser(const std::string& user);

}  // namespace qvp::accounts
