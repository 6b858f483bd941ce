#include "framework/Settings.h"

// Registry names are case-insensitive.
CString CMemorySettingsStore::Fold(const CString& text)
{
    CString folded = text;
    for (char16_t& c : folded)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return folded;
}

bool CMemorySettingsStore::KeyExists(SettingsHive hive, const CString& key)
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_keys.count({hive, Fold(key)}) > 0;
}

bool CMemorySettingsStore::CreateKey(SettingsHive hive, const CString& key)
{
    std::lock_guard<std::mutex> g(m_lock);
    const CString folded = Fold(key);
    if (m_keys.count({hive, folded}))
        return true;
    if (m_readOnly)
        return false;
    // Parents exist whenever a child does.
    for (size_t i = folded.find(u'\\'); i != CString::npos; i = folded.find(u'\\', i + 1))
        m_keys.insert({hive, folded.substr(0, i)});
    m_keys.insert({hive, folded});
    return true;
}

std::optional<uint32_t> CMemorySettingsStore::ReadNumber(SettingsHive hive, const CString& key, const CString& name)
{
    std::lock_guard<std::mutex> g(m_lock);
    const auto found = m_numbers.find({hive, Fold(key), Fold(name)});
    if (found == m_numbers.end())
        return std::nullopt;
    return found->second;
}

std::optional<CString> CMemorySettingsStore::ReadText(SettingsHive hive, const CString& key, const CString& name)
{
    std::lock_guard<std::mutex> g(m_lock);
    const auto found = m_texts.find({hive, Fold(key), Fold(name)});
    if (found == m_texts.end())
        return std::nullopt;
    return found->second;
}

bool CMemorySettingsStore::WriteNumber(SettingsHive hive, const CString& key, const CString& name, uint32_t value)
{
    if (!CreateKey(hive, key))
        return false;
    std::lock_guard<std::mutex> g(m_lock);
    m_texts.erase({hive, Fold(key), Fold(name)});
    m_numbers[{hive, Fold(key), Fold(name)}] = value;
    return true;
}

bool CMemorySettingsStore::WriteText(SettingsHive hive, const CString& key, const CString& name, const CString& value)
{
    if (!CreateKey(hive, key))
        return false;
    std::lock_guard<std::mutex> g(m_lock);
    m_numbers.erase({hive, Fold(key), Fold(name)});
    m_texts[{hive, Fold(key), Fold(name)}] = value;
    return true;
}
