#pragma once
// An in-memory HKEY_CURRENT_USER for the settings library's native tests.
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "settings/registry.h"

namespace karvo::settings::testing {

class FakeRegistry final : public IRegistry {
 public:
  struct Value {
    std::string Data;  // the bytes as stored, terminator included when written with it
  };
  using Key = std::map<std::string, Value>;

  std::unique_ptr<IRegistryKey> OpenOrCreateKey(const std::string& subKey) override {
    if (m_failing.count(subKey)) return nullptr;
    return std::make_unique<FakeKey>(*this, m_keys[subKey]);
  }
  std::unique_ptr<IRegistryKey> OpenKeyForRead(const std::string& subKey) override {
    auto it = m_keys.find(subKey);
    if (m_failing.count(subKey) || it == m_keys.end()) return nullptr;
    return std::make_unique<FakeKey>(*this, it->second);
  }

  void Set(const std::string& key, const std::string& name, const std::string& text) {
    m_keys[key][name].Data = text;
  }
  // The value's text without a trailing terminator; nullopt when absent.
  std::optional<std::string> Text(const std::string& key, const std::string& name) const {
    const Value* v = Find(key, name);
    if (!v) return std::nullopt;
    std::string text = v->Data;
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }
  std::optional<std::string> RawData(const std::string& key, const std::string& name) const {
    const Value* v = Find(key, name);
    return v ? std::optional<std::string>(v->Data) : std::nullopt;
  }
  void FailKey(const std::string& key) { m_failing.insert(key); }
  void FailWrites(bool fail) { m_writesFail = fail; }
  bool HasKey(const std::string& key) const { return m_keys.count(key) != 0; }

 private:
  class FakeKey final : public IRegistryKey {
   public:
    FakeKey(FakeRegistry& owner, Key& key) : m_owner(owner), m_key(key) {}
    std::optional<std::string> ReadString(const std::string& name, std::size_t maxBytes) override {
      auto it = m_key.find(name);
      if (it == m_key.end()) return std::nullopt;
      std::string text = it->second.Data.substr(0, it->second.Data.find('\0'));
      if (text.size() + 1 > maxBytes) return std::nullopt;
      return text;
    }
    bool WriteString(const std::string& name, std::string_view text, bool withTerminator) override {
      if (m_owner.m_writesFail) return false;
      std::string data(text);
      if (withTerminator) data.push_back('\0');
      m_key[name].Data = data;
      return true;
    }

   private:
    FakeRegistry& m_owner;
    Key& m_key;
  };

  const Value* Find(const std::string& key, const std::string& name) const {
    auto k = m_keys.find(key);
    if (k == m_keys.end()) return nullptr;
    auto v = k->second.find(name);
    return v == k->second.end() ? nullptr : &v->second;
  }

  std::map<std::string, Key> m_keys;
  std::set<std::string> m_failing;
  bool m_writesFail = false;
};

}  // namespace karvo::settings::testing
