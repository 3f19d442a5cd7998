// Damaged and hostile PE files: each one must read as "no version information" (or, where the
// damage misses the version data, as the intact values), quickly and without reading outside
// the file. Images are made here by hand or by damaging a real executable from tests/pefiles.
#include "platform/VersionInfo.h"

#include "Sandbox.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace qm;

namespace {

void Put16(std::string& s, size_t at, std::uint32_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, size_t at, std::uint32_t v) {
    Put16(s, at, v & 0xFFFF);
    Put16(s, at + 2, v >> 16);
}
std::uint16_t Get16(const std::string& s, size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                      (static_cast<unsigned char>(s[at + 1]) << 8));
}
void Pad4(std::string& s) {
    while (s.size() % 4 != 0)
        s += '\0';
}
std::string Utf16(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

// One node of a version block, laid out independently of the reader: header, key, padding,
// value, padding, children. The length covers everything but the padding after the last child.
std::string VersionNode(const std::u16string& key, const std::string& value,
                        std::uint16_t valueLength, std::uint16_t type,
                        const std::vector<std::string>& children = {}) {
    std::string n(6, '\0');
    n += Utf16(key) + std::string(2, '\0');
    Pad4(n);
    n += value;
    for (const std::string& child : children) {
        Pad4(n);
        n += child;
    }
    Put16(n, 0, static_cast<std::uint32_t>(n.size()));
    Put16(n, 2, valueLength);
    Put16(n, 4, type);
    return n;
}

std::string TextNode(const std::u16string& key, const std::u16string& text) {
    return VersionNode(key, Utf16(text) + std::string(2, '\0'),
                       static_cast<std::uint16_t>(text.size() + 1), 1);
}

// A complete block: fixed file information, one string table 041104B0, one translation.
std::string VersionBlock(const std::u16string& productName) {
    std::string fixed(52, '\0');
    Put32(fixed, 0, 0xFEEF04BD);
    Put32(fixed, 4, 0x00010000);
    const std::string table =
        VersionNode(u"041104B0", "", 0, 1,
                    {TextNode(u"ProductName", productName), TextNode(u"ProductVersion", u"9.9")});
    const std::string sfi = VersionNode(u"StringFileInfo", "", 0, 1, {table});
    std::string translation(4, '\0');
    Put32(translation, 0, 0x04B00411);
    const std::string vfi =
        VersionNode(u"VarFileInfo", "", 0, 1, {VersionNode(u"Translation", translation, 4, 0)});
    return VersionNode(u"VS_VERSION_INFO", fixed, 52, 0, {sfi, vfi});
}

// A resource section with one version resource, three levels deep, at fixed offsets:
// root 0x00 (entry 0x10), name 0x18 (entry 0x28), language 0x30 (entry 0x40), data entry
// 0x48, block 0x58.
constexpr size_t kRootEntryOffset = 0x14;
constexpr size_t kNameEntryOffset = 0x2C;
constexpr size_t kLanguageEntryOffset = 0x44;
constexpr size_t kDataEntry = 0x48;
constexpr std::uint32_t kSectionRva = 0x1000;

std::string ResourceSection(const std::string& block) {
    std::string s(0x58, '\0');
    auto directory = [&](size_t at, std::uint32_t id, std::uint32_t target) {
        Put16(s, at + 14, 1); // one id entry
        Put32(s, at + 16, id);
        Put32(s, at + 20, target);
    };
    directory(0x00, 16, 0x80000000u | 0x18);
    directory(0x18, 1, 0x80000000u | 0x30);
    directory(0x30, 0x411, kDataEntry);
    Put32(s, kDataEntry, kSectionRva + 0x58);
    Put32(s, kDataEntry + 4, static_cast<std::uint32_t>(block.size()));
    return s + block;
}

// Where the fields of the headers of MakeImage lie.
constexpr size_t kPeOffset = 0x40;
constexpr size_t kSectionCountField = kPeOffset + 6;
constexpr size_t kOptionalSizeField = kPeOffset + 20;
constexpr size_t kOptional = kPeOffset + 24;
constexpr size_t kRawData = 0x200;

size_t OptionalSize(bool pe32plus) {
    return pe32plus ? 240 : 224;
}
size_t ResourceDirectoryField(bool pe32plus) {
    return kOptional + (pe32plus ? 112 : 96) + 16;
}
size_t SectionHeader(bool pe32plus) {
    return kOptional + OptionalSize(pe32plus);
}

// A minimal image: DOS header, PE header, optional header, one ".rsrc" section.
std::string MakeImage(const std::string& section, bool pe32plus = true) {
    std::string f(kRawData, '\0');
    f[0] = 'M';
    f[1] = 'Z';
    Put32(f, 0x3C, kPeOffset);
    f.replace(kPeOffset, 4, std::string("PE\0\0", 4));
    Put16(f, kPeOffset + 4, pe32plus ? 0x8664 : 0x14C);
    Put16(f, kSectionCountField, 1);
    Put16(f, kOptionalSizeField, static_cast<std::uint32_t>(OptionalSize(pe32plus)));
    Put16(f, kOptional, pe32plus ? 0x20B : 0x10B);
    Put32(f, kOptional + (pe32plus ? 108 : 92), 16);
    Put32(f, ResourceDirectoryField(pe32plus), kSectionRva);
    Put32(f, ResourceDirectoryField(pe32plus) + 4, static_cast<std::uint32_t>(section.size()));
    const size_t sh = SectionHeader(pe32plus);
    f.replace(sh, 5, ".rsrc");
    const size_t raw = (section.size() + 0x1FF) & ~size_t(0x1FF);
    Put32(f, sh + 8, static_cast<std::uint32_t>(section.size()));
    Put32(f, sh + 12, kSectionRva);
    Put32(f, sh + 16, static_cast<std::uint32_t>(raw));
    Put32(f, sh + 20, kRawData);
    std::string data = section;
    data.resize(raw, '\0');
    return f + data;
}

std::string ImageWithBlock(bool pe32plus = true) {
    return MakeImage(ResourceSection(VersionBlock(u"Hand")), pe32plus);
}

std::optional<VersionInfo> LoadBytes(const std::string& bytes) {
    static const std::string dir = qmtest::MakeTempFolder("hostile");
    return VersionInfo::Load(qmtest::WriteFile(dir + "/image.exe", bytes));
}

std::optional<std::string> ProductName(const std::optional<VersionInfo>& info) {
    if (!info)
        return std::nullopt;
    return info->QueryString("StringFileInfo\\041104B0\\ProductName");
}

// Everything a caller may ask of a block; must stay inside it whatever the damage.
void Exercise(const VersionInfo& info) {
    EXPECT_LE(info.Block().size(), 0xFFFFu);
    (void)info.Translations();
    for (const char* path :
         {"", "\\", "StringFileInfo", "StringFileInfo\\041104B0",
          "StringFileInfo\\041104B0\\ProductName", "StringFileInfo\\041104B0\\ProductVersion",
          "VarFileInfo\\Translation", "a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\l\\m\\n\\o\\p\\q\\r"})
        (void)info.QueryString(path);
}

std::string RealTool() {
    return qmtest::ReadFile(qmtest::TestDataFolder() + "/pe/tool64.exe");
}

} // namespace

TEST(HostilePe, HandMadeImagesOfBothKindsRead) {
    for (bool pe32plus : {false, true}) {
        const std::optional<VersionInfo> info = LoadBytes(ImageWithBlock(pe32plus));
        ASSERT_TRUE(info) << pe32plus;
        EXPECT_EQ(ProductName(info), "Hand");
        EXPECT_EQ(info->QueryString("StringFileInfo\\041104B0\\ProductVersion"), "9.9");
        EXPECT_EQ(info->Translations(), std::vector<std::uint32_t>{0x04B00411u});
    }
}

TEST(HostilePe, ResourceDirectoriesThatLoopOrNestTooDeepGiveNothing) {
    const std::string good = ImageWithBlock();
    const struct {
        size_t field;
        std::uint32_t value;
    } cases[] = {
        {kRootEntryOffset, 0x80000000u},              // the type level points at itself
        {kNameEntryOffset, 0x80000000u},              // the name level points back at the root
        {kNameEntryOffset, 0x80000018u},              // the name level points at itself
        {kLanguageEntryOffset, 0x80000030u},          // the language level nests further
        {kLanguageEntryOffset, 0x80000000u},          // ... or back to the root
        {kRootEntryOffset, 0x80000000u | 0x7FFFFFF0}, // a directory far past the end
        {kNameEntryOffset, 0x0FFFFFF0u},              // a data entry far past the end
        {kNameEntryOffset, 0x18},                     // a data entry where a directory belongs
    };
    for (const auto& c : cases) {
        std::string bad = good;
        Put32(bad, kRawData + c.field, c.value);
        EXPECT_FALSE(LoadBytes(bad)) << std::hex << c.field << " = " << c.value;
    }
}

TEST(HostilePe, DamagedDirectoriesAndDataEntriesGiveNothing) {
    const std::string good = ImageWithBlock();
    auto damaged = [&](size_t at, std::uint32_t value, bool wide = true) {
        std::string bad = good;
        wide ? Put32(bad, kRawData + at, value) : Put16(bad, kRawData + at, value);
        return LoadBytes(bad);
    };
    // A type directory claiming 131070 entries that run far past the section.
    {
        std::string bad = good;
        Put16(bad, kRawData + 12, 0xFFFF);
        Put16(bad, kRawData + 14, 0xFFFF);
        EXPECT_FALSE(LoadBytes(bad));
    }
    EXPECT_FALSE(damaged(0x10, 17));                          // no RT_VERSION entry
    EXPECT_FALSE(damaged(0x10, 0x80000010u));                 // a named entry, not id 16
    EXPECT_FALSE(damaged(0x18 + 14, 0, false));               // an empty name directory
    EXPECT_FALSE(damaged(kDataEntry, 0));                     // block address 0
    EXPECT_FALSE(damaged(kDataEntry, 0xFFFFFFF0u));           // block outside every section
    EXPECT_FALSE(damaged(kDataEntry, kSectionRva + 0x10000)); // block past the stored data
    EXPECT_FALSE(damaged(kDataEntry + 4, 4));                 // smaller than a node header
    EXPECT_FALSE(damaged(kDataEntry + 4, 0x40));              // smaller than the root node

    // A size of 4 GiB costs no 4 GiB: the block is read up to what one block can hold.
    const std::optional<VersionInfo> huge = damaged(kDataEntry + 4, 0xFFFFFFFFu);
    ASSERT_TRUE(huge);
    EXPECT_LE(huge->Block().size(), 0xFFFFu);
    EXPECT_EQ(ProductName(huge), "Hand");
}

TEST(HostilePe, DamagedHeadersGiveNothing) {
    for (bool pe32plus : {false, true}) {
        SCOPED_TRACE(pe32plus);
        const std::string good = ImageWithBlock(pe32plus);
        auto with = [&](size_t at, std::uint32_t value, bool wide) {
            std::string bad = good;
            wide ? Put32(bad, at, value) : Put16(bad, at, value);
            return LoadBytes(bad);
        };
        EXPECT_FALSE(with(0, 0x5A4E, false));        // not "MZ"
        EXPECT_FALSE(with(0x3C, 0xFFFFFFF0u, true)); // PE header past the end
        EXPECT_FALSE(with(0x3C, static_cast<std::uint32_t>(good.size() - 8), true));
        EXPECT_FALSE(with(kPeOffset, 0x00014550, true));       // "PE" without its two zeros
        EXPECT_FALSE(with(kSectionCountField, 0xFFFF, false)); // a table past the end
        EXPECT_FALSE(with(kSectionCountField, 0, false));      // no sections to map to
        EXPECT_FALSE(with(kOptionalSizeField, 0, false));      // no optional header
        EXPECT_FALSE(with(kOptionalSizeField, 0xFFFF, false));
        EXPECT_FALSE(with(kOptional, 0x107, false));                    // unknown magic (ROM image)
        EXPECT_FALSE(with(kOptional + (pe32plus ? 108 : 92), 2, true)); // no resource directory
        EXPECT_FALSE(with(ResourceDirectoryField(pe32plus), 0, true));
        EXPECT_FALSE(with(SectionHeader(pe32plus) + 16, 0, true)); // section stores nothing
        EXPECT_FALSE(with(SectionHeader(pe32plus) + 20, 0x7FFFFF00u, true)); // data past end
    }
    // The image cut right after its headers.
    EXPECT_FALSE(LoadBytes(ImageWithBlock().substr(0, kRawData)));
}

TEST(HostilePe, DamagedVersionBlocksNeverReadOutside) {
    const std::string block = VersionBlock(u"Hand");
    auto read = [](std::string b) -> std::optional<VersionInfo> {
        return VersionInfo::FromBlock(std::vector<std::uint8_t>(b.begin(), b.end()));
    };
    auto productName = [](const std::optional<VersionInfo>& info) { return ProductName(info); };

    EXPECT_EQ(productName(read(block)), "Hand");
    EXPECT_FALSE(read(""));
    EXPECT_FALSE(read(block.substr(0, 5)));
    EXPECT_FALSE(read(block.substr(0, block.size() - 1))); // root longer than the data
    {
        std::string b = block;
        Put16(b, 0, 4); // root shorter than its own header
        EXPECT_FALSE(read(b));
    }
    {
        // A key with no terminating 0 inside its node.
        std::string b = Utf16(u"VS_VERSION_INFO");
        b = std::string(6, '\0') + b;
        Put16(b, 0, static_cast<std::uint32_t>(b.size()));
        EXPECT_FALSE(read(b));
    }

    // Find the string table's header inside the block to damage it.
    const std::string tableKey = Utf16(u"041104B0");
    const size_t table = block.find(tableKey) - 6;
    const std::string nameKey = Utf16(u"ProductName");
    const size_t name = block.find(nameKey) - 6;
    {
        std::string b = block;
        Put16(b, table, 0xFFF0); // runs past its parent: what it holds is not there
        const std::optional<VersionInfo> info = read(b);
        ASSERT_TRUE(info);
        EXPECT_FALSE(productName(info));
        EXPECT_EQ(info->Translations(), std::vector<std::uint32_t>{0x04B00411u});
    }
    {
        std::string b = block;
        Put16(b, name, 0); // a zero-length child must not stall the walk
        const std::optional<VersionInfo> info = read(b);
        ASSERT_TRUE(info);
        EXPECT_FALSE(productName(info));
    }
    {
        std::string b = block;
        Put16(b, name + 2, 0xFFFF); // a value longer than its node is cut at the node's end
        const std::optional<VersionInfo> info = read(b);
        ASSERT_TRUE(info);
        EXPECT_EQ(productName(info), "Hand");
        EXPECT_EQ(info->QueryString("StringFileInfo\\041104B0\\ProductVersion"), "9.9");
    }
    {
        // A text value without its terminating 0: it ends with its node.
        const std::string n = TextNode(u"K", u"AB");
        std::string b =
            VersionNode(u"VS_VERSION_INFO", "", 0, 1, {VersionNode(u"K", Utf16(u"ABC"), 3, 1)});
        const std::optional<VersionInfo> info = read(b);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->QueryString("K"), "ABC");
    }
    {
        // Surrogate pairs decode; a lone surrogate becomes U+FFFD.
        std::u16string text = u"\xD83D\xDE00-";
        text += static_cast<char16_t>(0xDC00);
        std::string b = VersionNode(u"VS_VERSION_INFO", "", 0, 1, {TextNode(u"K", text)});
        const std::optional<VersionInfo> info = read(b);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->QueryString("K"), "\xF0\x9F\x98\x80-\xEF\xBF\xBD");
    }
}

TEST(HostilePe, TruncatedRealFileGivesNothingUntilTheBlockIsWhole) {
    const std::string bytes = RealTool();
    ASSERT_GT(bytes.size(), 1024u);
    // The block's extent, found by its key rather than by the reader under test.
    const size_t key = bytes.find(Utf16(u"VS_VERSION_INFO"));
    ASSERT_NE(key, std::string::npos);
    const size_t blockEnd = key - 6 + Get16(bytes, key - 6);

    const std::string path = qmtest::WriteFile(qmtest::MakeTempFolder("trunc") + "/t.exe", bytes);
    int fd = open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    size_t wrong = 0;
    for (size_t n = bytes.size() + 1; n-- > 0;) {
        ASSERT_EQ(ftruncate(fd, static_cast<off_t>(n)), 0);
        const std::optional<VersionInfo> info = VersionInfo::Load(path);
        const bool whole = n >= blockEnd;
        if (info.has_value() != whole || (info && ProductName(info) != "Tool"))
            ++wrong;
    }
    close(fd);
    EXPECT_EQ(wrong, 0u);
}

TEST(HostilePe, PatchedRealFileNeverCrashesOrReadsOutside) {
    const std::string bytes = RealTool();
    const std::string path = qmtest::WriteFile(qmtest::MakeTempFolder("patch") + "/p.exe", bytes);
    int fd = open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const size_t key = bytes.find(Utf16(u"VS_VERSION_INFO"));
    ASSERT_NE(key, std::string::npos);
    const size_t blockStart = key - 6;
    const size_t blockEnd = blockStart + Get16(bytes, blockStart);

    auto patchAndLoad = [&](size_t at, const std::string& patch) {
        ASSERT_EQ(pwrite(fd, patch.data(), patch.size(), static_cast<off_t>(at)),
                  static_cast<ssize_t>(patch.size()));
        const std::optional<VersionInfo> info = VersionInfo::Load(path);
        if (info)
            Exercise(*info);
        ASSERT_EQ(pwrite(fd, bytes.data() + at, patch.size(), static_cast<off_t>(at)),
                  static_cast<ssize_t>(patch.size()));
    };
    // Every 32-bit word of the file, headers and resource tree included.
    for (const char* word :
         {"\xFF\xFF\xFF\xFF", "\x00\x00\x00\x80", "\xF0\xFF\xFF\x7F", "\x00\x00\x00\x00"})
        for (size_t at = 0; at + 4 <= bytes.size(); at += 4)
            patchAndLoad(at, std::string(word, 4));
    // Every 16-bit field of the version block: lengths, value lengths, types, key characters.
    for (const char* half : {"\xFF\xFF", "\x00\x00", "\x06\x00", "\x07\x00"})
        for (size_t at = blockStart; at + 2 <= blockEnd; at += 2)
            patchAndLoad(at, std::string(half, 2));
    close(fd);
    // The file is whole again and reads as before.
    EXPECT_EQ(ProductName(VersionInfo::Load(path)), "Tool");
}
