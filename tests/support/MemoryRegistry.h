#pragma once
// A registry held in memory, for tests and for runs that must not touch the
// user's settings. Failures can be switched on per operation.
#include <map>
#include <memory>
#include <set>
#include <string>

#include "core/platform/Registry.h"

namespace mametan {

class MemoryRegistry : public RegistryBackend {
 public:
  struct Node {
    std::map<std::string, RegValue> values;
    std::map<std::string, std::shared_ptr<Node>> subkeys;
  };

  std::unique_ptr<RegistryKey> OpenCompanyKey() override;

  // The company key's node, for tests to inspect or prepare.
  Node& Company() { return *m_company; }
  // The node at a path of subkey names under the company key, or nullptr.
  Node* Find(const std::string& path);

  std::set<std::string> failCreate;  // subkey names whose create fails
  std::set<std::string> failSet;     // value names whose set fails
  std::set<std::string> failRead;    // value names whose read fails
  std::set<std::string> failDelete;  // subkey names whose delete fails
  bool failCompany = false;

 private:
  std::shared_ptr<Node> m_company = std::make_shared<Node>();
};

}  // namespace mametan
