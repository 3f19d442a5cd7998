#include "Instructions.h"

#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "platform/AnsiCodec.h"
#include "platform/AtomicFile.h"
#include "platform/Catalogue.h"
#include "platform/FileTransfer.h"

namespace qm {

namespace {

// The instruction files are small; anything near this size is not one.
constexpr std::uint64_t MaxInstructionSize = 256u << 20;

std::string ReadInstructionBytes(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFileLocked(path, bytes, false, MaxInstructionSize))
        throw EInstructionError(
            Args(Tr("Instructions", "指示ファイル \"%1\" がありません。"), path));
    return bytes;
}

// Reads the record and checks it against its own length prefix, so a record with fields
// missing or left over is refused instead of being read shifted.
void ReadRecord(TMemoryStream& stream, TInstallAppInfo& record, const std::string& path) {
    const std::int64_t length = ReadInt64(stream);
    stream.SetPosition(0);
    record.LoadFromStream(stream);
    // Compared as read minus the prefix: a length near the largest value would overflow the sum.
    if (length < 0 || stream.Position() - 8 != length)
        throw EInstructionError(
            Args(Tr("Instructions", "指示ファイル \"%1\" のレコード長が一致しません。"), path));
}

template <typename F> void Parse(const std::string& path, F body) {
    try {
        body();
    } catch (const EInstructionError&) {
        throw;
    } catch (const Exception& e) {
        throw EInstructionError(
            Args(Tr("Instructions", "指示ファイル \"%1\" を読めません: %2"), path, e.Message()));
    }
}

std::vector<std::string> SplitParts(const std::string& path, char delimiter) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = path.find(delimiter, start);
        parts.push_back(path.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

bool SafeParts(const std::string& path, char delimiter) {
    std::vector<std::string> parts = SplitParts(path, delimiter);
    if (!parts.empty() && parts.back().empty())
        parts.pop_back(); // the trailing delimiter of a folder
    for (const std::string& part : parts)
        if (part.empty() || part == "." || part == "..")
            return false;
    return true;
}

} // namespace

std::string TakeInstructionFile(const std::string& name) {
    const std::string folder = GetDataFolder();
    if (folder.empty())
        throw EInstructionError(Tr("Instructions", "データフォルダがありません。"));
    const std::string path = folder + name;
    // Under the lock the program takes to write it, so a hand-off never sees half a rename.
    TFileLock lock(LockFileNameFor(path), TFileLock::Mode::Exclusive);
    if (!GetFileFacts(path).isRegular)
        throw EInstructionError(
            Args(Tr("Instructions", "指示ファイル \"%1\" がありません。"), path));
    const std::string base = path + "." + ProcessTag();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string taken = base + (attempt == 0 ? "" : "-" + std::to_string(attempt));
        if (MoveFileEntry(path, taken))
            return taken;
        if (!PathExists(taken))
            break;
    }
    throw EInstructionError(
        Args(Tr("Instructions", "指示ファイル \"%1\" を取得できません。"), path));
}

void ReadInstallInstructions(const std::string& path, TInstallAppInfo& plan,
                             TInstallOption& option) {
    const std::string bytes = ReadInstructionBytes(path);
    Parse(path, [&] {
        TMemoryStream stream(bytes);
        ReadRecord(stream, plan, path);
        option.LoadFromStream(stream);
        if (stream.Position() != stream.Size())
            throw EInstructionError(Args(
                Tr("Instructions", "指示ファイル \"%1\" の末尾に余分なデータがあります。"), path));
    });
}

void ReadUninstallInstructions(const std::string& path, TInstallAppInfo& record,
                               std::vector<std::string>& removalPaths, bool& hasList) {
    const std::string bytes = ReadInstructionBytes(path);
    removalPaths.clear();
    Parse(path, [&] {
        TMemoryStream stream(bytes);
        ReadRecord(stream, record, path);
        const std::string rest = bytes.substr(static_cast<size_t>(stream.Position()));
        hasList = !rest.empty();
        size_t start = 0;
        while (start < rest.size()) {
            size_t end = rest.find("\r\n", start);
            if (end == std::string::npos)
                end = rest.size(); // a last line without its line end still counts
            const std::string line = rest.substr(start, end - start);
            if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
                throw EInstructionError(
                    Args(Tr("Instructions", "指示ファイル \"%1\" の削除リストが不正です。"), path));
            if (!line.empty())
                removalPaths.push_back(FromAnsi(line));
            start = end + 2;
        }
    });
}

bool IsSafeAbsolutePath(const std::string& path) {
    if (path.empty() || path.front() != PathDelim)
        return false;
    if (path.size() == 1)
        return true;
    return SafeParts(path.substr(1), PathDelim);
}

bool IsSafeRelativePath(const std::string& path, char delimiter) {
    if (path.empty())
        return true;
    if (path.front() == delimiter || path.front() == PathDelim)
        return false;
    return SafeParts(path, delimiter);
}

bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find(PathDelim) == std::string::npos && name.find('/') == std::string::npos;
}

bool IsAtOrBelow(const std::string& path, const std::string& folder) {
    const std::string root = WithTrailingDelim(WithoutTrailingDelims(folder));
    const std::string candidate = WithTrailingDelim(WithoutTrailingDelims(path));
    return candidate.compare(0, root.size(), root) == 0;
}

} // namespace qm
