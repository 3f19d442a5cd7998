// A database of 10,000 records of 20 members each. What the main window does after each opened
// archive (load the file, then score the archive against every record) against a minimal
// hand-written parser of the same bytes into plain structures followed by the same scoring, in
// alternating pairs; prints the medians and their ratio.
//
// usage: bench_database [rounds]
// The database is written below $TMPDIR (default /tmp) and removed at the end.
#include "model/InstallList.h"
#include "platform/AnsiCodec.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

using namespace qm;

namespace {

constexpr int kRecords = 10000;
constexpr int kMembers = 20;
// Like most stored archive names (so their records are scored) but matching none of them.
const char* const kArchive = "toolabcdx10.zip";
const char* const kExe = "other.exe";

void MakeDatabase(const std::string& path) {
    TInstallList list;
    list.NextId = 1;
    for (int r = 0; r < kRecords; ++r) {
        TInstallAppInfo& record = list.Add();
        list.AssignNewId(record);
        // Mostly ASCII names as archives have them, every tenth one Japanese.
        const std::string stem = (r % 10 == 0 ? "ツール" : "tool") + std::to_string(r) + "x";
        record.AppName = stem;
        record.Version = "1.0." + std::to_string(r);
        record.ArchiveName = stem + "10.zip";
        record.FirstInstallDate = 45000.5;
        for (int m = 0; m < kMembers; ++m) {
            TFileMember& member = record.Members.Add();
            member.FileName = m == 0 ? stem + ".exe" : "file" + std::to_string(m) + ".dat";
            member.ArchivePath = m % 3 == 0 ? "" : "doc/";
            member.SetInstallDir("/home/user/.local/opt/" + stem + "/", false);
            member.FileSize = 1000 + m;
            member.IsTarget = true;
        }
    }
    list.SaveToFile(path);
}

// ---- the baseline: the same bytes into plain structures, the same score --------------------

struct PlainMember {
    std::string fileName, archivePath, installDir, startMenuPath;
    std::vector<std::string> shortcutFolders;
    std::string arguments, description, shortcutName, workingDirectory;
    double fileDate = 0, installDate = 0;
    std::int64_t fileSize = 0;
    std::uint8_t role = 0, target = 0, flags = 0, windowSize = 0;
};

struct PlainRecord {
    std::int32_t id = 0;
    std::string appName, version, archiveName;
    double firstInstall = 0, lastUpdate = 0;
    std::vector<PlainMember> members;
};

class Parser {
public:
    explicit Parser(std::string_view bytes) : p_(bytes.data()), end_(p_ + bytes.size()) {}
    template <typename T> T Number() {
        Need(sizeof(T));
        T value;
        std::memcpy(&value, p_, sizeof value);
        p_ += sizeof value;
        return value;
    }
    void Skip(size_t n) {
        Need(n);
        p_ += n;
    }
    std::string Text() {
        const void* zero = std::memchr(p_, 0, static_cast<size_t>(end_ - p_));
        if (zero == nullptr)
            throw std::runtime_error("truncated");
        const std::string_view ansi(p_, static_cast<size_t>(static_cast<const char*>(zero) - p_));
        p_ += ansi.size() + 1;
        return FromAnsi(ansi); // the same conversion of the code page as the program's
    }

private:
    void Need(size_t n) const {
        if (static_cast<size_t>(end_ - p_) < n)
            throw std::runtime_error("truncated");
    }
    const char* p_;
    const char* end_;
};

std::vector<PlainRecord> ParsePlain(const std::string& bytes) {
    Parser in(bytes);
    in.Number<std::int32_t>();
    in.Number<std::int32_t>();
    const std::int32_t count = in.Number<std::int32_t>();
    in.Skip(8);
    std::vector<PlainRecord> records;
    for (std::int32_t i = 0; i < count; ++i) {
        PlainRecord& r = records.emplace_back();
        in.Skip(8);
        r.id = in.Number<std::int32_t>();
        r.appName = in.Text();
        r.version = in.Text();
        r.archiveName = in.Text();
        r.firstInstall = in.Number<double>();
        r.lastUpdate = in.Number<double>();
        in.Skip(8);
        const std::int32_t members = in.Number<std::int32_t>();
        for (std::int32_t k = 0; k < members; ++k) {
            PlainMember& m = r.members.emplace_back();
            m.fileName = in.Text();
            m.archivePath = in.Text();
            m.role = in.Number<std::uint8_t>();
            m.fileDate = in.Number<double>();
            m.fileSize = in.Number<std::int64_t>();
            m.target = in.Number<std::uint8_t>();
            m.installDate = in.Number<double>();
            m.installDir = in.Text();
            m.flags = in.Number<std::uint8_t>();
            const std::int32_t folders = in.Number<std::int32_t>();
            for (std::int32_t f = 0; f < folders; ++f)
                m.shortcutFolders.push_back(in.Text());
            m.startMenuPath = in.Text();
            m.arguments = in.Text();
            m.description = in.Text();
            m.shortcutName = in.Text();
            m.windowSize = in.Number<std::uint8_t>();
            m.workingDirectory = in.Text();
            in.Skip(8);
        }
    }
    return records;
}

// The score for ASCII names (the query is ASCII; a Japanese stored name scores by its bytes).
std::string_view Stem(std::string_view s) {
    for (size_t i = 0; i + 1 < s.size(); ++i)
        if (s[i] >= '0' && s[i] <= '9')
            return i > 0 ? s.substr(0, i) : s;
    return s;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

int PlainNameScore(std::string_view a, std::string_view b) {
    a = Stem(a);
    b = Stem(b);
    const int base = a.size() == b.size() ? 100 : 0;
    const size_t n = std::min(a.size(), b.size());
    if (n == 0)
        return base;
    const int w = static_cast<int>((n + 99) / n);
    int sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += a[i] == b[i] ? w : Upper(a[i]) == Upper(b[i]) ? w / 2 : 0;
    return base + sum;
}

bool EqualsLower(std::string_view lowered, std::string_view name) {
    if (lowered.size() != name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] + 32) : name[i];
        if (lowered[i] != c)
            return false;
    }
    return true;
}

int PlainMemberScore(const PlainRecord& r, std::string_view exe) {
    const std::string_view stem = Stem(exe);
    for (const PlainMember& m : r.members) {
        if (EqualsLower(stem, m.fileName) || EqualsLower(exe, m.fileName))
            return 200;
        const std::string_view name = m.fileName;
        const std::string_view nameStem = Stem(name);
        if (nameStem.size() != name.size() && !nameStem.empty() && EqualsLower(stem, nameStem))
            return 200;
    }
    return 0;
}

// Archive names without their extensions that agree in at least half of their characters.
bool PlainAlike(std::string_view a, std::string_view b) {
    a = a.substr(0, std::min(a.size(), a.rfind('.')));
    b = b.substr(0, std::min(b.size(), b.rfind('.')));
    const size_t n = std::min(a.size(), b.size());
    size_t equal = 0;
    for (size_t i = 0; i < n; ++i)
        equal += Upper(a[i]) == Upper(b[i]) ? 1 : 0;
    return 2 * equal >= std::max(a.size(), b.size());
}

const PlainRecord* PlainFind(const std::vector<PlainRecord>& records) {
    for (const PlainRecord& r : records)
        if (PlainAlike(r.archiveName, kArchive) &&
            PlainNameScore(r.archiveName, kArchive) + PlainMemberScore(r, kExe) >=
                UpdateTargetThreshold)
            return &r;
    return nullptr;
}

// ---- timing -----------------------------------------------------------------------------------

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const char* tmp = std::getenv("TMPDIR");
    std::string folder =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/qmdb.XXXXXX";
    if (mkdtemp(folder.data()) == nullptr)
        return 1;
    const std::string path = folder + "/Quillmate.his";
    MakeDatabase(path);
    std::printf("database: %d records of %d members, %.1f MB\n", kRecords, kMembers,
                std::filesystem::file_size(path) / 1e6);

    std::vector<double> program, plain, ratios;
    int status = 0;
    for (int round = 0; round < rounds; ++round) {
        double p = 0, b = 0;
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn + round) % 2 == 0) {
                const Clock::time_point start = Clock::now();
                TInstallList list;
                list.LoadFromFile(path);
                const bool found = list.FindUpdateTarget(kArchive, kExe) != nullptr;
                p = Seconds(start);
                if (found || list.Count() != kRecords)
                    status = 1;
            } else {
                const Clock::time_point start = Clock::now();
                std::string bytes;
                ReadWholeFileLocked(path, bytes);
                const std::vector<PlainRecord> records = ParsePlain(bytes);
                const bool found = PlainFind(records) != nullptr;
                b = Seconds(start);
                if (found || records.size() != kRecords)
                    status = 1;
            }
        }
        program.push_back(p);
        plain.push_back(b);
        ratios.push_back(p / b);
    }
    std::printf("load+score %.1f ms, minimal parser+score %.1f ms: ratio %.2f (goal <= 1.25; "
                "pairs %.2f..%.2f)\n",
                Median(program) * 1e3, Median(plain) * 1e3, Median(ratios),
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
    if (status != 0)
        std::fprintf(stderr, "the two readings disagree\n");
    std::filesystem::remove_all(folder);
    return status;
}
