#pragma once
// The binary archive every saved document is written in: little-endian scalars,
// length-prefixed strings, counts, and object references that number classes
// and objects once per archive so a repeated object is written only once.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane {

class ArchiveReader;
class ArchiveWriter;
class ArchiveObject;

// How an object type is named in an archive. `schema` is the layout version of
// its fields; an archive naming another schema is not loaded.
struct ArchiveClass {
    std::string name;
    uint16_t schema = 0;
    std::function<std::unique_ptr<ArchiveObject>()> create;
};

class ArchiveObject {
public:
    virtual ~ArchiveObject();
    virtual const ArchiveClass& archiveClass() const = 0;
    virtual void save(ArchiveWriter& out) const = 0;
    // Reads the fields; a failure shows as the reader's status.
    virtual void load(ArchiveReader& in) = 0;
};

// The classes a reader may create, by name.
class ArchiveClassRegistry {
public:
    // False (and the registry unchanged) when the name is already present.
    bool add(ArchiveClass cls);
    const ArchiveClass* find(std::string_view name) const;

private:
    std::map<std::string, ArchiveClass, std::less<>> m_classes;
};

class ArchiveWriter {
public:
    void writeInt8(int8_t v) { writeUInt8(static_cast<uint8_t>(v)); }
    void writeUInt8(uint8_t v) { m_bytes.push_back(v); }
    void writeInt16(int16_t v) { writeUInt16(static_cast<uint16_t>(v)); }
    void writeUInt16(uint16_t v);
    void writeInt32(int32_t v) { writeUInt32(static_cast<uint32_t>(v)); }
    void writeUInt32(uint32_t v);
    void writeFloat32(float v);
    void writeFloat64(double v);

    // A fixed-size block, as is, with no length.
    void writeBlock(const void* data, std::size_t size);

    // Length prefix then the bytes: below 255 one byte; up to 65533 0xFF and a
    // uint16; longer 0xFF, uint16 0xFFFF and a uint32.
    void writeString(std::string_view s);

    // uint16 below 0xFFFF, else 0xFFFF and a uint32.
    void writeCount(uint32_t n);
    void writeStringArray(const std::vector<std::string>& strings);

    // A reference: none, a first object (with its class description the first
    // time the class appears), or a back reference to an object already written.
    // The object's fields follow its first reference.
    void writeObject(const ArchiveObject* obj);
    void writeObjectList(const std::vector<const ArchiveObject*>& objects);

    const std::vector<uint8_t>& bytes() const { return m_bytes; }
    // Hands over the bytes and starts a new, empty archive (numbering included).
    std::vector<uint8_t> take();

private:
    void writeIndex(uint32_t index, uint32_t classFlag);

    std::vector<uint8_t> m_bytes;
    std::unordered_map<std::string, uint32_t> m_classIndex;
    std::unordered_map<const ArchiveObject*, uint32_t> m_objectIndex;
    uint32_t m_nextIndex = 1;
};

enum class ArchiveStatus {
    Ok,
    BadFormat, // past the end, bad index, unknown class, wrong schema, or marked by a loader
};

// Reads an archive from bytes it does not own. The first failure is sticky:
// every later read returns 0 / empty and leaves the position where it failed.
class ArchiveReader {
public:
    explicit ArchiveReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    int8_t readInt8() { return static_cast<int8_t>(readUInt8()); }
    uint8_t readUInt8();
    int16_t readInt16() { return static_cast<int16_t>(readUInt16()); }
    uint16_t readUInt16();
    int32_t readInt32() { return static_cast<int32_t>(readUInt32()); }
    uint32_t readUInt32();
    float readFloat32();
    double readFloat64();

    // Fills `data`; on failure it is zeroed.
    bool readBlock(void* data, std::size_t size);
    bool skip(std::size_t size);

    // Accepts the single-byte form and the UTF-16 form (see archive.cpp for how
    // wide characters are narrowed).
    std::string readString();
    uint32_t readCount();
    std::vector<std::string> readStringArray();

    // None gives nullptr with the status still Ok; a repeated reference gives
    // the same pointer as the first. `registry` must outlive the reader, as
    // classes already read are remembered by address.
    std::shared_ptr<ArchiveObject> readObject(const ArchiveClassRegistry& registry);
    std::vector<std::shared_ptr<ArchiveObject>> readObjectList(const ArchiveClassRegistry& registry);

    // Lets a loader reject content it finds wrong (a bad file type id, say).
    void fail() { m_status = ArchiveStatus::BadFormat; }

    ArchiveStatus status() const { return m_status; }
    bool ok() const { return m_status == ArchiveStatus::Ok; }
    std::size_t position() const { return m_pos; }
    std::size_t remaining() const { return m_bytes.size() - m_pos; }
    bool atEnd() const { return m_pos == m_bytes.size(); }

private:
    bool need(std::size_t size);
    uint32_t readStringLength(bool& wide);
    const ArchiveClass* readClassDescription(const ArchiveClassRegistry& registry);

    struct Entry {
        const ArchiveClass* cls = nullptr;
        std::shared_ptr<ArchiveObject> object;
    };

    std::span<const uint8_t> m_bytes;
    std::size_t m_pos = 0;
    ArchiveStatus m_status = ArchiveStatus::Ok;
    std::vector<Entry> m_table{Entry{}}; // index 0 is "none"
    int m_depth = 0;
};

} // namespace corvane
