#pragma once

#include <QByteArray>
#include <QList>

// The property-name index of one object being read: names in property order, 1201 hash
// buckets, h = (h x 37 + b) mod 1201 over the name's bytes. Lookups match the letter case
// exactly, as the names are written.
class THashedStringListV
{
public:
    static constexpr int BucketCount = 1201;

    static int hash(QByteArrayView name);

    // Adds a name; its index is the number of names added before it.
    void add(const QByteArray& name);
    // The index of the name, or -1.
    int indexOf(QByteArrayView name) const;

    int count() const { return int(m_names.size()); }
    const QByteArray& at(int index) const { return m_names.at(index); }

private:
    QList<QByteArray> m_names;
    QList<int> m_next; // next index in the same bucket, -1 at the end
    int m_buckets[BucketCount];
    bool m_initialised = false;
};
