#include "enginelib/base/TFicheroITV.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "enginelib/base/Path.h"
#include "support/TestPaths.h"

namespace {

namespace fs = std::filesystem;

std::vector<unsigned char> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// One typed value of the stream, kept wide enough for every type.
struct Value {
    enum Kind { Char, UChar, Bool, Short, UShort, Int, UInt, ULong, Float, String } kind;
    long long i = 0;
    float f = 0;
    std::string s;
};

Value V(Value::Kind k, long long i) { return Value{k, i, 0.0f, {}}; }
Value F(float f) { return Value{Value::Float, 0, f, {}}; }
Value S(std::string s) { return Value{Value::String, 0, 0.0f, std::move(s)}; }

void Write(TFicheroITV& st, const Value& v) {
    switch (v.kind) {
    case Value::Char: st << char(v.i); break;
    case Value::UChar: st << (unsigned char)(v.i); break;
    case Value::Bool: st << bool(v.i); break;
    case Value::Short: st << short(v.i); break;
    case Value::UShort: st << (unsigned short)(v.i); break;
    case Value::Int: st << int(v.i); break;
    case Value::UInt: st << (unsigned int)(v.i); break;
    case Value::ULong: st << (unsigned long)(v.i); break;
    case Value::Float: st << v.f; break;
    case Value::String: st << DString(v.s.data(), int(v.s.size())); break;
    }
}

// Reads a value of v's kind into a Value of the same kind.
Value Read(TFicheroITV& st, const Value& like) {
    Value out{like.kind, 0, 0.0f, {}};
    switch (like.kind) {
    case Value::Char: { char x = 'z'; st >> x; out.i = x; break; }
    case Value::UChar: { unsigned char x = 9; st >> x; out.i = x; break; }
    case Value::Bool: { bool x = true; st >> x; out.i = x; break; }
    case Value::Short: { short x = 9; st >> x; out.i = x; break; }
    case Value::UShort: { unsigned short x = 9; st >> x; out.i = x; break; }
    case Value::Int: { int x = 9; st >> x; out.i = x; break; }
    case Value::UInt: { unsigned int x = 9; st >> x; out.i = x; break; }
    case Value::ULong: { unsigned long x = 9; st >> x; out.i = (long long)x; break; }
    case Value::Float: { float x = 9; st >> x; out.f = x; break; }
    case Value::String: { DString x("junk"); st >> x; out.s.assign(x.c_str(), size_t(x.Length())); break; }
    }
    return out;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool Equal(const Value& a, const Value& b) {
    if (a.kind != b.kind) return false;
    if (a.kind == Value::Float) return SameBits(a.f, b.f);
    if (a.kind == Value::String) return a.s == b.s;
    return a.i == b.i;
}

bool IsZero(const Value& v) {
    if (v.kind == Value::Float) return SameBits(v.f, 0.0f);
    if (v.kind == Value::String) return v.s.empty();
    return v.i == 0;
}

std::vector<Value> AllValues() {
    std::string binary("a\0b\xff\x80z", 6);
    return {
        V(Value::Char, -128), V(Value::Char, 127), V(Value::Char, '*'),
        V(Value::UChar, 0), V(Value::UChar, 255),
        V(Value::Bool, 1), V(Value::Bool, 0),
        V(Value::Short, SHRT_MIN), V(Value::Short, SHRT_MAX), V(Value::Short, -2),
        V(Value::UShort, 0), V(Value::UShort, 65535),
        V(Value::Int, INT_MIN), V(Value::Int, INT_MAX), V(Value::Int, -1),
        V(Value::UInt, 0), V(Value::UInt, UINT_MAX),
        V(Value::ULong, 0), V(Value::ULong, 0xFFFFFFFFll), V(Value::ULong, 0x12345678),
        F(1.5f), F(-0.0f), F(std::numeric_limits<float>::infinity()),
        F(std::numeric_limits<float>::quiet_NaN()), F(std::numeric_limits<float>::denorm_min()),
        S(""), S("pageMain"), S(binary), S(std::string(70000, 'x')),
        V(Value::Char, '_'),
    };
}

TEST(FicheroITV, EveryTypeRoundTripsThroughFileAndMemory) {
    testpaths::TempDir tmp;
    const std::vector<Value> values = AllValues();
    {
        TFicheroITV out;
        ASSERT_TRUE(out.Abre((tmp / "all.bin").c_str(), ITV_MODO_CREACION));
        for (const Value& v : values) Write(out, v);
        EXPECT_TRUE(out.CierraEx(true));
    }
    TFicheroITV file;
    ASSERT_TRUE(file.Abre((tmp / "all.bin").c_str(), ITV_MODO_LECTURA));
    std::vector<unsigned char> bytes = FileBytes(tmp / "all.bin");
    ASSERT_EQ(file.FileSize(), bytes.size());
    TFicheroITVdatos mem(bytes.data(), ITV_MODO_LECTURA, uint32_t(bytes.size()));

    TFicheroITV* streams[] = {&file, &mem};
    for (TFicheroITV* st : streams) {
        for (size_t k = 0; k < values.size(); ++k) {
            Value got = Read(*st, values[k]);
            EXPECT_TRUE(Equal(got, values[k])) << "value " << k;
        }
        EXPECT_FALSE(st->Error());
        EXPECT_EQ(st->Restantes(), 0u);
        EXPECT_TRUE(st->CierraEx(true));
    }
}

TEST(FicheroITV, ByteLayoutIsPinned) {
    testpaths::TempDir tmp;
    TFicheroITV out;
    ASSERT_TRUE(out.Abre((tmp / "layout.bin").c_str(), "wb"));
    out << 'A' << (unsigned char)0xFE << true << false << short(0x0102) << (unsigned short)0xFFFE << int(0x01020304)
        << int(-2) << 0xA1B2C3D4u << (unsigned long)0xAABBCCDDul << 1.0f << "hi" << "" << DString("\xE9", 1);
    ASSERT_TRUE(out.CierraEx(false));
    const std::vector<unsigned char> expected = {
        0x41, 0xFE, 0x01, 0x00, 0x02, 0x01, 0xFE, 0xFF, 0x04, 0x03, 0x02, 0x01,
        0xFE, 0xFF, 0xFF, 0xFF, 0xD4, 0xC3, 0xB2, 0xA1, 0xDD, 0xCC, 0xBB, 0xAA,
        0x00, 0x00, 0x80, 0x3F, 0x02, 0x00, 0x00, 0x00, 'h', 'i', 0x00, 0x00,
        0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xE9,
    };
    EXPECT_EQ(FileBytes(tmp / "layout.bin"), expected);
}

TEST(FicheroITV, AnyNonZeroByteReadsAsTrue) {
    const unsigned char bytes[] = {0x00, 0x01, 0x7F, 0xFF};
    TFicheroITVdatos mem(bytes, ITV_MODO_LECTURA, sizeof bytes);
    bool b[4];
    mem >> b[0] >> b[1] >> b[2] >> b[3];
    EXPECT_FALSE(b[0]);
    EXPECT_TRUE(b[1] && b[2] && b[3]);
}

// Every prefix of a valid stream: values wholly inside the prefix read back, the
// first value cut short and all after it read as zero, and the stream has failed.
TEST(FicheroITV, TruncatedStreamsFailCleanlyAtEveryCut) {
    testpaths::TempDir tmp;
    std::vector<Value> values = AllValues();
    values.erase(values.end() - 2);  // the 70000-byte string makes the loop slow without adding a case
    std::vector<uint32_t> ends;
    {
        TFicheroITV out;
        ASSERT_TRUE(out.Abre((tmp / "v.bin").c_str(), ITV_MODO_CREACION));
        for (const Value& v : values) {
            Write(out, v);
            ends.push_back(out.Tell());
        }
        ASSERT_TRUE(out.CierraEx(false));
    }
    const std::vector<unsigned char> bytes = FileBytes(tmp / "v.bin");
    ASSERT_EQ(ends.back(), bytes.size());

    for (uint32_t cut = 0; cut < bytes.size(); ++cut) {
        // A copy of exactly cut bytes, so a read past it is a read past the heap block.
        std::vector<unsigned char> prefix(bytes.begin(), bytes.begin() + cut);
        TFicheroITVdatos mem(prefix.data(), ITV_MODO_LECTURA, cut);
        for (size_t k = 0; k < values.size(); ++k) {
            Value got = Read(mem, values[k]);
            if (ends[k] <= cut)
                ASSERT_TRUE(Equal(got, values[k])) << "cut " << cut << " value " << k;
            else
                ASSERT_TRUE(IsZero(got)) << "cut " << cut << " value " << k;
        }
        ASSERT_TRUE(mem.Error()) << "cut " << cut;
        EXPECT_FALSE(mem.CierraEx(false));
    }
}

TEST(FicheroITV, HostileStringLengthsFail) {
    struct Case {
        std::string bytes;
        bool ok;
    } cases[] = {
        {std::string("\xFF\xFF\xFF\xFF" "abc", 7), false},
        {std::string("\xFF\xFF\xFF\x7F" "abc", 7), false},
        {std::string("\x04\x00\x00\x00" "abc", 7), false},  // one byte more than there is
        {std::string("\x03\x00\x00\x00" "abc", 7), true},
        {std::string("\x03\x00\x00", 3), false},
    };
    for (const Case& c : cases) {
        TFicheroITVdatos mem(c.bytes.data(), ITV_MODO_LECTURA, uint32_t(c.bytes.size()));
        DString text("previous");
        int after = 5;
        mem >> text;
        EXPECT_EQ(!mem.Error(), c.ok) << c.bytes.size();
        mem >> after;
        if (c.ok) {
            EXPECT_STREQ(text.c_str(), "abc");
        } else {
            EXPECT_TRUE(text.IsEmpty());
        }
        EXPECT_EQ(after, 0);  // nothing is left, or the stream has failed
    }
}

long PeakRssKb() {
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

// A length word that promises far more than the stream holds must not be taken as
// an allocation size.
TEST(FicheroITV, HostileStringLengthAllocatesNothing) {
    const std::string bytes("\x00\x00\x00\x10" "abc", 7);  // 256 MB promised
    const long before = PeakRssKb();
    TFicheroITVdatos mem(bytes.data(), ITV_MODO_LECTURA, uint32_t(bytes.size()));
    DString text;
    mem >> text;
    EXPECT_TRUE(mem.Error());
    EXPECT_LT(PeakRssKb() - before, 100 * 1024);
}

TEST(FicheroITV, HostileStringLengthInAFileFails) {
    testpaths::TempDir tmp;
    WriteFile(tmp / "bad.bin", std::string("\xF0\xFF\xFF\x0F" "xy", 6));
    TFicheroITV in;
    ASSERT_TRUE(in.Abre((tmp / "bad.bin").c_str(), ITV_MODO_LECTURA));
    DString text;
    in >> text;
    EXPECT_TRUE(in.Error());
    EXPECT_TRUE(text.IsEmpty());
}

TEST(FicheroITV, OpenModes) {
    testpaths::TempDir tmp;
    const std::string path = tmp / "m.txt";
    TFicheroITV f;
    EXPECT_FALSE(f.Abre(path.c_str(), ITV_MODO_LECTURA));  // missing
    EXPECT_FALSE(f.Abre(path.c_str(), "17"));
    EXPECT_FALSE(f.Abre(path.c_str(), ITV_ESCRIBIR | ITV_EXISTENTE));
    EXPECT_FALSE(f.EstaAbierto());

    ASSERT_TRUE(f.Abre(path.c_str(), "wb"));
    EXPECT_TRUE(f.Escribe("abc", 3));
    EXPECT_TRUE(f.Cierra());
    ASSERT_TRUE(f.Abre(path.c_str(), ITV_MODO_ANYADIDO));
    EXPECT_TRUE(f.Escribe_Str(DString("def")));
    EXPECT_TRUE(f.Cierra());
    ASSERT_TRUE(f.Abre(path.c_str(), "a"));
    EXPECT_TRUE(f.Escribe("g", 1));
    EXPECT_TRUE(f.Cierra());
    // A plain write mode writes in place, keeping the rest.
    ASSERT_TRUE(f.Abre(path.c_str(), ITV_ESCRIBIR));
    EXPECT_TRUE(f.Escribe("A", 1));
    EXPECT_TRUE(f.Cierra());

    ASSERT_TRUE(f.Abre(path.c_str(), "rb"));
    DString text;
    EXPECT_TRUE(f.Lee_Todo_Str(text));
    EXPECT_STREQ(text.c_str(), "Abcdefg");
    EXPECT_EQ(f.FileSize(), 7u);
    f.Cierra();

    ASSERT_TRUE(f.Abre(path.c_str(), "w"));  // creating empties the file
    EXPECT_EQ(f.FileSize(), 0u);
    f.Cierra();

    for (const char* bad : {"", "x", "rz", "r+q"}) EXPECT_FALSE(f.Abre(path.c_str(), bad)) << bad;
    EXPECT_FALSE(f.Abre(tmp.path().c_str(), ITV_MODO_LECTURA));  // a folder
    EXPECT_FALSE(f.Abre(nullptr, ITV_MODO_LECTURA));
}

TEST(FicheroITV, ReadWriteModeSwitchesBetweenReadingAndWriting) {
    testpaths::TempDir tmp;
    const std::string path = tmp / "rw.bin";
    WriteFile(path, std::string("\x01\x00\x00\x00\x02\x00\x00\x00", 8));
    TFicheroITV f;
    ASSERT_TRUE(f.Abre(path.c_str(), "r+b"));
    int a = 0;
    f >> a;
    f << int(7);
    ASSERT_TRUE(f.Seek(0));
    int b = 0, c = 0;
    f >> b >> c;
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(c, 7);
    EXPECT_TRUE(f.CierraEx(true));
}

TEST(FicheroITV, WrongDirectionFails) {
    testpaths::TempDir tmp;
    const std::string path = tmp / "d.bin";
    TFicheroITV w;
    ASSERT_TRUE(w.Abre(path.c_str(), ITV_MODO_CREACION));
    int x = 3;
    w >> x;
    EXPECT_EQ(x, 0);
    EXPECT_TRUE(w.Error());
    EXPECT_FALSE(w.CierraEx(true));

    TFicheroITV r;
    ASSERT_TRUE(r.Abre(path.c_str(), ITV_MODO_LECTURA));
    r << int(1);
    EXPECT_TRUE(r.Error());

    const char data[] = "abcd";
    TFicheroITVdatos mem(data, ITV_MODO_LECTURA, 4);
    mem << 'x';
    EXPECT_TRUE(mem.Error());
    EXPECT_STREQ(data, "abcd");
}

TEST(FicheroITV, MemoryStreamOpening) {
    const char data[] = "abcd";
    TFicheroITVdatos a(data, ITV_MODO_CREACION, 4);
    EXPECT_FALSE(a.EstaAbierto());
    TFicheroITVdatos b(nullptr, ITV_MODO_LECTURA, 4);
    EXPECT_FALSE(b.EstaAbierto());
    TFicheroITVdatos c(nullptr, ITV_MODO_LECTURA, 0);
    EXPECT_TRUE(c.EstaAbierto());
    char ch = 'q';
    c >> ch;
    EXPECT_EQ(ch, 0);
    EXPECT_TRUE(c.Error());
    // Opening again clears the failure.
    EXPECT_TRUE(c.Abre(data, ITV_MODO_LECTURA, 4));
    EXPECT_FALSE(c.Error());
    DString text;
    EXPECT_TRUE(c.Lee_Todo_Str(text));
    EXPECT_STREQ(text.c_str(), "abcd");
}

// The compiled-font reader's pattern: skip raw bytes, note a block's offset, skip
// it, and later position the file there and read it in bulk.
TEST(FicheroITV, PositionsAndBulkReads) {
    testpaths::TempDir tmp;
    const std::string path = tmp / "f.bin";
    {
        TFicheroITV out;
        ASSERT_TRUE(out.Abre(path.c_str(), ITV_MODO_CREACION));
        out.Escribe("HEAD!", 5);
        out << int(3);
        out.Escribe("xyz", 3);
        out.Escribe("END", 3);
        ASSERT_TRUE(out.CierraEx(true));
    }
    std::vector<unsigned char> bytes = FileBytes(path);
    TFicheroITVdatos mem(bytes.data(), ITV_MODO_LECTURA, uint32_t(bytes.size()));
    EXPECT_TRUE(mem.Skip(5));
    int size = 0;
    mem >> size;
    const uint32_t offset = mem.Tell();
    EXPECT_EQ(offset, 9u);
    EXPECT_TRUE(mem.Skip(uint32_t(size)));
    char trailer[3];
    EXPECT_EQ(mem.Lee(trailer, 3), 3u);
    EXPECT_EQ(std::string(trailer, 3), "END");
    EXPECT_FALSE(mem.Error());
    EXPECT_FALSE(mem.Skip(1));
    EXPECT_TRUE(mem.Error());

    TFicheroITV file;
    ASSERT_TRUE(file.Abre(path.c_str(), ITV_MODO_LECTURA));
    ASSERT_TRUE(file.Seek(offset));
    char block[3];
    EXPECT_EQ(file.Lee(block, 3), 3u);
    EXPECT_EQ(std::string(block, 3), "xyz");
    // Asking for more than is there gives what there is, and the stream fails.
    char rest[8] = "???????";
    EXPECT_EQ(file.Lee(rest, 8), 3u);
    EXPECT_EQ(std::string(rest, 3), "END");
    EXPECT_EQ(rest[3], 0);
    EXPECT_TRUE(file.Error());
    EXPECT_FALSE(file.Seek(0));  // failure sticks until the stream is opened again

    ASSERT_TRUE(file.Abre(path.c_str(), ITV_MODO_LECTURA));
    EXPECT_FALSE(file.Seek(uint32_t(bytes.size() + 1)));
    EXPECT_TRUE(file.Error());
}

TEST(FicheroITV, DevicePathsResolveIgnoringCase) {
    testpaths::TempDir tmp;
    fs::create_directories(tmp / "skins/default");
    WriteFile(tmp / "skins/default/skin.xml", "<skin/>");
    const std::string saved = Path::DeviceRoot();
    Path::SetDeviceRoot(tmp.path());

    TFicheroITV f;
    ASSERT_TRUE(f.Abre("\\Skins\\Default\\Skin.XML", ITV_MODO_LECTURA));
    DString text;
    EXPECT_TRUE(f.Lee_Todo_Str(text));
    EXPECT_STREQ(text.c_str(), "<skin/>");
    f.Cierra();

    // A new file goes into the folder that exists, under the name as written.
    ASSERT_TRUE(f.Abre("\\SKINS\\default\\PageMain.cpage", ITV_MODO_CREACION));
    f << '*';
    EXPECT_TRUE(f.CierraEx(true));
    EXPECT_TRUE(fs::exists(tmp / "skins/default/PageMain.cpage"));
    EXPECT_TRUE(f.Abre("\\skins\\default\\pagemain.CPAGE", ITV_MODO_LECTURA));
    f.Cierra();
    Path::SetDeviceRoot(saved);
}

} // namespace

// A whole file read at once: by its name as written or matched ignoring case;
// nothing for a missing file or a folder; an empty file is found and empty.
TEST(FicheroITV, WholeFileReads) {
    testpaths::TempDir tmp;
    const std::string dir = tmp.path();
    std::ofstream(dir + "/Page.cpage", std::ios::binary) << std::string("ab\0cd", 5);
    std::ofstream(dir + "/empty.cpage", std::ios::binary);
    struct Case {
        std::string path;
        bool found;
        std::string bytes;
    } cases[] = {
        {dir + "/Page.cpage", true, std::string("ab\0cd", 5)},
        {dir + "\\PAGE.CPAGE", true, std::string("ab\0cd", 5)},
        {dir + "/empty.cpage", true, ""},
        {dir + "/missing.cpage", false, ""},
        {dir, false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::unique_ptr<unsigned char[]> data;
        uint32_t size = 99, length = 99;
        EXPECT_EQ(c.found, TFicheroITV::LeeEntero(c.path.c_str(), data, size, length));
        EXPECT_EQ(c.bytes.size(), size);
        EXPECT_EQ(c.bytes.size(), length);
        EXPECT_EQ(c.found, data != nullptr);
        if (data) {
            EXPECT_EQ(c.bytes, std::string((const char*)data.get(), length));
        }
    }
}
