#include "Extractor.h"

#include "Records.h"
#include "SafeTree.h"
#include "ZipDirectory.h"
#include "platform/AnsiCodec.h"
#include "platform/WinMessage.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <unistd.h>
#include <unordered_set>

namespace qm::arc {

namespace {

constexpr int64_t kFreeSpaceCheckFrom = 1 << 20;
// Declared sizes are checked before a member is written, but a member of undeclared size (a
// compressed single file) can expand to anything, and many members that each fit can
// together fill the disk, which would harm every other program. So after every so many bytes
// written the free space is asked again, and the command stops when it fell below a reserve.
constexpr int64_t kFreeSpaceReserve = 16 << 20;
constexpr int64_t kFreeSpaceRecheckEvery = 16 << 20;

// Sends the progress message (or calls the owner's procedure) and the enumeration callback;
// each answers whether the command may go on.
class Notifier {
public:
    explicit Notifier(Family family) : state_(GetFamilyState(family)) {
        if (state_.owner != nullptr || state_.ownerProc != nullptr)
            message_ = QmRegisterWindowMessage(QM_WM_ARCEXTRACT);
    }
    bool WantsProgress() const { return message_ != 0; }
    bool WantsMembers() const { return state_.enumProc != nullptr; }

    bool Progress(unsigned state, EXTRACTINGINFOEX& info) const {
        if (message_ == 0)
            return true;
        if (state_.ownerProc != nullptr)
            return state_.ownerProc(state_.owner, message_, state, &info) != 0;
        return QmSendMessage(state_.owner, message_, state, reinterpret_cast<intptr_t>(&info)) == 0;
    }
    bool Member(ENUM_MEMBER_INFO64& info) const {
        return state_.enumProc == nullptr || state_.enumProc(&info) != 0;
    }

private:
    FamilyState state_;
    unsigned message_ = 0;
};

struct PendingLink {
    PathParts parts;
    std::string target;
    std::string member;
};

struct FolderTime {
    PathParts parts;
    timespec mtime;
};

std::string JoinParts(const PathParts& parts) {
    std::string path;
    for (const std::string& part : parts) {
        if (!path.empty())
            path += '/';
        path += part;
    }
    return path;
}

bool HasControlCharacter(const std::string& name) {
    return std::any_of(name.begin(), name.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

// The bytes of a member's data, without the holes of a sparse member.
int64_t DataBytes(archive_entry* entry, int64_t size) {
    if (archive_entry_sparse_reset(entry) <= 0)
        return size;
    int64_t total = 0;
    la_int64_t offset = 0, length = 0;
    while (archive_entry_sparse_next(entry, &offset, &length) == ARCHIVE_OK)
        total += length;
    return total;
}

// The target text of a link entry in UTF-8, decoded like member names.
std::optional<std::string> LinkText(Reader& reader, bool hard) {
    archive_entry* entry = reader.Entry();
    return hard
               ? DecodeStoredText(archive_entry_hardlink_utf8(entry), archive_entry_hardlink(entry))
               : DecodeStoredText(archive_entry_symlink_utf8(entry), archive_entry_symlink(entry));
}

class Extraction {
public:
    Extraction(Family family, const Command& command, CommandLog& log)
        : family_(family), command_(command), log_(log), notifier_(family) {}

    int Run();

private:
    void Note(int code) {
        if (result_ == 0)
            result_ = code;
    }
    void Refuse(const Failure& failure) {
        log_.Line("refused: " + failure.reason);
        Note(failure.code);
    }
    // Handles one selected member; false ends the command.
    bool Member(const std::string& name);
    bool WriteFile(const std::string& name, const PathParts& parts);
    // The refusal our own reading of a ZIP directory has for the current member, if any.
    const ZipMemberCheck* ZipRefusal();
    bool SendProgress(unsigned state, const std::string& name, const std::string& destination,
                      int64_t written = 0);
    void FinishLinksAndFolders();
    // Counts a file, link or hard link written at parts.
    void Written(const std::string& name, const PathParts& parts);

    Family family_;
    const Command& command_;
    CommandLog& log_;
    Notifier notifier_;
    Reader reader_;
    std::unique_ptr<SafeTree> tree_;
    EXTRACTINGINFOEX progress_{};
    std::vector<PendingLink> links_;
    std::vector<FolderTime> folderTimes_;
    int result_ = 0;
    uint32_t index_ = 0;
    size_t selected_ = 0;
    size_t done_ = 0; // files and links written, or files tested
    int64_t writtenSinceSpaceCheck_ = 0;
    bool rootedLogged_ = false;
    std::optional<ZipDirectory> zip_;
    // Files written by this extraction, so that a member landing on one of them again is told
    // and counted once.
    std::unordered_set<std::string> written_;
};

const ZipMemberCheck* Extraction::ZipRefusal() {
    if (!zip_)
        return nullptr;
    const char* raw = archive_entry_pathname(reader_.Entry());
    const ZipMemberCheck* check = zip_->Take(raw != nullptr ? raw : "");
    return check != nullptr && !check->problem.empty() ? check : nullptr;
}

bool Extraction::SendProgress(unsigned state, const std::string& name,
                              const std::string& destination, int64_t written) {
    if (!notifier_.WantsProgress())
        return true;
    const bool member = state == ARCEXTRACT_BEGIN || state == ARCEXTRACT_INPROCESS;
    FillProgressInfo(progress_, reader_, member, name, destination);
    progress_.dwWriteSize = static_cast<uint32_t>(written);
    if (notifier_.Progress(state, progress_))
        return true;
    log_.Line("cancelled");
    Note(ERROR_USER_CANCEL);
    return false;
}

int Extraction::Run() {
    int opened = reader_.Open(family_, command_.archive);
    if (opened != 0) {
        log_.Line("cannot open " + command_.archive + " as a " + FamilyName(family_) + " archive");
        return opened;
    }
    if (command_.action == Action::Extract) {
        tree_ = std::make_unique<SafeTree>(command_.destination);
        if (!tree_->Valid()) {
            log_.Line(tree_->OpenFailure().reason);
            return tree_->OpenFailure().code;
        }
    }
    if (!SendProgress(ARCEXTRACT_OPEN, command_.archive, command_.destination))
        return result_;
    if (family_ == Family::Zip && command_.action != Action::List) {
        zip_.emplace();
        if (!zip_->Load(command_.archive))
            zip_.reset();
    }

    for (;;) {
        int next = reader_.Next();
        if (next == QM_ERROR_END_OF_SEARCH)
            break;
        if (next != 0) {
            log_.Line("archive read failed: " + reader_.ErrorText());
            Note(next);
            break;
        }
        std::optional<std::string> name = MemberName(reader_);
        if (!name) {
            log_.Line("refused: a member name that the code page cannot read");
            Note(ERROR_NOT_FILENAME);
            continue;
        }
        const ZipMemberCheck* refusal = ZipRefusal();
        if (!IsSelected(command_, *name))
            continue;
        ++selected_;
        if (refusal != nullptr) {
            Refuse({refusal->code, PrintableName(refusal->centralName) + ": " + refusal->problem});
            continue;
        }
        if (!Member(*name))
            break;
    }
    if (tree_)
        FinishLinksAndFolders();
    if (!command_.patterns.empty() && selected_ == 0) {
        log_.Line("no member matches the names given");
        Note(ERROR_NOT_FIND_FILE);
    }
    if (command_.action == Action::Extract)
        log_.Line(std::to_string(done_) + " file(s) extracted to " + tree_->Destination());
    else if (command_.action == Action::Test)
        log_.Line(std::to_string(done_) + " file(s) tested");
    SendProgress(ARCEXTRACT_END, command_.archive, command_.destination);
    return result_;
}

bool Extraction::Member(const std::string& name) {
    archive_entry* entry = reader_.Entry();
    if (notifier_.WantsMembers()) {
        ENUM_MEMBER_INFO64 info;
        FillEnumInfo(info, reader_, name, index_);
        if (!notifier_.Member(info)) {
            log_.Line("cancelled");
            Note(ERROR_USER_CANCEL);
            return false;
        }
    }
    ++index_;

    if (command_.action == Action::List) {
        char line[64];
        int64_t size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        std::snprintf(line, sizeof line, "%12lld  ", static_cast<long long>(size));
        log_.Line(line + name);
        return true;
    }

    PathParts parts;
    Failure failure;
    if (archive_entry_filetype(entry) == AE_IFDIR && IsRootName(name))
        return true;
    // A line break or another control character is never part of a file name written here:
    // cut or replaced, the name would no longer be the one the archive shows.
    if (HasControlCharacter(name)) {
        Refuse({ERROR_NOT_FILENAME, PrintableName(name) + ": name holds a control character"});
        return true;
    }
    bool rooted = false;
    if (!SplitMemberPath(name, parts, failure, &rooted)) {
        Refuse(failure);
        return true;
    }
    if (rooted && !rootedLogged_) {
        rootedLogged_ = true;
        log_.Line(name + ": leading separators and drives are removed from member names");
    }
    unsigned type = archive_entry_filetype(entry);
    if (type == 0)
        type = AE_IFREG; // ar archives made deterministically store bare permission bits
    const bool hard = archive_entry_hardlink(entry) != nullptr;
    if (command_.action == Action::Test) {
        return type != AE_IFREG || hard || WriteFile(name, {});
    }
    if (!command_.keepFolders) {
        if (type == AE_IFDIR)
            return true;
        parts = {parts.back()};
    }
    std::string destination = tree_->Destination() + JoinParts(parts);
    // Every file written must stay reachable by its path, to be listed, installed and deleted
    // like any other; a folder path also takes a trailing separator.
    if (destination.size() + 1 >= PATH_MAX) {
        Refuse({ERROR_LONG_FILE_NAME, name.substr(0, 64) + "...: path of " +
                                          std::to_string(destination.size()) +
                                          " bytes below the destination refused"});
        return true;
    }

    if (hard) {
        std::optional<std::string> target = LinkText(reader_, true);
        PathParts targetParts;
        if (!target || !SplitMemberPath(*target, targetParts, failure)) {
            Refuse(target ? failure : Failure{ERROR_NOT_FILENAME, name + ": unreadable link"});
            return true;
        }
        if (!command_.keepFolders)
            targetParts = {targetParts.back()};
        if (tree_->HardLink(targetParts, parts, failure))
            Written(name, parts);
        else
            Refuse(failure);
        return true;
    }
    switch (type) {
    case AE_IFDIR:
        if (!tree_->MakeFolder(parts, failure)) {
            Refuse(failure);
        } else if (archive_entry_mtime_is_set(entry)) {
            folderTimes_.push_back(
                {parts, {archive_entry_mtime(entry), archive_entry_mtime_nsec(entry)}});
        }
        return true;
    case AE_IFLNK: {
        // Links are made after every file is written, so no file is ever written through
        // a link from the archive.
        std::optional<std::string> target = LinkText(reader_, false);
        if (!target) {
            Refuse({ERROR_NOT_FILENAME, name + ": unreadable link target"});
            return true;
        }
        // Refused now rather than held until the end: a thousand targets of a megabyte each
        // would otherwise all sit in memory.
        if (target->size() >= kMaxPathBytes) {
            Refuse({ERROR_LONG_FILE_NAME, name + ": link target too long"});
            return true;
        }
        links_.push_back({parts, *target, name});
        return true;
    }
    case AE_IFREG:
        if (!SendProgress(ARCEXTRACT_BEGIN, name, destination))
            return false;
        return WriteFile(name, parts);
    default:
        Refuse({ERROR_FILE_STYLE, name + ": device, FIFO or socket refused"});
        return true;
    }
}

// Writes (or, for a test, only decodes) the current member's data. Empty parts means test.
bool Extraction::WriteFile(const std::string& name, const PathParts& parts) {
    archive_entry* entry = reader_.Entry();
    const bool testing = parts.empty();
    if (archive_entry_is_data_encrypted(entry)) {
        Refuse({ERROR_PASSWORD_FILE, name + ": encrypted, no password available"});
        return true;
    }
    const int64_t size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : -1;
    // The holes of a sparse member stay holes on disk: only its data needs room.
    const int64_t dataBytes = DataBytes(entry, size);
    if (!testing && dataBytes >= kFreeSpaceCheckFrom &&
        static_cast<unsigned long long>(dataBytes) > tree_->FreeBytes()) {
        Refuse({ERROR_DISK_SPACE, name + ": not enough free space"});
        return false;
    }
    int fd = -1;
    std::string destination;
    if (!testing) {
        mode_t perm = archive_entry_perm(entry);
        if (perm & 07000)
            log_.Line(name + ": set-id and sticky bits dropped");
        Failure failure;
        fd = tree_->CreateFile(parts, (perm & 0777) | 0600, failure);
        if (fd < 0) {
            Refuse(failure);
            return failure.code != ERROR_DISK_SPACE;
        }
        destination = tree_->Destination() + JoinParts(parts);
    }

    auto abandon = [&](int code, const std::string& why) {
        if (fd >= 0) {
            ::close(fd);
            tree_->RemoveFile(parts);
        }
        log_.Line(name + ": " + why);
        Note(code);
    };
    int64_t end = 0;
    bool progressSent = false;
    for (;;) {
        const void* block = nullptr;
        size_t length = 0;
        int64_t offset = 0;
        int r = reader_.ReadBlock(&block, &length, &offset);
        if (r == ARCHIVE_EOF)
            break;
        // A warning while reading data is a checksum that did not match: the file is wrong.
        if (r != ARCHIVE_OK) {
            abandon(reader_.ReadError(), reader_.ErrorText());
            return r != ARCHIVE_FATAL;
        }
        // Never trust the data over the header: a member that inflates past its declared
        // size is a bomb or broken, and is stopped before the excess reaches the disk.
        const int64_t blockEnd = static_cast<int64_t>(offset) + static_cast<int64_t>(length);
        if (size >= 0 && blockEnd > size) {
            abandon(ERROR_BROKEN_DATA, "holds more data than its header declares");
            return true;
        }
        if (!testing) {
            writtenSinceSpaceCheck_ += static_cast<int64_t>(length);
            if (writtenSinceSpaceCheck_ >= kFreeSpaceRecheckEvery) {
                writtenSinceSpaceCheck_ = 0;
                if (tree_->FreeBytes() < static_cast<unsigned long long>(kFreeSpaceReserve)) {
                    abandon(ERROR_DISK_SPACE, "not enough free space");
                    return false;
                }
            }
        }
        if (fd >= 0) {
            const char* p = static_cast<const char*>(block);
            size_t left = length;
            off_t at = static_cast<off_t>(offset);
            while (left > 0) {
                ssize_t n = ::pwrite(fd, p, left, at);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    int error = n < 0 ? errno : ENOSPC;
                    abandon(error == ENOSPC || error == EDQUOT ? ERROR_DISK_SPACE
                                                               : ERROR_CANNOT_WRITE,
                            std::strerror(error));
                    return error != ENOSPC && error != EDQUOT;
                }
                p += n;
                left -= static_cast<size_t>(n);
                at += n;
            }
        }
        end = std::max<int64_t>(end, offset + static_cast<int64_t>(length));
        if (!testing && notifier_.WantsProgress()) {
            progressSent = true;
            if (!SendProgress(ARCEXTRACT_INPROCESS, name, destination, end)) {
                abandon(ERROR_USER_CANCEL, "cancelled");
                return false;
            }
        }
    }
    if (testing) {
        ++done_;
        return true;
    }
    if (!progressSent && !SendProgress(ARCEXTRACT_INPROCESS, name, destination)) {
        abandon(ERROR_USER_CANCEL, "cancelled");
        return false;
    }
    // A sparse member may end in a hole.
    if (size > end && ::ftruncate(fd, size) != 0) {
        abandon(ERROR_CANNOT_WRITE, std::strerror(errno));
        return true;
    }
    if (archive_entry_mtime_is_set(entry)) {
        timespec times[2];
        times[1] = {archive_entry_mtime(entry), archive_entry_mtime_nsec(entry)};
        times[0] = archive_entry_atime_is_set(entry)
                       ? timespec{archive_entry_atime(entry), archive_entry_atime_nsec(entry)}
                       : times[1];
        ::futimens(fd, times);
    }
    if (::close(fd) != 0) {
        fd = -1;
        abandon(ERROR_CLOSE_FILE, std::strerror(errno));
        tree_->RemoveFile(parts);
        return true;
    }
    Written(name, parts);
    return true;
}

void Extraction::Written(const std::string& name, const PathParts& parts) {
    // Two members on one path (the same name twice): the later one replaced the earlier, as
    // the overwrite switches the drivers pass ask; it is told, and the file counted once.
    if (!written_.insert(JoinParts(parts)).second) {
        log_.Line(name + ": replaced a file of the same name extracted before from this archive");
        return;
    }
    ++done_;
}

void Extraction::FinishLinksAndFolders() {
    for (const PendingLink& link : links_) {
        Failure failure;
        if (tree_->SymLink(link.parts, link.target, failure))
            Written(link.member, link.parts);
        else
            Refuse(failure);
    }
    // Deepest first is not needed: every change below a folder is done by now.
    for (const FolderTime& folder : folderTimes_)
        tree_->SetFolderTime(folder.parts, folder.mtime);
}

} // namespace

void CommandLog::Line(const std::string& utf8) {
    if (!enabled_)
        return;
    text_ += LogText(utf8);
    text_ += "\r\n";
}

int RunCommand(Family family, const Command& command, CommandLog& log) {
    Extraction extraction(family, command, log);
    return extraction.Run();
}

int ExtractToMemory(Family family, const Command& command, uint8_t* buffer, uint32_t size,
                    int64_t* time, uint16_t* attributes, uint32_t* written) {
    if (written != nullptr)
        *written = 0;
    Reader reader;
    int opened = reader.Open(family, command.archive);
    if (opened != 0)
        return opened;
    for (;;) {
        int next = reader.Next();
        if (next == QM_ERROR_END_OF_SEARCH)
            return ERROR_NOT_FIND_FILE;
        if (next != 0)
            return next;
        std::optional<std::string> name = MemberName(reader);
        archive_entry* entry = reader.Entry();
        if (!name || archive_entry_filetype(entry) != AE_IFREG || !IsSelected(command, *name))
            continue;
        if (archive_entry_is_data_encrypted(entry))
            return ERROR_PASSWORD_FILE;
        if (time != nullptr)
            *time = archive_entry_mtime(entry);
        if (attributes != nullptr)
            *attributes = static_cast<uint16_t>(WindowsAttributes(entry));
        // Blocks are placed at their offsets: a sparse member has holes between them.
        if (buffer != nullptr && size > 0)
            std::memset(buffer, 0, size);
        uint64_t end = 0;
        for (;;) {
            const void* block = nullptr;
            size_t length = 0;
            int64_t offset = 0;
            int r = reader.ReadBlock(&block, &length, &offset);
            if (r == ARCHIVE_EOF)
                break;
            if (r != ARCHIVE_OK)
                return reader.ReadError();
            const uint64_t at = static_cast<uint64_t>(offset);
            if (at + length > size) {
                if (at < size)
                    std::memcpy(buffer + at, block, size - at);
                if (written != nullptr)
                    *written = size;
                return ERROR_MORE_HEAP_MEMORY;
            }
            if (length > 0) // an empty block may come without an address
                std::memcpy(buffer + at, block, length);
            end = std::max<uint64_t>(end, at + length);
            if (written != nullptr)
                *written = static_cast<uint32_t>(end);
        }
        // A member that ends in a hole is as long as its header says.
        const int64_t declared = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        if (declared > static_cast<int64_t>(size))
            return ERROR_MORE_HEAP_MEMORY;
        if (written != nullptr && declared > static_cast<int64_t>(end))
            *written = static_cast<uint32_t>(declared);
        return 0;
    }
}

} // namespace qm::arc
