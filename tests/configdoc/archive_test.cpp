#include "configdoc/archive.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes raw(std::string_view s)
{
    return {s.begin(), s.end()};
}

Bytes u32(uint32_t v)
{
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

Bytes repeat(const Bytes& unit, std::size_t times)
{
    Bytes out;
    for (std::size_t i = 0; i < times; ++i)
        out.insert(out.end(), unit.begin(), unit.end());
    return out;
}

// ---------------------------------------------------------------------------
// Scalars, blocks, failure behaviour

TEST(ArchiveScalars, LittleEndianLayoutAndRoundTrip)
{
    ArchiveWriter w;
    w.writeInt8(-2);
    w.writeUInt8(0xAB);
    w.writeInt16(-2);
    w.writeUInt16(0x1234);
    w.writeInt32(-2);
    w.writeUInt32(0x12345678);
    w.writeFloat32(1.0f);
    w.writeFloat64(-2.5);
    w.writeBlock("xyz", 3);

    const Bytes expected = Bytes{0xFE, 0xAB, 0xFE, 0xFF, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF,
                                 0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x80, 0x3F,
                                 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0}
                           + raw("xyz");
    ASSERT_EQ(w.bytes(), expected);

    ArchiveReader r(w.bytes());
    EXPECT_EQ(r.readInt8(), -2);
    EXPECT_EQ(r.readUInt8(), 0xAB);
    EXPECT_EQ(r.readInt16(), -2);
    EXPECT_EQ(r.readUInt16(), 0x1234);
    EXPECT_EQ(r.readInt32(), -2);
    EXPECT_EQ(r.readUInt32(), 0x12345678u);
    EXPECT_EQ(r.readFloat32(), 1.0f);
    EXPECT_EQ(r.readFloat64(), -2.5);
    char block[3];
    EXPECT_TRUE(r.readBlock(block, 3));
    EXPECT_EQ(std::string_view(block, 3), "xyz");
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.atEnd());
}

// Each read given one byte less than it needs fails without consuming anything.
TEST(ArchiveReader, ReadPastEndIsBadFormatAndSticky)
{
    struct Case {
        const char* name;
        Bytes input;
        std::function<bool(ArchiveReader&)> readGivesZero;
    };
    const Case cases[] = {
        {"uint8", {}, [](ArchiveReader& r) { return r.readUInt8() == 0; }},
        {"int16", {0x11}, [](ArchiveReader& r) { return r.readInt16() == 0; }},
        {"uint32", {0x11, 0x11, 0x11}, [](ArchiveReader& r) { return r.readUInt32() == 0; }},
        {"float32", {0x11, 0x11, 0x11}, [](ArchiveReader& r) { return r.readFloat32() == 0; }},
        {"float64", Bytes(7, 0x11), [](ArchiveReader& r) { return r.readFloat64() == 0; }},
        {"count long form", {0xFF, 0xFF, 1, 0, 0}, [](ArchiveReader& r) { return r.readCount() == 0; }},
        {"string body", {3, 'a', 'b'}, [](ArchiveReader& r) { return r.readString().empty(); }},
        {"string prefix", {0xFF, 0x01}, [](ArchiveReader& r) { return r.readString().empty(); }},
        {"skip", Bytes(4, 0x11), [](ArchiveReader& r) { return !r.skip(5); }},
        {"block",
         Bytes(4, 0x11),
         [](ArchiveReader& r) {
             uint8_t block[5] = {9, 9, 9, 9, 9};
             return !r.readBlock(block, 5) && Bytes(block, block + 5) == Bytes(5, 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes input = Bytes{0x42} + c.input;
        ArchiveReader r(input);
        ASSERT_EQ(r.readUInt8(), 0x42);
        EXPECT_TRUE(c.readGivesZero(r));
        EXPECT_EQ(r.status(), ArchiveStatus::BadFormat);
        EXPECT_FALSE(r.ok());

        // Sticky: nothing more is read, even what is there.
        const std::size_t pos = r.position();
        if (r.remaining() > 0) {
            EXPECT_EQ(r.readUInt8(), 0);
        }
        EXPECT_EQ(r.position(), pos);
        EXPECT_EQ(r.status(), ArchiveStatus::BadFormat);
    }
}

// ---------------------------------------------------------------------------
// Strings, counts, string arrays

TEST(ArchiveString, PrefixFormsRoundTrip)
{
    struct Case {
        std::size_t length;
        Bytes prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}}, // 0xFFFE is the UTF-16 mark
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string text(c.length, '\0');
        for (std::size_t i = 0; i < c.length; ++i)
            text[i] = static_cast<char>(i * 7); // every byte value, zero included

        ArchiveWriter w;
        w.writeString(text);
        w.writeUInt8(0x5A);
        const Bytes& out = w.bytes();
        ASSERT_EQ(out.size(), c.prefix.size() + c.length + 1);
        EXPECT_EQ(Bytes(out.begin(), out.begin() + c.prefix.size()), c.prefix);

        ArchiveReader r(out);
        EXPECT_EQ(r.readString(), text);
        EXPECT_EQ(r.readUInt8(), 0x5A);
        EXPECT_TRUE(r.ok());
        EXPECT_TRUE(r.atEnd());
    }
}

TEST(ArchiveString, ReadsUtf16Form)
{
    const Bytes mark = {0xFF, 0xFE, 0xFF};
    struct Case {
        const char* name;
        Bytes input;
        std::string expected;
    };
    const Case cases[] = {
        {"empty", mark + Bytes{0x00}, ""},
        {"latin-1 kept, others '?'",
         mark + Bytes{0x04, 'A', 0, 0xE9, 0, 0xA9, 0x03, 0x00, 0x01}, "A\xE9??"},
        {"surrogate pair is one character",
         mark + Bytes{0x04, 'x', 0, 0x3D, 0xD8, 0x00, 0xDE, 'y', 0}, "x?y"},
        {"lone surrogate", mark + Bytes{0x01, 0x3D, 0xD8}, "?"},
        {"uint16 length", mark + Bytes{0xFF, 0x2C, 0x01} + repeat({'b', 0}, 300),
         std::string(300, 'b')},
        {"uint32 length", mark + Bytes{0xFF, 0xFF, 0xFF} + u32(70000) + repeat({'c', 0}, 70000),
         std::string(70000, 'c')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes input = c.input + Bytes{0x5A};
        ArchiveReader r(input);
        EXPECT_EQ(r.readString(), c.expected);
        EXPECT_EQ(r.readUInt8(), 0x5A); // two bytes were consumed per character
        EXPECT_TRUE(r.ok());
    }
}

TEST(ArchiveCount, Boundaries)
{
    struct Case {
        uint32_t count;
        Bytes bytes;
    };
    const Case cases[] = {
        {0, {0x00, 0x00}},
        {0xFFFE, {0xFE, 0xFF}},
        {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {0x12345678, {0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        ArchiveWriter w;
        w.writeCount(c.count);
        EXPECT_EQ(w.bytes(), c.bytes);
        ArchiveReader r(c.bytes);
        EXPECT_EQ(r.readCount(), c.count);
        EXPECT_TRUE(r.ok());
        EXPECT_TRUE(r.atEnd());
    }
}

TEST(ArchiveStringArray, CountThenStrings)
{
    const std::vector<std::string> strings = {"a", "", std::string(300, 'x')};
    ArchiveWriter w;
    w.writeStringArray(strings);
    const Bytes expected = Bytes{0x03, 0x00, 0x01, 'a', 0x00, 0xFF, 0x2C, 0x01}
                           + Bytes(300, 'x');
    EXPECT_EQ(w.bytes(), expected);

    ArchiveReader r(w.bytes());
    EXPECT_EQ(r.readStringArray(), strings);
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.atEnd());
}

// Lengths and counts far beyond the input must fail before anything is allocated.
TEST(ArchiveReader, HostileLengthsAreBadFormat)
{
    struct Case {
        const char* name;
        Bytes input;
        std::function<void(ArchiveReader&)> read;
    };
    auto string = [](ArchiveReader& r) { EXPECT_TRUE(r.readString().empty()); };
    auto array = [](ArchiveReader& r) { EXPECT_TRUE(r.readStringArray().empty()); };
    auto list = [](ArchiveReader& r) { EXPECT_TRUE(r.readObjectList(ArchiveClassRegistry{}).empty()); };
    const Case cases[] = {
        {"string 4 GiB", Bytes{0xFF, 0xFF, 0xFF} + u32(0xFFFFFFFF) + raw("abc"), string},
        {"utf-16 string 2^31 characters", Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF} + u32(0x80000000) + Bytes(8, 0), string},
        {"utf-16 odd byte short", Bytes{0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'}, string},
        {"utf-16 mark twice", Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x00}, string},
        {"string array 2^32-1", Bytes{0xFF, 0xFF} + u32(0xFFFFFFFF) + Bytes(8, 0), array},
        {"string array one short", Bytes{0x03, 0x00, 0x00, 0x00}, array},
        {"object list 2^32-1", Bytes{0xFF, 0xFF} + u32(0xFFFFFFFF) + Bytes(8, 0), list},
        {"object list one short", Bytes{0x03, 0x00, 0x00, 0x00, 0x00, 0x00}, list},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ArchiveReader r(c.input);
        c.read(r);
        EXPECT_EQ(r.status(), ArchiveStatus::BadFormat);
    }
}

// ---------------------------------------------------------------------------
// Object references

const ArchiveClassRegistry& testRegistry();

struct Point : ArchiveObject {
    int32_t x = 0, y = 0;
    Point() = default;
    Point(int32_t x, int32_t y) : x(x), y(y) {}
    static const ArchiveClass& cls()
    {
        static const ArchiveClass c{"Point", 1, [] { return std::make_unique<Point>(); }};
        return c;
    }
    const ArchiveClass& archiveClass() const override { return cls(); }
    void save(ArchiveWriter& w) const override
    {
        w.writeInt32(x);
        w.writeInt32(y);
    }
    void load(ArchiveReader& r) override
    {
        x = r.readInt32();
        y = r.readInt32();
    }
};

struct Label : ArchiveObject {
    std::string text;
    Label() = default;
    explicit Label(std::string t) : text(std::move(t)) {}
    static const ArchiveClass& cls()
    {
        static const ArchiveClass c{"Label", 2, [] { return std::make_unique<Label>(); }};
        return c;
    }
    const ArchiveClass& archiveClass() const override { return cls(); }
    void save(ArchiveWriter& w) const override { w.writeString(text); }
    void load(ArchiveReader& r) override { text = r.readString(); }
};

// Holds another object, so its fields contain a reference.
struct Node : ArchiveObject {
    std::shared_ptr<ArchiveObject> child;
    static const ArchiveClass& cls()
    {
        static const ArchiveClass c{"Node", 1, [] { return std::make_unique<Node>(); }};
        return c;
    }
    const ArchiveClass& archiveClass() const override { return cls(); }
    void save(ArchiveWriter& w) const override { w.writeObject(child.get()); }
    void load(ArchiveReader& r) override { child = r.readObject(testRegistry()); }
};

struct Tick : ArchiveObject {
    static const ArchiveClass& cls()
    {
        static const ArchiveClass c{"Tick", 1, [] { return std::make_unique<Tick>(); }};
        return c;
    }
    const ArchiveClass& archiveClass() const override { return cls(); }
    void save(ArchiveWriter&) const override {}
    void load(ArchiveReader&) override {}
};

const ArchiveClassRegistry& testRegistry()
{
    static const ArchiveClassRegistry registry = [] {
        ArchiveClassRegistry reg;
        reg.add(Point::cls());
        reg.add(Label::cls());
        reg.add(Node::cls());
        reg.add(Tick::cls());
        return reg;
    }();
    return registry;
}

template <typename T>
const T& as(const std::shared_ptr<ArchiveObject>& obj)
{
    const T* p = dynamic_cast<const T*>(obj.get());
    EXPECT_NE(p, nullptr);
    static const T empty{};
    return p ? *p : empty;
}

// Point: class 1, p1 2. Label: class 3, l1 4. p2 5 and l2 6 reuse their classes.
const Bytes kPointHead = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00} + raw("Point");
const Bytes kTwoClassList = Bytes{0x06, 0x00}
                            + kPointHead + u32(1) + u32(0xFFFFFFFF)
                            + Bytes{0xFF, 0xFF, 0x02, 0x00, 0x05, 0x00} + raw("Label")
                            + Bytes{0x02, 'h', 'i'}
                            + Bytes{0x01, 0x80} + u32(3) + u32(4)
                            + Bytes{0x03, 0x80, 0x00}
                            + Bytes{0x02, 0x00}
                            + Bytes{0x00, 0x00};

TEST(ArchiveObjects, TwoClassListExactBytes)
{
    const Point p1(1, -1), p2(3, 4);
    const Label l1("hi"), l2("");
    ArchiveWriter w;
    w.writeObjectList({&p1, &l1, &p2, &l2, &p1, nullptr});
    EXPECT_EQ(w.bytes(), kTwoClassList);
}

TEST(ArchiveObjects, TwoClassListReadBack)
{
    ArchiveReader r(kTwoClassList);
    const auto list = r.readObjectList(testRegistry());
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.atEnd());
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(as<Point>(list[0]).x, 1);
    EXPECT_EQ(as<Point>(list[0]).y, -1);
    EXPECT_EQ(as<Label>(list[1]).text, "hi");
    EXPECT_EQ(as<Point>(list[2]).x, 3);
    EXPECT_EQ(as<Point>(list[2]).y, 4);
    EXPECT_EQ(as<Label>(list[3]).text, "");
    EXPECT_EQ(list[4], list[0]); // a repeated reference is the same object
    EXPECT_NE(list[2], list[0]);
    EXPECT_EQ(list[5], nullptr);
}

// An object is numbered before its fields, so an object it holds comes after it.
TEST(ArchiveObjects, NestedObjectsNumberedInOrderOfStart)
{
    auto b = std::make_shared<Node>();
    Node a;
    a.child = b;
    ArchiveWriter w;
    w.writeObjectList({&a, b.get(), &a});
    const Bytes expected = Bytes{0x03, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x04, 0x00} + raw("Node")
                           + Bytes{0x01, 0x80}  // b, inside a (Node 1, a 2, b 3)
                           + Bytes{0x00, 0x00}  // b's child: none
                           + Bytes{0x03, 0x00}  // b again
                           + Bytes{0x02, 0x00}; // a again
    ASSERT_EQ(w.bytes(), expected);

    ArchiveReader r(expected);
    const auto list = r.readObjectList(testRegistry());
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(as<Node>(list[0]).child, list[1]);
    EXPECT_EQ(as<Node>(list[1]).child, nullptr);
    EXPECT_EQ(list[2], list[0]);
}

TEST(ArchiveObjects, TakeStartsNewNumbering)
{
    const Point p(0, 0);
    ArchiveWriter w;
    w.writeObject(&p);
    const Bytes first = w.take();
    EXPECT_TRUE(w.bytes().empty());
    w.writeObject(&p);
    EXPECT_EQ(w.bytes(), first); // class described again, not a back reference
}

// After `ticks` Tick objects (class 1, objects 2..ticks+1) come the Point class,
// p, q (a Point by class reference) and p again, each with an index near 0x7FFF.
TEST(ArchiveObjects, LargeIndexForms)
{
    struct Case {
        uint32_t ticks;
        Bytes classRef; // q's tag
        Bytes objectRef; // p repeated
    };
    const Case cases[] = {
        // Point class 0x7FFD, p 0x7FFE
        {0x7FFB, {0xFD, 0xFF}, {0xFE, 0x7F}},
        // Point class 0x7FFE, p 0x7FFF
        {0x7FFC, {0xFE, 0xFF}, {0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00}},
        // Point class 0x7FFF, p 0x8000
        {0x7FFD, {0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x80}, {0xFF, 0x7F, 0x00, 0x80, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ticks);
        const std::vector<Tick> ticks(c.ticks);
        const Point p(5, 6), q(7, 8);
        ArchiveWriter w;
        for (const Tick& t : ticks)
            w.writeObject(&t);
        w.writeObject(&p);
        const std::size_t tail = w.bytes().size();
        w.writeObject(&q);
        w.writeObject(&p);
        const Bytes expectedTail = c.classRef + u32(7) + u32(8) + c.objectRef;
        EXPECT_EQ(Bytes(w.bytes().begin() + tail, w.bytes().end()), expectedTail);

        ArchiveReader r(w.bytes());
        for (uint32_t i = 0; i < c.ticks; ++i)
            r.readObject(testRegistry());
        const auto p1 = r.readObject(testRegistry());
        const auto q1 = r.readObject(testRegistry());
        const auto p2 = r.readObject(testRegistry());
        ASSERT_TRUE(r.ok());
        EXPECT_TRUE(r.atEnd());
        EXPECT_EQ(as<Point>(p1).x, 5);
        EXPECT_EQ(as<Point>(q1).y, 8);
        EXPECT_EQ(p2, p1);
    }
}

TEST(ArchiveObjects, BadReferencesAreBadFormat)
{
    const Bytes p1 = kPointHead + u32(1) + u32(2); // Point class 1, object 2
    struct Case {
        const char* name;
        Bytes input;
    };
    const Case cases[] = {
        {"unknown class", Bytes{0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x03, 0x00} + raw("Foo")},
        {"wrong schema",
         Bytes{0x01, 0x00, 0xFF, 0xFF, 0x07, 0x00, 0x05, 0x00} + raw("Point") + u32(1) + u32(2)},
        {"object index names nothing", Bytes{0x01, 0x00, 0x05, 0x00}},
        {"object index names a class", Bytes{0x02, 0x00} + p1 + Bytes{0x01, 0x00}},
        {"class index names an object", Bytes{0x02, 0x00} + p1 + Bytes{0x02, 0x80} + u32(1) + u32(2)},
        {"class index names nothing", Bytes{0x01, 0x00, 0x09, 0x80}},
        {"class index 0", Bytes{0x01, 0x00, 0x00, 0x80}},
        {"long class index names nothing", Bytes{0x01, 0x00, 0xFF, 0x7F} + u32(0x80001000)},
        {"long object index names nothing", Bytes{0x01, 0x00, 0xFF, 0x7F} + u32(0x1000)},
        {"long object index names a class", Bytes{0x02, 0x00} + p1 + Bytes{0xFF, 0x7F} + u32(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ArchiveReader r(c.input);
        EXPECT_TRUE(r.readObjectList(testRegistry()).empty());
        EXPECT_EQ(r.status(), ArchiveStatus::BadFormat);
    }
}

TEST(ArchiveObjects, EveryTruncationIsBadFormat)
{
    for (std::size_t n = 0; n < kTwoClassList.size(); ++n) {
        ArchiveReader r(std::span<const uint8_t>(kTwoClassList).first(n));
        EXPECT_TRUE(r.readObjectList(testRegistry()).empty()) << n;
        EXPECT_EQ(r.status(), ArchiveStatus::BadFormat) << n;
    }
}

TEST(ArchiveObjects, DeepNestingFailsCleanly)
{
    // Node inside Node, a hundred thousand deep.
    const Bytes input = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x04, 0x00} + raw("Node")
                        + repeat({0x01, 0x80}, 100000) + Bytes{0x00, 0x00};
    ArchiveReader r(input);
    EXPECT_EQ(r.readObject(testRegistry()), nullptr);
    EXPECT_EQ(r.status(), ArchiveStatus::BadFormat);
}

} // namespace
} // namespace corvane
