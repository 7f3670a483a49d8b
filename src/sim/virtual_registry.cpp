#include "sim/virtual_registry.h"

#include <algorithm>

#include "sim/text_compare.h"

namespace quillon::sim {

namespace {

constexpr std::size_t kLocalMachineNode = 0;
constexpr std::size_t kCurrentConfigNode = 1;

// The components of a backslash-separated path; empty components (doubled, leading or
// trailing backslashes) are skipped.
std::vector<std::string_view> components(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) {
            parts.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

}  // namespace

std::string networkClassPath(OsFamily family, std::uint32_t majorVersion) {
    if (family == OsFamily::Windows95) {
        return "System\\CurrentControlSet\\Services\\Class\\Net";
    }
    if (majorVersion < 5) {
        return "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
    }
    return "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
}

std::pair<card::RegistryKey, std::string> enumKeyPath(OsFamily family) {
    if (family == OsFamily::Windows95) {
        return {card::kCurrentConfig, "Enum"};
    }
    return {
        card::kLocalMachine,
        "system\\CurrentControlSet\\Hardware Profiles\\Current\\System\\CurrentControlSet\\Enum"};
}

VirtualRegistry::VirtualRegistry() : nodes_{Node{"HKLM", {}, {}, {}}, Node{"HKCC", {}, {}, {}}} {}

VirtualRegistry::VirtualRegistry(const BenchConfig& config) : VirtualRegistry() {
    rebuild(config);
}

void VirtualRegistry::rebuild(const BenchConfig& config) {
    nodes_ = {Node{"HKLM", {}, {}, {}}, Node{"HKCC", {}, {}, {}}};
    handles_.clear();
    const std::string classPath = networkClassPath(config.osFamily, config.osMajorVersion);
    addKey(card::kLocalMachine, classPath);
    const auto [enumRoot, enumPath] = enumKeyPath(config.osFamily);
    for (const AdapterConfig& adapter : config.adapters) {
        const std::string adapterPath = classPath + "\\" + adapter.subkey;
        addKey(card::kLocalMachine, adapterPath);
        if (adapter.matchingDeviceId) {
            setTextValue(card::kLocalMachine, adapterPath, "MatchingDeviceId",
                         *adapter.matchingDeviceId);
        }
        for (const DeviceKey& device : adapter.deviceKeys) {
            const std::string devicePath =
                enumPath + (adapter.pci ? "\\pci\\" : "\\") + device.name;
            addKey(enumRoot, devicePath);
            for (const DeviceInstance& instance : device.instances) {
                const std::string instancePath = devicePath + "\\" + instance.name;
                addKey(enumRoot, instancePath);
                if (instance.csConfigFlags) {
                    setDwordValue(enumRoot, instancePath, "CSConfigFlags", *instance.csConfigFlags);
                }
            }
        }
    }
}

std::size_t VirtualRegistry::rootNode(card::RegistryKey root) {
    return root == card::kCurrentConfig ? kCurrentConfigNode : kLocalMachineNode;
}

std::optional<std::size_t> VirtualRegistry::nodeOf(card::RegistryKey key) const {
    if (key == card::kLocalMachine) {
        return kLocalMachineNode;
    }
    if (key == card::kCurrentConfig) {
        return kCurrentConfigNode;
    }
    const auto handle = handles_.find(key);
    if (handle == handles_.end()) {
        return std::nullopt;
    }
    return handle->second;
}

namespace {

// Registry names compare without regard to case.
std::string upperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return out;
}

}  // namespace

std::optional<std::size_t> VirtualRegistry::find(std::size_t from, std::string_view path) const {
    std::size_t node = from;
    for (const std::string_view part : components(path)) {
        const auto& children = nodes_[node].childByName;
        const auto child = children.find(upperCase(part));
        if (child == children.end()) {
            return std::nullopt;
        }
        node = child->second;
    }
    return node;
}

std::size_t VirtualRegistry::create(std::size_t from, std::string_view path) {
    std::size_t node = from;
    for (const std::string_view part : components(path)) {
        if (const auto existing = find(node, part)) {
            node = *existing;
            continue;
        }
        nodes_.push_back(Node{std::string(part), {}, {}, {}});
        const std::size_t created = nodes_.size() - 1;
        nodes_[node].children.push_back(created);
        nodes_[node].childByName.emplace(upperCase(part), created);
        node = created;
    }
    return node;
}

void VirtualRegistry::addKey(card::RegistryKey root, std::string_view path) {
    create(rootNode(root), path);
}

void VirtualRegistry::setValue(card::RegistryKey root, std::string_view path, std::string_view name,
                               std::vector<std::uint8_t> data) {
    Node& node = nodes_[create(rootNode(root), path)];
    for (auto& [valueName, valueData] : node.values) {
        if (equalsIgnoringCase(valueName, name)) {
            valueData = std::move(data);
            return;
        }
    }
    node.values.emplace_back(std::string(name), std::move(data));
}

void VirtualRegistry::setTextValue(card::RegistryKey root, std::string_view path,
                                   std::string_view name, std::string_view text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    setValue(root, path, name, std::move(data));
}

void VirtualRegistry::setDwordValue(card::RegistryKey root, std::string_view path,
                                    std::string_view name, std::uint32_t value) {
    setValue(root, path, name,
             {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
              static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

std::optional<card::RegistryKey> VirtualRegistry::openKey(card::RegistryKey parent,
                                                          std::string_view path) {
    const std::optional<std::size_t> from = nodeOf(parent);
    if (!from) {
        return std::nullopt;
    }
    const std::optional<std::size_t> node = find(*from, path);
    if (!node) {
        return std::nullopt;
    }
    while (handles_.count(nextHandle_) != 0 || nextHandle_ == card::kLocalMachine ||
           nextHandle_ == card::kCurrentConfig || nextHandle_ == 0) {
        ++nextHandle_;
    }
    const card::RegistryKey key = nextHandle_++;
    handles_[key] = *node;
    return key;
}

bool VirtualRegistry::enumKey(card::RegistryKey key, std::uint32_t index, std::span<char> name) {
    const std::optional<std::size_t> node = nodeOf(key);
    if (!node || index >= nodes_[*node].children.size()) {
        return false;
    }
    const std::string& childName = nodes_[nodes_[*node].children[index]].name;
    if (childName.size() + 1 > name.size()) {
        return false;
    }
    std::copy(childName.begin(), childName.end(), name.begin());
    name[childName.size()] = '\0';
    return true;
}

bool VirtualRegistry::queryValue(card::RegistryKey key, std::string_view valueName,
                                 std::span<std::uint8_t> data, std::size_t& size) {
    const std::optional<std::size_t> node = nodeOf(key);
    if (!node) {
        return false;
    }
    for (const auto& [name, value] : nodes_[*node].values) {
        if (!equalsIgnoringCase(name, valueName)) {
            continue;
        }
        size = value.size();
        if (value.size() > data.size()) {
            return false;
        }
        std::copy(value.begin(), value.end(), data.begin());
        return true;
    }
    return false;
}

void VirtualRegistry::closeKey(card::RegistryKey key) {
    handles_.erase(key);
}

}  // namespace quillon::sim
