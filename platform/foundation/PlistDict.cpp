#include "platform/foundation/PropertyList.h"

const PlistValue* PlistDict::find(const std::string& key) const
{
    auto it = m_index.find(key);
    return it == m_index.end() ? nullptr : &m_entries[it->second].second;
}

PlistValue* PlistDict::find(const std::string& key)
{
    auto it = m_index.find(key);
    return it == m_index.end() ? nullptr : &m_entries[it->second].second;
}

void PlistDict::set(const std::string& key, PlistValue value)
{
    auto [it, inserted] = m_index.try_emplace(key, m_entries.size());
    if (inserted)
        m_entries.emplace_back(key, std::move(value));
    else
        m_entries[it->second].second = std::move(value);
}

bool PlistDict::remove(const std::string& key)
{
    auto it = m_index.find(key);
    if (it == m_index.end())
        return false;
    std::size_t position = it->second;
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(position));
    m_index.erase(it);
    for (auto& [k, p] : m_index)
        if (p > position)
            --p;
    return true;
}

bool PlistDict::operator==(const PlistDict& other) const { return m_entries == other.m_entries; }
