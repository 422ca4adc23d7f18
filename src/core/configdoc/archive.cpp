#include "configdoc/archive.h"

#include <bit>
#include <cstring>

namespace corvane {

namespace {

constexpr uint16_t kNoneTag = 0x0000;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kLongIndexTag = 0x7FFF;
constexpr uint32_t kLongClassFlag = 0x80000000u;

constexpr uint8_t kShortLengthEscape = 0xFF;
constexpr uint16_t kWideMark = 0xFFFE;
constexpr uint16_t kLongLengthEscape = 0xFFFF;

// Objects may hold objects; this bounds the recursion a hostile file can cause.
constexpr int kMaxObjectDepth = 256;

} // namespace

ArchiveObject::~ArchiveObject() = default;

bool ArchiveClassRegistry::add(ArchiveClass cls)
{
    std::string name = cls.name;
    return m_classes.emplace(std::move(name), std::move(cls)).second;
}

const ArchiveClass* ArchiveClassRegistry::find(std::string_view name) const
{
    auto it = m_classes.find(name);
    return it == m_classes.end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------------------

void ArchiveWriter::writeUInt16(uint16_t v)
{
    m_bytes.push_back(static_cast<uint8_t>(v));
    m_bytes.push_back(static_cast<uint8_t>(v >> 8));
}

void ArchiveWriter::writeUInt32(uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        m_bytes.push_back(static_cast<uint8_t>(v >> shift));
}

void ArchiveWriter::writeFloat32(float v)
{
    writeUInt32(std::bit_cast<uint32_t>(v));
}

void ArchiveWriter::writeFloat64(double v)
{
    const auto bits = std::bit_cast<uint64_t>(v);
    writeUInt32(static_cast<uint32_t>(bits));
    writeUInt32(static_cast<uint32_t>(bits >> 32));
}

void ArchiveWriter::writeBlock(const void* data, std::size_t size)
{
    const auto* p = static_cast<const uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), p, p + size);
}

void ArchiveWriter::writeString(std::string_view s)
{
    // Documents never hold a string near 4 GiB; longer ones are not representable.
    const auto n = static_cast<uint32_t>(s.size());
    if (n < kShortLengthEscape) {
        writeUInt8(static_cast<uint8_t>(n));
    } else {
        writeUInt8(kShortLengthEscape);
        if (n < kWideMark) {
            writeUInt16(static_cast<uint16_t>(n));
        } else {
            writeUInt16(kLongLengthEscape);
            writeUInt32(n);
        }
    }
    writeBlock(s.data(), n);
}

void ArchiveWriter::writeCount(uint32_t n)
{
    if (n < 0xFFFF) {
        writeUInt16(static_cast<uint16_t>(n));
    } else {
        writeUInt16(0xFFFF);
        writeUInt32(n);
    }
}

void ArchiveWriter::writeStringArray(const std::vector<std::string>& strings)
{
    writeCount(static_cast<uint32_t>(strings.size()));
    for (const std::string& s : strings)
        writeString(s);
}

// Short form when the tagged index fits beside the tag bit, else the long-index
// escape and the full uint32.
void ArchiveWriter::writeIndex(uint32_t index, uint32_t classFlag)
{
    if (index < kLongIndexTag) {
        writeUInt16(static_cast<uint16_t>(index | (classFlag ? kClassTag : 0)));
    } else {
        writeUInt16(kLongIndexTag);
        writeUInt32(classFlag | index);
    }
}

void ArchiveWriter::writeObject(const ArchiveObject* obj)
{
    if (!obj) {
        writeUInt16(kNoneTag);
        return;
    }
    if (auto it = m_objectIndex.find(obj); it != m_objectIndex.end()) {
        writeIndex(it->second, 0);
        return;
    }

    const ArchiveClass& cls = obj->archiveClass();
    if (auto it = m_classIndex.find(cls.name); it != m_classIndex.end()) {
        writeIndex(it->second, kLongClassFlag);
    } else {
        writeUInt16(kNewClassTag);
        writeUInt16(cls.schema);
        writeUInt16(static_cast<uint16_t>(cls.name.size()));
        writeBlock(cls.name.data(), cls.name.size());
        m_classIndex.emplace(cls.name, m_nextIndex++);
    }
    // Numbered before its fields, so objects it holds come after it.
    m_objectIndex.emplace(obj, m_nextIndex++);
    obj->save(*this);
}

void ArchiveWriter::writeObjectList(const std::vector<const ArchiveObject*>& objects)
{
    writeCount(static_cast<uint32_t>(objects.size()));
    for (const ArchiveObject* obj : objects)
        writeObject(obj);
}

std::vector<uint8_t> ArchiveWriter::take()
{
    std::vector<uint8_t> out = std::move(m_bytes);
    m_bytes.clear();
    m_classIndex.clear();
    m_objectIndex.clear();
    m_nextIndex = 1;
    return out;
}

// ---------------------------------------------------------------------------

bool ArchiveReader::need(std::size_t size)
{
    if (!ok())
        return false;
    if (remaining() < size) {
        fail();
        return false;
    }
    return true;
}

uint8_t ArchiveReader::readUInt8()
{
    if (!need(1))
        return 0;
    return m_bytes[m_pos++];
}

uint16_t ArchiveReader::readUInt16()
{
    if (!need(2))
        return 0;
    const uint16_t v = uint16_t(m_bytes[m_pos] | m_bytes[m_pos + 1] << 8);
    m_pos += 2;
    return v;
}

uint32_t ArchiveReader::readUInt32()
{
    if (!need(4))
        return 0;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | m_bytes[m_pos + i];
    m_pos += 4;
    return v;
}

float ArchiveReader::readFloat32()
{
    return std::bit_cast<float>(readUInt32());
}

double ArchiveReader::readFloat64()
{
    if (!need(8))
        return 0.0;
    const uint64_t lo = readUInt32();
    const uint64_t hi = readUInt32();
    return std::bit_cast<double>(hi << 32 | lo);
}

bool ArchiveReader::readBlock(void* data, std::size_t size)
{
    if (!need(size)) {
        if (size)
            std::memset(data, 0, size);
        return false;
    }
    if (size)
        std::memcpy(data, m_bytes.data() + m_pos, size);
    m_pos += size;
    return true;
}

bool ArchiveReader::skip(std::size_t size)
{
    if (!need(size))
        return false;
    m_pos += size;
    return true;
}

// A length prefix; the wide mark (0xFF, 0xFFFE) may come once, in front of
// a second prefix that then counts UTF-16 characters.
uint32_t ArchiveReader::readStringLength(bool& wide)
{
    const uint8_t b = readUInt8();
    if (b < kShortLengthEscape)
        return b;
    const uint16_t w = readUInt16();
    if (w < kWideMark)
        return w;
    if (w == kLongLengthEscape)
        return readUInt32();
    if (wide) {
        fail();
        return 0;
    }
    wide = true;
    return readStringLength(wide);
}

std::string ArchiveReader::readString()
{
    bool wide = false;
    const uint32_t length = readStringLength(wide);
    if (!ok())
        return {};
    const uint64_t size = uint64_t(length) * (wide ? 2 : 1);
    if (size > remaining()) {
        fail();
        return {};
    }

    const uint8_t* p = m_bytes.data() + m_pos;
    m_pos += size;
    if (!wide)
        return std::string(reinterpret_cast<const char*>(p), length);

    // Narrowing UTF-16 to the single-byte code page: a character below 256 keeps
    // its low byte (Latin-1 positions); any other character, a surrogate pair
    // counting as one, becomes '?'. The tool never writes this form.
    std::string out;
    out.reserve(length);
    for (uint32_t i = 0; i < length; ++i) {
        const uint16_t c = uint16_t(p[2 * i] | p[2 * i + 1] << 8);
        if (c < 0x100) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < length) {
            const uint16_t next = uint16_t(p[2 * i + 2] | p[2 * i + 3] << 8);
            if (next >= 0xDC00 && next < 0xE000)
                ++i;
        }
        out.push_back('?');
    }
    return out;
}

uint32_t ArchiveReader::readCount()
{
    const uint16_t n = readUInt16();
    return n == 0xFFFF ? readUInt32() : n;
}

std::vector<std::string> ArchiveReader::readStringArray()
{
    const uint32_t n = readCount();
    if (!ok())
        return {};
    if (n > remaining()) { // every string takes at least its one-byte prefix
        fail();
        return {};
    }
    std::vector<std::string> out;
    out.reserve(n);
    for (uint32_t i = 0; i < n && ok(); ++i)
        out.push_back(readString());
    if (!ok())
        return {};
    return out;
}

const ArchiveClass* ArchiveReader::readClassDescription(const ArchiveClassRegistry& registry)
{
    const uint16_t schema = readUInt16();
    const uint16_t nameLength = readUInt16();
    if (!need(nameLength))
        return nullptr;
    const std::string_view name(reinterpret_cast<const char*>(m_bytes.data() + m_pos), nameLength);
    m_pos += nameLength;

    const ArchiveClass* cls = registry.find(name);
    if (!cls || cls->schema != schema) {
        fail();
        return nullptr;
    }
    m_table.push_back(Entry{cls, nullptr});
    return cls;
}

std::shared_ptr<ArchiveObject> ArchiveReader::readObject(const ArchiveClassRegistry& registry)
{
    const uint16_t tag = readUInt16();
    if (!ok() || tag == kNoneTag)
        return nullptr;

    const ArchiveClass* cls = nullptr;
    if (tag == kNewClassTag) {
        cls = readClassDescription(registry);
        if (!cls)
            return nullptr;
    } else {
        bool isClass = false;
        uint32_t index = 0;
        if (tag == kLongIndexTag) {
            const uint32_t v = readUInt32();
            if (!ok())
                return nullptr;
            isClass = (v & kLongClassFlag) != 0;
            index = v & ~kLongClassFlag;
        } else {
            isClass = (tag & kClassTag) != 0;
            index = tag & ~kClassTag;
        }
        const Entry* entry = index > 0 && index < m_table.size() ? &m_table[index] : nullptr;
        if (!entry || (isClass ? !entry->cls : !entry->object)) {
            fail();
            return nullptr;
        }
        if (!isClass)
            return entry->object;
        cls = entry->cls;
    }

    if (m_depth >= kMaxObjectDepth || !cls->create) {
        fail();
        return nullptr;
    }
    std::shared_ptr<ArchiveObject> obj = cls->create();
    if (!obj) {
        fail();
        return nullptr;
    }
    // Numbered before its fields are read, as the writer does.
    m_table.push_back(Entry{nullptr, obj});
    ++m_depth;
    obj->load(*this);
    --m_depth;
    return ok() ? obj : nullptr;
}

std::vector<std::shared_ptr<ArchiveObject>>
ArchiveReader::readObjectList(const ArchiveClassRegistry& registry)
{
    const uint32_t n = readCount();
    if (!ok())
        return {};
    if (n > remaining() / 2) { // every reference takes at least a uint16
        fail();
        return {};
    }
    std::vector<std::shared_ptr<ArchiveObject>> out;
    out.reserve(n);
    for (uint32_t i = 0; i < n && ok(); ++i)
        out.push_back(readObject(registry));
    if (!ok())
        return {};
    return out;
}

} // namespace corvane
