#include "cmarc/SelfExtract.h"

#include "model/FileUtils.h"
#include "platform/Catalogue.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace qm {

std::string SevenZipSfxModule = "7z.sfx";
const std::array<const char*, 4> SevenZipSfxModules = {"7z.sfx", "7zC.sfx", "7zCon.sfx", "7zS.sfx"};

namespace {

bool IsFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

std::ifstream OpenSource(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw EReadError(Args(Tr("SelfExtract", "%1 を開けません。"), path));
    return in;
}

// Copies the whole source into `out` in pieces, so a large archive is never held in memory;
// returns the number of bytes copied.
std::uint64_t CopyInto(std::ofstream& out, std::ifstream& in, const std::string& source,
                       const std::string& target) {
    std::vector<char> buffer(1 << 16);
    std::uint64_t total = 0;
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::streamsize got = in.gcount();
        if (got <= 0)
            break;
        if (!out.write(buffer.data(), got))
            throw EWriteError(Args(Tr("SelfExtract", "%1 に書き込めません。"), target));
        total += static_cast<std::uint64_t>(got);
    }
    if (in.bad())
        throw EReadError(Args(Tr("SelfExtract", "%1 を読み込めません。"), source));
    return total;
}

} // namespace

std::string SearchModuleFile(const std::string& fileName) {
    std::vector<std::string> folders = LibrarySearchFolders();
    folders.push_back(ProgramFolder());
    std::error_code ec;
    folders.push_back(std::filesystem::current_path(ec).string());
    if (const char* path = std::getenv("PATH")) {
        const char listSeparator = PathDelim == '/' ? ':' : ';';
        std::string list = path;
        for (size_t start = 0; start <= list.size();) {
            size_t end = list.find(listSeparator, start);
            if (end == std::string::npos)
                end = list.size();
            if (end > start)
                folders.push_back(list.substr(start, end - start));
            start = end + 1;
        }
    }
    for (const std::string& folder : folders) {
        if (folder.empty())
            continue;
        const std::string candidate = WithTrailingDelim(folder) + fileName;
        if (IsFile(candidate))
            return candidate;
    }
    return {};
}

std::string SfxTargetName(const std::string& archive, const std::string& extension,
                          const std::string& destination) {
    const std::string target = RemoveFileExt(archive) + extension;
    if (destination.empty())
        return target;
    return WithTrailingDelim(destination) + ExtractFileName(target);
}

void CopySfx(const std::string& target, const std::string& module, const std::string& archive,
             bool appendSize) {
    // An archive that already carries the target's name (b.EXE) would be lost if it were
    // replaced by a file made from itself: refuse.
    for (const std::string* source : {&archive, &module}) {
        std::error_code ec;
        if (std::filesystem::equivalent(target, *source, ec))
            throw EWriteError(
                Args(Tr("SelfExtract", "自己解凍書庫 %1 は %2 自身なので上書きできません。"),
                     target, *source));
    }
    // Both sources are opened before anything is written.
    std::ifstream stub = OpenSource(module);
    std::ifstream body = OpenSource(archive);
    if (appendSize) {
        // The stub reads the archive's length from 32 bits: a longer archive would get a wrong
        // length and a self-extracting file that cannot extract.
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(archive, ec);
        if (!ec && size > 0xFFFFFFFFu)
            throw EWriteError(
                Args(Tr("SelfExtract", "%1 は 4 GiB 以上あるため、自己解凍書庫にできません。"),
                     archive));
    }
    // The file is made beside the target and renamed over it once complete: a failed copy
    // leaves neither a partly written target nor an emptied one.
    std::string partial;
    std::ofstream out;
    for (int attempt = 0; attempt < 100 && !out.is_open(); ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp",
                      static_cast<unsigned>(std::rand()) ^ static_cast<unsigned>(attempt));
        partial = target + suffix;
        if (IsFile(partial) || std::filesystem::is_symlink(partial))
            continue;
        out.open(partial, std::ios::binary | std::ios::trunc);
    }
    if (!out.is_open())
        throw EWriteError(Args(Tr("SelfExtract", "%1 を作成できません。"), target));
    try {
        CopyInto(out, stub, module, target);
        const std::uint64_t archiveSize = CopyInto(out, body, archive, target);
        if (appendSize) {
            // The archive's length, most significant byte first.
            const auto size = static_cast<std::uint32_t>(archiveSize);
            const char bytes[4] = {static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                                   static_cast<char>(size >> 8), static_cast<char>(size)};
            out.write(bytes, 4);
        }
        out.close();
        if (!out)
            throw EWriteError(Args(Tr("SelfExtract", "%1 に書き込めません。"), target));
        std::error_code ec;
        std::filesystem::rename(partial, target, ec);
        if (ec)
            throw EWriteError(Args(Tr("SelfExtract", "%1 を作成できません。"), target));
    } catch (...) {
        if (out.is_open())
            out.close();
        std::error_code ec;
        std::filesystem::remove(partial, ec);
        throw;
    }
}

} // namespace qm
