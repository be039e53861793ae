#include "addresslist/CompoundDocument.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kNoStream = 0xFFFFFFFF;
// Our mark for a table entry whose table sector is not in the file (a cut file).
constexpr quint32 kUnknown = 0xFFFFFFFB;
constexpr qsizetype kHeaderSize = 512;
constexpr qsizetype kEntrySize = 128;
constexpr quint8 kStreamEntry = 2;
constexpr char kSignature[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};

quint16 u16At(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

quint32 u32At(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

quint64 u64At(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint64>(bytes.data() + at);
}

} // namespace

CompoundDocument::CompoundDocument(const QString& fileName)
    : m_contents(std::make_unique<FileContents>(fileName))
{
    m_readable = m_contents->isOpen();
    m_file = m_contents->bytes();
    open();
}

CompoundDocument::CompoundDocument(QByteArrayView bytes) : m_file(bytes)
{
    open();
}

CompoundDocument::~CompoundDocument() = default;

void CompoundDocument::open()
{
    if (m_file.size() < qsizetype(sizeof kSignature) ||
        std::memcmp(m_file.data(), kSignature, sizeof kSignature) != 0)
        return;
    m_compound = true;
    if (m_file.size() < kHeaderSize)
        return;
    const QByteArrayView header = m_file.first(kHeaderSize);
    m_majorVersion = u16At(header, 26);
    m_sectorShift = u16At(header, 30);
    m_miniShift = u16At(header, 32);
    // Only 512 and 4096 are written; anything from 128 bytes to 64 KiB reads the same way.
    if (m_sectorShift < 7 || m_sectorShift > 16 || m_miniShift < 2 || m_miniShift > m_sectorShift)
        return;
    const qsizetype sectorSize = qsizetype(1) << m_sectorShift;
    if (m_file.size() < sectorSize)
        return;
    // A last sector cut short still counts: its bytes are read as far as they go.
    m_sectorCount = quint32(std::min<qint64>((m_file.size() - 1) >> m_sectorShift, 0xFFFFFFF0));
    const quint32 fatSectors = u32At(header, 44);
    const quint32 firstDirectory = u32At(header, 48);
    m_miniCutoff = u32At(header, 56);
    m_firstMiniFat = u32At(header, 60);

    // Where the allocation table lies: 109 places in the header, then the DIFAT chain. There
    // cannot be more table sectors than sectors.
    const qsizetype wanted = std::min<qint64>(fatSectors, m_sectorCount);
    std::vector<quint32> fatPlaces;
    for (int i = 0; i < 109 && qsizetype(fatPlaces.size()) < wanted; ++i)
        fatPlaces.push_back(u32At(header, 76 + 4 * i));
    const qsizetype perSector = sectorSize / 4;
    quint32 difat = u32At(header, 68);
    for (quint32 steps = 0;
         qsizetype(fatPlaces.size()) < wanted && difat < m_sectorCount && steps < m_sectorCount;
         ++steps) {
        const QByteArrayView s = sector(difat);
        if (s.size() < sectorSize)
            break;
        for (qsizetype j = 0; j + 1 < perSector && qsizetype(fatPlaces.size()) < wanted; ++j)
            fatPlaces.push_back(u32At(s, 4 * j));
        difat = u32At(s, sectorSize - 4);
    }
    // Entries past the last sector of the file are never needed.
    m_fat.assign(m_sectorCount, kUnknown);
    for (size_t f = 0; f < fatPlaces.size(); ++f) {
        if (fatPlaces[f] >= m_sectorCount)
            continue;
        const QByteArrayView s = sector(fatPlaces[f]);
        const qsizetype first = qsizetype(f) * perSector;
        const qsizetype count = std::min<qsizetype>(s.size() / 4, qsizetype(m_fat.size()) - first);
        for (qsizetype j = 0; j < count; ++j)
            m_fat[size_t(first + j)] = u32At(s, 4 * j);
    }

    const qsizetype entriesPerSector = sectorSize / kEntrySize;
    bool broken = false;
    m_directory =
        chain(firstDirectory, (kMaxEntries + entriesPerSector - 1) / entriesPerSector, &broken);
    m_directoryShort = broken;
    m_entryCount =
        std::min<qsizetype>(qsizetype(m_directory.size()) * entriesPerSector, kMaxEntries);
    m_open = !entry(0).isEmpty();
}

QByteArrayView CompoundDocument::sector(quint32 id) const
{
    const qint64 at = (qint64(id) + 1) << m_sectorShift;
    if (at >= m_file.size())
        return {};
    return m_file.sliced(at, std::min<qint64>(qint64(1) << m_sectorShift, m_file.size() - at));
}

quint32 CompoundDocument::fatNext(quint32 id) const
{
    return id < m_fat.size() ? m_fat[id] : kUnknown;
}

// The sectors of the chain from `start`, at most `limit` of them; *broken is set when the
// chain leaves the file or ends in anything but its end mark before `limit`.
std::vector<quint32> CompoundDocument::chain(quint32 start, qsizetype limit, bool* broken) const
{
    std::vector<quint32> ids;
    std::vector<bool> seen;
    quint32 id = start;
    while (id != kEndOfChain && qsizetype(ids.size()) < limit) {
        if (id >= m_sectorCount) {
            *broken = true;
            break;
        }
        if (seen.empty())
            seen.resize(m_sectorCount);
        if (seen[id]) { // a loop in the table
            *broken = true;
            break;
        }
        seen[id] = true;
        ids.push_back(id);
        const quint32 next = fatNext(id);
        if (next == kUnknown) {
            // The table was cut off with the file: go on as writers lay streams out, sector
            // after sector, and tell the stream is not sure.
            *broken = true;
            id = id + 1;
        } else {
            id = next;
        }
    }
    return ids;
}

QByteArrayView CompoundDocument::entry(quint32 index) const
{
    if (qsizetype(index) >= m_entryCount)
        return {};
    const qsizetype perSector = (qsizetype(1) << m_sectorShift) / kEntrySize;
    const QByteArrayView s = sector(m_directory[size_t(index / perSector)]);
    const qsizetype at = qsizetype(index % perSector) * kEntrySize;
    if (s.size() < at + kEntrySize)
        return {};
    return s.sliced(at, kEntrySize);
}

// The root's children: its sibling tree walked with a stack, each entry at most once.
std::vector<CompoundDocument::Entry> CompoundDocument::rootChildren() const
{
    std::vector<Entry> found;
    const QByteArrayView root = entry(0);
    if (root.isEmpty())
        return found;
    std::vector<bool> seen(size_t(m_entryCount), false);
    seen[0] = true;
    std::vector<quint32> pending{u32At(root, 76)};
    while (!pending.empty()) {
        const quint32 id = pending.back();
        pending.pop_back();
        if (id == kNoStream || qsizetype(id) >= m_entryCount || seen[id])
            continue;
        seen[id] = true;
        const QByteArrayView e = entry(id);
        if (e.isEmpty() || e[66] == 0)
            continue;
        const int units = std::clamp<int>(u16At(e, 64), 2, 64) / 2 - 1;
        QString name(units, Qt::Uninitialized);
        int n = 0;
        for (; n < units; ++n) {
            const char16_t unit = u16At(e, 2 * n);
            if (unit == 0)
                break;
            name[n] = QChar(unit);
        }
        name.truncate(n);
        found.push_back({name, id});
        pending.push_back(u32At(e, 72));
        pending.push_back(u32At(e, 68));
    }
    std::sort(found.begin(), found.end(),
              [](const Entry& a, const Entry& b) { return a.index < b.index; });
    return found;
}

QStringList CompoundDocument::entryNames() const
{
    QStringList names;
    for (const Entry& e : rootChildren())
        names.append(e.name);
    return names;
}

std::optional<CompoundDocument::Stream> CompoundDocument::workbookStream()
{
    if (!m_open)
        return std::nullopt;
    const std::vector<Entry> children = rootChildren();
    for (const QString& wanted : {QStringLiteral("Workbook"), QStringLiteral("Book")})
        for (const Entry& e : children)
            if (e.name.compare(wanted, Qt::CaseInsensitive) == 0 &&
                entry(e.index)[66] == kStreamEntry)
                return readEntry(e.index);
    return std::nullopt;
}

std::optional<CompoundDocument::Stream> CompoundDocument::stream(const QString& name)
{
    if (!m_open)
        return std::nullopt;
    for (const Entry& e : rootChildren())
        if (e.name.compare(name, Qt::CaseInsensitive) == 0 && entry(e.index)[66] == kStreamEntry)
            return readEntry(e.index);
    return std::nullopt;
}

std::optional<CompoundDocument::Stream> CompoundDocument::readEntry(quint32 index)
{
    const QByteArrayView e = entry(index);
    const quint32 start = u32At(e, 116);
    quint64 size = u64At(e, 120);
    if (m_majorVersion < 4)
        size &= 0xFFFFFFFF; // the high half was not always written as zero
    Stream out;
    // No stream is larger than the file that holds it.
    if (size > quint64(m_file.size())) {
        size = quint64(m_file.size());
        out.complete = false;
    }
    const qsizetype wanted = qsizetype(size);
    const bool mini = size < m_miniCutoff;
    const int shift = mini ? m_miniShift : m_sectorShift;
    const qsizetype unit = qsizetype(1) << shift;
    const qsizetype needed = (wanted + unit - 1) >> shift;

    // The places of the stream's units: file sectors, or for a small stream pieces of the
    // mini stream, which itself is the chain of the root entry.
    bool broken = false;
    std::vector<quint32> ids;
    std::vector<quint32> rootChain;
    if (!mini) {
        ids = chain(start, needed, &broken);
        if (broken)
            out.complete = false;
        bool contiguous = qsizetype(ids.size()) == needed;
        for (size_t i = 1; contiguous && i < ids.size(); ++i)
            contiguous = ids[i] == ids[i - 1] + 1;
        if (contiguous && needed == 0)
            return out;
        const qint64 at = (qint64(ids.empty() ? 0 : ids[0]) + 1) << m_sectorShift;
        if (contiguous && at + wanted <= m_file.size()) {
            out.bytes = m_file.sliced(at, wanted);
            out.inPlace = true;
            return out;
        }
    } else {
        const QByteArrayView root = entry(0);
        quint64 rootSize = u64At(root, 120);
        if (m_majorVersion < 4)
            rootSize &= 0xFFFFFFFF;
        rootSize = std::min<quint64>(rootSize, quint64(m_file.size()));
        const qsizetype sectorSize = qsizetype(1) << m_sectorShift;
        bool rootBroken = false;
        rootChain = chain(u32At(root, 116), qsizetype((rootSize + sectorSize - 1) >> m_sectorShift),
                          &rootBroken);
        const qsizetype miniCount = qsizetype(rootChain.size()) << (m_sectorShift - m_miniShift);
        // The mini allocation table: only its entries for pieces that exist are needed.
        const qsizetype perSector = sectorSize / 4;
        bool fatBroken = false;
        const std::vector<quint32> tableSectors =
            chain(m_firstMiniFat, (miniCount + perSector - 1) / perSector, &fatBroken);
        std::vector<quint32> miniFat(
            size_t(std::min<qsizetype>(qsizetype(tableSectors.size()) * perSector, miniCount)),
            kFreeSector);
        for (size_t f = 0; f < tableSectors.size(); ++f) {
            const QByteArrayView s = sector(tableSectors[f]);
            const qsizetype first = qsizetype(f) * perSector;
            const qsizetype count =
                std::min<qsizetype>(s.size() / 4, qsizetype(miniFat.size()) - first);
            for (qsizetype j = 0; j < count; ++j)
                miniFat[size_t(first + j)] = u32At(s, 4 * j);
        }
        if (rootBroken || fatBroken)
            out.complete = false;
        quint32 id = start;
        std::vector<bool> seen(miniFat.size());
        while (id != kEndOfChain && qsizetype(ids.size()) < needed) {
            if (id >= miniFat.size() || seen[id]) {
                broken = true;
                break;
            }
            seen[id] = true;
            ids.push_back(id);
            id = miniFat[id];
        }
    }

    LargeBuffer gathered(std::min<qint64>(wanted, qint64(ids.size()) * unit));
    for (const quint32 id : ids) {
        QByteArrayView piece;
        if (!mini) {
            piece = sector(id);
        } else {
            const qint64 at = qint64(id) << m_miniShift;
            const qint64 inSector = at & ((qint64(1) << m_sectorShift) - 1);
            const size_t which = size_t(at >> m_sectorShift);
            if (which < rootChain.size()) {
                const QByteArrayView s = sector(rootChain[which]);
                if (s.size() > inSector)
                    piece = s.sliced(inSector, std::min<qint64>(unit, s.size() - inSector));
            }
        }
        const qsizetype take = std::min<qsizetype>(piece.size(), wanted - gathered.size());
        const qsizetype at = gathered.size();
        if (take <= 0 || !gathered.resize(at + take))
            break;
        std::memcpy(gathered.data() + at, piece.data(), size_t(take));
        if (piece.size() < unit && gathered.size() < wanted)
            break; // the file ends inside this unit
    }
    if (gathered.size() < wanted || broken)
        out.complete = false;
    out.bytes = gathered.view();
    m_gathered.push_back(std::move(gathered));
    return out;
}
