#include "tests/support/MemoryRegistry.h"

#include <iterator>

namespace mametan {
namespace {

class MemoryKey : public RegistryKey {
 public:
  MemoryKey(MemoryRegistry& owner, std::shared_ptr<MemoryRegistry::Node> node)
      : m_owner(owner), m_node(std::move(node)) {}

  std::unique_ptr<RegistryKey> CreateSubKey(const std::string& name) override {
    if (m_owner.failCreate.count(name)) return nullptr;
    auto& child = m_node->subkeys[name];
    if (!child) child = std::make_shared<MemoryRegistry::Node>();
    return std::make_unique<MemoryKey>(m_owner, child);
  }

  std::unique_ptr<RegistryKey> OpenSubKey(const std::string& name) override {
    const auto it = m_node->subkeys.find(name);
    if (it == m_node->subkeys.end()) return nullptr;
    return std::make_unique<MemoryKey>(m_owner, it->second);
  }

  QueryStatus QueryValue(const std::string& name, RegValue& out) override {
    const auto it = m_node->values.find(name);
    if (it == m_node->values.end()) return QueryStatus::Missing;
    if (m_owner.failRead.count(name) && !it->second.data.empty()) return QueryStatus::ReadFailed;
    out = it->second;
    return QueryStatus::Ok;
  }

  bool SetText(const std::string& name, const std::string& text) override {
    if (m_owner.failSet.count(name)) return false;
    m_node->values[name] = RegValue{RegType::Sz, text + '\0'};
    return true;
  }

  std::optional<std::size_t> SubKeyCount() override { return m_node->subkeys.size(); }

  std::optional<std::string> SubKeyName(std::size_t index) override {
    if (index >= m_node->subkeys.size()) return std::nullopt;
    return std::next(m_node->subkeys.begin(), static_cast<std::ptrdiff_t>(index))->first;
  }

  bool DeleteSubKey(const std::string& name) override {
    const auto it = m_node->subkeys.find(name);
    if (it == m_node->subkeys.end() || m_owner.failDelete.count(name)) return false;
    if (!it->second->subkeys.empty()) return false;  // as RegDeleteKeyA
    m_node->subkeys.erase(it);
    return true;
  }

 private:
  MemoryRegistry& m_owner;
  std::shared_ptr<MemoryRegistry::Node> m_node;
};

}  // namespace

std::unique_ptr<RegistryKey> MemoryRegistry::OpenCompanyKey() {
  if (failCompany) return nullptr;
  return std::make_unique<MemoryKey>(*this, m_company);
}

MemoryRegistry::Node* MemoryRegistry::Find(const std::string& path) {
  Node* node = m_company.get();
  std::size_t start = 0;
  while (node && start <= path.size()) {
    const std::size_t slash = path.find('\\', start);
    const std::string part = path.substr(start, slash == std::string::npos ? slash : slash - start);
    const auto it = node->subkeys.find(part);
    node = it == node->subkeys.end() ? nullptr : it->second.get();
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return node;
}

}  // namespace mametan
