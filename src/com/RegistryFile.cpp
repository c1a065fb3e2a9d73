#include "com/RegistryFile.h"

#include <algorithm>

namespace com {

namespace {

constexpr std::string_view kRoot = "HKEY_CLASSES_ROOT";
constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool sameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// True when `key` is `parent` or lies below it.
bool isWithin(std::string_view key, std::string_view parent) {
    if (key.size() < parent.size() || !sameText(key.substr(0, parent.size()), parent)) {
        return false;
    }
    return key.size() == parent.size() || key[parent.size()] == '\\';
}

std::string quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out.push_back('\\');
        }
        if (c == '\n' || c == '\r') {
            out += c == '\n' ? "\\n" : "\\r";
            continue;
        }
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

// Reads a quoted string starting at text[i] == '"'; advances i past the closing quote.
bool unquote(std::string_view text, std::size_t& i, std::string& out) {
    if (i >= text.size() || text[i] != '"') {
        return false;
    }
    ++i;
    out.clear();
    while (i < text.size()) {
        char c = text[i++];
        if (c == '"') {
            return true;
        }
        if (c == '\\' && i < text.size()) {
            char next = text[i++];
            out.push_back(next == 'n' ? '\n' : next == 'r' ? '\r' : next);
        } else {
            out.push_back(c);
        }
    }
    return false;
}

} // namespace

std::string RegistryFile::normalize(std::string_view key) {
    std::string_view view = key;
    if (view.size() >= kRoot.size() && sameText(view.substr(0, kRoot.size()), kRoot) &&
        (view.size() == kRoot.size() || view[kRoot.size()] == '\\')) {
        view.remove_prefix(kRoot.size());
    }
    std::string out;
    bool separator = false;
    for (char c : view) {
        if (c == '\\') {
            separator = !out.empty();
            continue;
        }
        if (separator) {
            out.push_back('\\');
            separator = false;
        }
        out.push_back(c);
    }
    return out;
}

bool RegistryFile::isValidKey(std::string_view key) {
    return !normalize(key).empty() && key.find_first_of("\r\n") == std::string_view::npos;
}

RegistryFile RegistryFile::parse(std::string_view text) {
    RegistryFile file;
    Key* current = nullptr;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line[0] == ';' || line == kHeader) {
            if (end == text.size()) {
                break;
            }
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            std::string_view inner = line.substr(1, line.size() - 2);
            if (!inner.empty() && inner.front() == '-') {
                current = nullptr; // deletion records are not kept
            } else {
                std::string key = normalize(inner);
                current = key.empty() ? nullptr : &file.ensure(key);
            }
        } else if (current) {
            std::size_t i = 0;
            std::string name;
            if (line[0] == '@') {
                i = 1;
            } else if (!unquote(line, i, name)) {
                continue;
            }
            if (i >= line.size() || line[i] != '=') {
                continue;
            }
            ++i;
            std::string value;
            if (!unquote(line, i, value)) {
                continue;
            }
            std::string keyPath = current->path;
            file.setValue(keyPath, name, value);
            current = file.find(keyPath);
        }
        if (end == text.size()) {
            break;
        }
    }
    return file;
}

std::string RegistryFile::serialize() const {
    std::string out(kHeader);
    out += "\n";
    for (const Key& key : keys_) {
        out += "\n[";
        out += kRoot;
        out += "\\";
        out += key.path;
        out += "]\n";
        for (const auto& [name, value] : key.values) {
            out += name.empty() ? std::string("@") : quote(name);
            out += "=";
            out += quote(value);
            out += "\n";
        }
    }
    return out;
}

RegistryFile::Key* RegistryFile::find(std::string_view normalizedKey) {
    for (Key& key : keys_) {
        if (sameText(key.path, normalizedKey)) {
            return &key;
        }
    }
    return nullptr;
}

const RegistryFile::Key* RegistryFile::find(std::string_view normalizedKey) const {
    return const_cast<RegistryFile*>(this)->find(normalizedKey);
}

RegistryFile::Key& RegistryFile::ensure(const std::string& normalizedKey) {
    if (Key* existing = find(normalizedKey)) {
        return *existing;
    }
    // Parents exist implicitly, as in the registry; they are created so that they list.
    std::size_t cut = normalizedKey.rfind('\\');
    if (cut != std::string::npos) {
        ensure(normalizedKey.substr(0, cut));
    }
    keys_.push_back(Key{normalizedKey, {}});
    return keys_.back();
}

void RegistryFile::createKey(std::string_view key) {
    if (isValidKey(key)) {
        ensure(normalize(key));
    }
}

void RegistryFile::setValue(std::string_view key, std::string_view name, std::string_view value) {
    if (!isValidKey(key)) {
        return;
    }
    std::string k = normalize(key);
    std::string valueName = name == "@" ? std::string() : std::string(name);
    Key& entry = ensure(k);
    for (auto& [n, v] : entry.values) {
        if (sameText(n, valueName)) {
            v = value;
            return;
        }
    }
    entry.values.emplace_back(valueName, std::string(value));
}

std::optional<std::string> RegistryFile::value(std::string_view key, std::string_view name) const {
    const Key* entry = find(normalize(key));
    if (!entry) {
        return std::nullopt;
    }
    std::string_view valueName = name == "@" ? std::string_view() : name;
    for (const auto& [n, v] : entry->values) {
        if (sameText(n, valueName)) {
            return v;
        }
    }
    return std::nullopt;
}

bool RegistryFile::hasKey(std::string_view key) const {
    return find(normalize(key)) != nullptr;
}

bool RegistryFile::deleteTree(std::string_view key) {
    std::string k = normalize(key);
    if (k.empty()) {
        return false;
    }
    auto first = std::remove_if(keys_.begin(), keys_.end(),
                                [&](const Key& entry) { return isWithin(entry.path, k); });
    bool removed = first != keys_.end();
    keys_.erase(first, keys_.end());
    return removed;
}

bool RegistryFile::deleteValue(std::string_view key, std::string_view name) {
    Key* entry = find(normalize(key));
    if (!entry) {
        return false;
    }
    std::string_view valueName = name == "@" ? std::string_view() : name;
    auto it = std::find_if(entry->values.begin(), entry->values.end(),
                           [&](const auto& nv) { return sameText(nv.first, valueName); });
    if (it == entry->values.end()) {
        return false;
    }
    entry->values.erase(it);
    return true;
}

std::vector<std::string> RegistryFile::subKeys(std::string_view key) const {
    std::string k = normalize(key);
    std::vector<std::string> names;
    for (const Key& entry : keys_) {
        std::string_view path = entry.path;
        std::string_view rest;
        if (k.empty()) {
            rest = path;
        } else if (path.size() > k.size() && isWithin(path, k)) {
            rest = path.substr(k.size() + 1);
        } else {
            continue;
        }
        if (!rest.empty() && rest.find('\\') == std::string_view::npos) {
            names.emplace_back(rest);
        }
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> RegistryFile::values(std::string_view key) const {
    const Key* entry = find(normalize(key));
    if (!entry) {
        return {};
    }
    return entry->values;
}

std::vector<std::string> RegistryFile::keys() const {
    std::vector<std::string> all;
    all.reserve(keys_.size());
    for (const Key& key : keys_) {
        all.push_back(key.path);
    }
    return all;
}

} // namespace com
