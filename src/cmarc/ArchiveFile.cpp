#include "cmarc/ArchiveFile.h"

#include "cmarc/ArchiverType.h"
#include "platform/AnsiCodec.h"
#include "platform/Catalogue.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace qm {

TArchiveFile* CurrentArchiveFile = nullptr;

namespace {

unsigned ArcExtractMessage() {
    static const unsigned id = QmRegisterWindowMessage(QM_WM_ARCEXTRACT);
    return id;
}

std::string BoundedText(const char* text, size_t capacity) {
    return std::string(text, strnlen(text, capacity));
}

// Whether `ansi` contains `part`, comparing only at character starts of the ANSI code page.
bool AnsiContains(const std::string& ansi, const std::string& part) {
    if (part.empty())
        return false;
    for (size_t i = 0; i < ansi.size();) {
        if (ansi.compare(i, part.size(), part) == 0)
            return true;
        i += IsAnsiLeadByte(static_cast<unsigned char>(ansi[i])) ? 2 : 1;
    }
    return false;
}

// Named streams need a file system that has them; POSIX file systems have none (a ':' is an
// ordinary character of a name there), so the extracted files stay as they are.
bool VolumeSupportsNamedStreams(const std::string&) {
    return false;
}

} // namespace

// The library's enumeration callback: non-zero lets it go on, 0 stops it.
int ArchiveFileEnumMembers(TEnumMemberInfo64* info) {
    TArchiveFile* self = CurrentArchiveFile;
    if (self == nullptr || info == nullptr)
        return -1;
    bool abort = false;
    try {
        if (self->FArchiver)
            self->FArchiver->DoEnumMember(*info, self->Options, abort);
        if (!abort && self->OnEnumMember)
            self->OnEnumMember(*self, *info, abort);
    } catch (...) {
        self->FPending = std::current_exception();
        abort = true;
    }
    return abort ? 0 : -1;
}

// The progress window's procedure: 1 answers "stop".
intptr_t ArchiveFileProgressProc(void* context, unsigned message, uintptr_t wparam,
                                 intptr_t lparam) {
    auto* self = static_cast<TArchiveFile*>(context);
    if (self == nullptr || message != ArcExtractMessage())
        return 0;
    const auto state = static_cast<std::int32_t>(wparam);
    auto* lpEis = reinterpret_cast<LPEXTRACTINGINFOEX>(lparam);
    bool abort = false;
    try {
        if (self->FInternalProgress)
            self->FInternalProgress(state, lpEis, abort);
        if (self->OnProgress)
            self->OnProgress(*self, state, lpEis, abort);
    } catch (...) {
        self->FPending = std::current_exception();
        abort = true;
    }
    return abort ? 1 : 0;
}

TArchiveFile::TArchiveFile() : FFileName(NotGivenText()) {}

TArchiveFile::~TArchiveFile() {
    if (CurrentArchiveFile == this)
        CurrentArchiveFile = nullptr;
}

void TArchiveFile::SetFileName(const std::string& fileName) {
    SetArchiverType(GetArchiverType(fileName, true));
    FFileName = fileName;
}

void TArchiveFile::SetOutputSize(std::int32_t size) {
    FOutput.assign(static_cast<size_t>(size > 0 ? size : 0), '\0');
}

std::string TArchiveFile::OutputText() const {
    return BoundedText(FOutput.data(), FOutput.size());
}

void TArchiveFile::SetArchiverType(TArchiverType type) {
    switch (type) {
    case atNone:
        // Not told by the name: the check looks at the content. The driver of an archive opened
        // before must not stay in place for this one.
        FArchiver.reset();
        FArchiverType = atAutoDetect;
        return;
    case atAutoDetect:
        FArchiverType = type;
        return;
    case atGCA:
    case atBel:
        if (!Loading)
            throw EArchiver(Tr("ArchiveFile", "書庫の形式を特定できませんでした。"));
        FArchiverType = type;
        return;
    default:
        break;
    }
    std::unique_ptr<TArchiver> driver = CreateArchiver(type); // may raise: nothing changes
    FArchiver = std::move(driver);
    FArchiverType = type;
}

namespace {

// The kind of installer a Windows program of its own is (NSIS, Inno Setup, InstallShield, an MSI
// package): one that installs itself, not an archive to open. "" for anything else.
std::string InstallerKindOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(4u << 20, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    if (head.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) == 0)
        return "MSI";
    if (head.compare(0, 2, "MZ") != 0)
        return std::string();
    for (const auto& [mark, kind] : {std::pair<const char*, const char*>{"NullsoftInst", "NSIS"},
                                     {"Inno Setup Setup Data", "Inno Setup"},
                                     {"InstallShield", "InstallShield"}})
        if (head.find(mark) != std::string::npos)
            return kind;
    return std::string();
}

} // namespace

void TArchiveFile::RequireArchiver() const {
    if (FArchiver)
        return;
    if (const std::string kind = InstallerKindOf(FFileName); !kind.empty())
        throw EArchiver(Args(Tr("ArchiveFile", "これはそれ自体がインストーラーです (%1)。"
                                               "書庫ではないため開けません。wine で実行して"
                                               "インストールしてください。"),
                             kind));
    throw EArchiver(Tr("ArchiveFile", "書庫の形式を判別できません。"));
}

void TArchiveFile::InstallHooks(const TArchiverOptions& options) {
    FPending = nullptr;
    if (OnEnumMember || options.IncludeExtraStreams) {
        CurrentArchiveFile = this;
        FEnumHooked = true;
        FArchiver->SetEnumMembersProc(ArchiveFileEnumMembers, QM_ENUM_MEMBER_INFO_SIZE);
    }
    if (OnProgress || FInternalProgress) {
        ArcExtractMessage();
        if (!FProgressWindow)
            FProgressWindow.reset(new QmMessageSink{QM_SINK_MAGIC, ArchiveFileProgressProc, this});
        FOwnerHooked = true;
        try {
            FArchiver->SetOwnerWindow(FProgressWindow.get(), nullptr);
        } catch (...) {
            // Progress is a courtesy: a library that cannot report it still extracts.
        }
    }
}

void TArchiveFile::RemoveHooks() {
    // Removal runs on every way out and must finish; a library that cannot take the calls
    // reports itself on the next operation.
    if (FEnumHooked) {
        FEnumHooked = false;
        if (CurrentArchiveFile == this)
            CurrentArchiveFile = nullptr;
        try {
            FArchiver->ClearEnumMembersProc();
        } catch (...) {
        }
    }
    if (FOwnerHooked) {
        FOwnerHooked = false;
        try {
            FArchiver->KillOwnerWindow(FProgressWindow.get());
        } catch (...) {
        }
    }
}

void TArchiveFile::RethrowPending() {
    if (FPending) {
        std::exception_ptr pending = FPending;
        FPending = nullptr;
        std::rethrow_exception(pending);
    }
}

std::int32_t TArchiveFile::CheckArchive(int mode, int flags) {
    if (FArchiverType == atAutoDetect)
        SetArchiverType(GetArchiverType(FFileName, false));
    RequireArchiver();
    std::int32_t result = 0;
    try {
        InstallHooks(Options);
        result = FArchiver->CheckArchive(FFileName, mode, flags);
    } catch (...) {
        RemoveHooks();
        throw;
    }
    RemoveHooks();
    RethrowPending();
    return result;
}

void TArchiveFile::CollectExtraStream(std::int32_t state, LPEXTRACTINGINFOEX lpEis, bool&) {
    if (state != QM_ARCEXTRACT_INPROCESS || lpEis == nullptr || !FExtraStreamNames)
        return;
    try {
        const std::string source = BoundedText(lpEis->szSourceFileName, 513);
        if (AnsiContains(source, ToAnsi(FStreamSeparator)))
            FExtraStreamNames->insert(FromAnsi(BoundedText(lpEis->szDestFileName, 513)));
    } catch (const EEncodingError&) {
        // A name the code page cannot carry cannot be a stream we restore; the file stays.
    }
}

std::int32_t TArchiveFile::Extract(void* window, const TArchiverOptions* options,
                                   const TFileArgs& files, const std::string& destination) {
    FCommandLine.clear();
    RequireArchiver();
    const TArchiverOptions& o = options != nullptr ? *options : Options;
    auto finish = [&]() {
        try {
            RestoreExtraStreams(FExtraStreamNames.get(), o, destination);
        } catch (...) {
            // Restoring is best effort; the extracted files are all there either way.
        }
        FExtraStreamNames.reset();
        FInternalProgress = nullptr;
        RemoveHooks();
    };
    std::int32_t result = 0;
    try {
        InstallHooks(o);
        FInternalProgress = nullptr;
        FExtraStreamNames.reset();
        if (o.IncludeExtraStreams && !o.StreamSeparator.empty()) {
            FExtraStreamNames = std::make_unique<std::set<std::string>>();
            FStreamSeparator = o.StreamSeparator;
            FInternalProgress = [this](std::int32_t state, LPEXTRACTINGINFOEX lpEis, bool& abort) {
                CollectExtraStream(state, lpEis, abort);
            };
        }
        result = FArchiver->Extract(window, FFileName, FOutput, FCommandLine,
                                    o.ResFileUsage.count(ruOnUnpack) > 0, files, destination, o);
    } catch (...) {
        finish();
        throw;
    }
    finish();
    RethrowPending();
    return result;
}

std::string StreamNameFromFile(const std::string& fileName, const std::string& separator) {
    std::string result = fileName;
    if (separator.empty())
        return result;
    for (size_t i = 0; i < result.size(); ++i) {
        if (result[i] != separator[0])
            continue;
        result[i] = ':';
        if (separator.size() > 1 && i + 1 < result.size() && result[i + 1] == separator[1]) {
            result[i + 1] = '\x05';
            ++i;
        }
    }
    return result;
}

void RestoreExtraStreams(const std::set<std::string>* names, const TArchiverOptions& options,
                         const std::string& destination) {
    namespace fs = std::filesystem;
    if (names == nullptr || !VolumeSupportsNamedStreams(destination))
        return;
    for (const std::string& name : *names) {
        const std::string target = StreamNameFromFile(name, options.StreamSeparator);
        std::error_code ec;
        // An existing stream is never replaced; any failure leaves this name and goes on.
        if (!fs::exists(target, ec)) {
            std::ifstream in(name, std::ios::binary);
            std::ofstream out(target, std::ios::binary);
            if (in && out) {
                out << in.rdbuf();
                out.close();
                fs::last_write_time(target, fs::last_write_time(name, ec), ec);
            }
        }
        fs::remove(name, ec);
    }
}

} // namespace qm
