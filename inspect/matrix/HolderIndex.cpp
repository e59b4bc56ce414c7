#include "inspect/matrix/HolderIndex.h"

#include <algorithm>

void HolderIndex::Add(const Name& name, Holder holder) {
    std::vector<Holder>& holders = m_holders[name];
    const auto at =
        std::upper_bound(holders.begin(), holders.end(), holder,
                         [](const Holder& a, const Holder& b) { return a.m_file < b.m_file; });
    holders.insert(at, holder);
}

void HolderIndex::Remove(const Name& name, Holder holder, const NameOf& nameOf) {
    const auto it = m_holders.find(name);
    if (it == m_holders.end()) {
        return;
    }
    std::vector<Holder>& holders = it->second;
    holders.erase(std::remove_if(holders.begin(), holders.end(),
                                 [&](const Holder& h) {
                                     return h.m_file == holder.m_file &&
                                            h.m_entry == holder.m_entry;
                                 }),
                  holders.end());
    if (holders.empty()) {
        m_holders.erase(it);
        return;
    }
    // The key's views may be the removed setting's own strings: equal text, same address.
    if (it->first.first.data() != name.first.data() &&
        it->first.second.data() != name.second.data()) {
        return;
    }
    auto node = m_holders.extract(it);
    node.key() = nameOf(node.mapped().front());
    m_holders.insert(std::move(node));
}

const std::vector<Holder>* HolderIndex::Find(const Name& name) const {
    const auto it = m_holders.find(name);
    return it == m_holders.end() ? nullptr : &it->second;
}
