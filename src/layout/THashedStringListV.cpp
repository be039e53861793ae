#include "layout/THashedStringListV.h"

#include <algorithm>
#include <cstdint>

int THashedStringListV::hash(QByteArrayView name)
{
    int h = 0;
    for (char c : name)
        h = (h * 37 + std::uint8_t(c)) % BucketCount;
    return h;
}

void THashedStringListV::add(const QByteArray& name)
{
    if (!m_initialised) {
        std::fill(std::begin(m_buckets), std::end(m_buckets), -1);
        m_initialised = true;
    }
    // Appended at the end of its bucket's chain, so the first of two equal names wins.
    const int index = int(m_names.size());
    m_names.append(name);
    m_next.append(-1);
    int* link = &m_buckets[hash(name)];
    while (*link >= 0)
        link = &m_next[*link];
    *link = index;
}

int THashedStringListV::indexOf(QByteArrayView name) const
{
    if (!m_initialised)
        return -1;
    for (int i = m_buckets[hash(name)]; i >= 0; i = m_next.at(i))
        if (m_names.at(i) == name)
            return i;
    return -1;
}
