// The virtual registry of a bench: the keys adapter discovery reads, laid out for the bench's
// operating system. Each adapter is a subkey of the network class key with its
// "MatchingDeviceId"; its device keys sit under Enum (Enum\pci for PCI devices), in the
// current-configuration hive on the Windows 95 family and under the current hardware profile
// of the local-machine hive on the NT family, each instance with its "CSConfigFlags".
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "card/registry.h"
#include "sim/bench_config.h"

namespace quillon::sim {

// The network class key of an operating system, below HKLM.
std::string networkClassPath(OsFamily family, std::uint32_t majorVersion);
// The root and path of the key that holds device keys (Enum).
std::pair<card::RegistryKey, std::string> enumKeyPath(OsFamily family);

class VirtualRegistry : public card::Registry {
  public:
    VirtualRegistry();
    explicit VirtualRegistry(const BenchConfig& config);

    // Drops every key and builds the bench's keys afresh; open handles become invalid.
    void rebuild(const BenchConfig& config);

    // Building blocks, also for tests: create a key (and the keys above it) below a root, and
    // set a value on it. Text values are stored with their terminating NUL.
    void addKey(card::RegistryKey root, std::string_view path);
    void setValue(card::RegistryKey root, std::string_view path, std::string_view name,
                  std::vector<std::uint8_t> data);
    void setTextValue(card::RegistryKey root, std::string_view path, std::string_view name,
                      std::string_view text);
    void setDwordValue(card::RegistryKey root, std::string_view path, std::string_view name,
                       std::uint32_t value);

    std::optional<card::RegistryKey> openKey(card::RegistryKey parent,
                                             std::string_view path) override;
    bool enumKey(card::RegistryKey key, std::uint32_t index, std::span<char> name) override;
    bool queryValue(card::RegistryKey key, std::string_view valueName, std::span<std::uint8_t> data,
                    std::size_t& size) override;
    void closeKey(card::RegistryKey key) override;

    // Keys opened and not yet closed (roots excluded), so tests can see nothing leaks.
    std::size_t openKeyCount() const { return handles_.size(); }

  private:
    struct Node {
        std::string name;
        std::vector<std::size_t> children;  // in enumeration (creation) order
        // The children by their upper-case names, so that a key of many subkeys (a bench of
        // many adapters) is built and searched in linear time.
        std::unordered_map<std::string, std::size_t> childByName;
        std::vector<std::pair<std::string, std::vector<std::uint8_t>>> values;
    };

    std::optional<std::size_t> nodeOf(card::RegistryKey key) const;
    std::optional<std::size_t> find(std::size_t from, std::string_view path) const;
    std::size_t create(std::size_t from, std::string_view path);
    std::size_t rootNode(card::RegistryKey root);

    std::vector<Node> nodes_;
    std::map<card::RegistryKey, std::size_t> handles_;
    card::RegistryKey nextHandle_ = 0x1000;
};

}  // namespace quillon::sim
