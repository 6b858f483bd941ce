// The settings store (the registry on Windows) as the core sees it, and an
// in-memory store for tests and for hosts without a registry.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <utility>

#include "framework/Types.h"

enum class SettingsHive { CurrentUser, LocalMachine };

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // Key paths use backslashes, relative to the hive ("Software\Brennick\...").
    virtual bool KeyExists(SettingsHive hive, const CString& key) = 0;
    // Creates the key (and its parents) unless it exists; false when that fails.
    virtual bool CreateKey(SettingsHive hive, const CString& key) = 0;
    virtual std::optional<uint32_t> ReadNumber(SettingsHive hive, const CString& key, const CString& name) = 0;
    virtual std::optional<CString> ReadText(SettingsHive hive, const CString& key, const CString& name) = 0;
    // Writing creates the key; false when that fails.
    virtual bool WriteNumber(SettingsHive hive, const CString& key, const CString& name, uint32_t value) = 0;
    virtual bool WriteText(SettingsHive hive, const CString& key, const CString& name, const CString& value) = 0;

    // Conveniences for the current user's values.
    uint32_t GetNumber(const CString& key, const CString& name, uint32_t fallback)
    {
        return ReadNumber(SettingsHive::CurrentUser, key, name).value_or(fallback);
    }
    bool GetBool(const CString& key, const CString& name, bool fallback)
    {
        return GetNumber(key, name, fallback ? 1 : 0) != 0;
    }
    CString GetText(const CString& key, const CString& name, const CString& fallback = CString())
    {
        return ReadText(SettingsHive::CurrentUser, key, name).value_or(fallback);
    }
};

class CMemorySettingsStore : public ISettingsStore {
public:
    bool KeyExists(SettingsHive hive, const CString& key) override;
    bool CreateKey(SettingsHive hive, const CString& key) override;
    std::optional<uint32_t> ReadNumber(SettingsHive hive, const CString& key, const CString& name) override;
    std::optional<CString> ReadText(SettingsHive hive, const CString& key, const CString& name) override;
    bool WriteNumber(SettingsHive hive, const CString& key, const CString& name, uint32_t value) override;
    bool WriteText(SettingsHive hive, const CString& key, const CString& name, const CString& value) override;

    // Makes creating keys fail, as a registry without write access does.
    void SetReadOnly(bool on) { m_readOnly = on; }

private:
    using KeyId = std::pair<SettingsHive, CString>;
    using ValueId = std::tuple<SettingsHive, CString, CString>;

    static CString Fold(const CString& text);

    std::mutex m_lock;
    bool m_readOnly = false;
    std::set<KeyId> m_keys;
    std::map<ValueId, uint32_t> m_numbers;
    std::map<ValueId, CString> m_texts;
};
