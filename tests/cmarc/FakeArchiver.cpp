#include "FakeArchiver.h"

#include "Sandbox.h"
#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <filesystem>
#include <sstream>

namespace cmarctest {

FakeLibrary::FakeLibrary(const std::string& folder, const std::string& fileName, bool minimal)
    : Path(folder + "/" + fileName) {
    std::filesystem::copy_file(minimal ? QM_FAKE_ARCHIVER_MINIMAL : QM_FAKE_ARCHIVER, Path,
                               std::filesystem::copy_options::overwrite_existing);
    FHandle = ::dlopen(Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (FHandle == nullptr)
        throw std::runtime_error(std::string("cannot load the stand-in: ") + ::dlerror());
    reinterpret_cast<void (*)()>(Symbol("FakeReset"))();
}

FakeLibrary::~FakeLibrary() {
    ::dlclose(FHandle);
}

void* FakeLibrary::Symbol(const char* name) const {
    void* p = ::dlsym(FHandle, name);
    if (p == nullptr)
        throw std::runtime_error(std::string("stand-in lacks ") + name);
    return p;
}

void FakeLibrary::SetResult(const char* suffix, long long value) {
    reinterpret_cast<void (*)(const char*, long long)>(Symbol("FakeSetResult"))(suffix, value);
}

void FakeLibrary::AddMember(const char* name, uint32_t size, uint32_t packed, uint16_t date,
                            uint16_t time) {
    reinterpret_cast<void (*)(const char*, uint32_t, uint32_t, uint16_t, uint16_t)>(
        Symbol("FakeAddMember"))(name, size, packed, date, time);
}

void FakeLibrary::SetMemberEx(uint64_t size64, uint64_t packed64, uint64_t writeTime) {
    reinterpret_cast<void (*)(uint64_t, uint64_t, uint64_t)>(Symbol("FakeSetMemberEx"))(
        size64, packed64, writeTime);
}

void FakeLibrary::RequirePassword(const char* password) {
    reinterpret_cast<void (*)(const char*)>(Symbol("FakeRequirePassword"))(password);
}

void FakeLibrary::PushPasswordAnswer(int result, const char* text) {
    reinterpret_cast<void (*)(int, const char*)>(Symbol("FakePushPasswordAnswer"))(result, text);
}

void FakeLibrary::AddProgress(int state, const char* source, const char* dest) {
    reinterpret_cast<void (*)(int, const char*, const char*)>(Symbol("FakeAddProgress"))(
        state, source, dest);
}

std::vector<std::string> FakeLibrary::Calls() const {
    std::istringstream in(reinterpret_cast<const char* (*)()>(Symbol("FakeLog"))());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> FakeLibrary::CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> result;
    for (const std::string& line : Calls())
        if (line.compare(0, prefix.size(), prefix) == 0)
            result.push_back(line);
    return result;
}

void FakeArchiverTest::SetUp() {
    LibraryFolder = qmtest::MakeTempFolder("lib");
    WorkFolder = qmtest::MakeTempFolder("work");
    qm::FreeArchiverDlls();
    // Only the test's folder: the real libraries in the build tree must stay out of sight.
    qm::SetLibrarySearchFolders({LibraryFolder}, false);
}

void FakeArchiverTest::TearDown() {
    qm::FreeArchiverDlls();
    qm::SetLibrarySearchFolders({}, true);
}

std::unique_ptr<FakeLibrary> FakeArchiverTest::Install(const std::string& fileName, bool minimal) {
    return std::make_unique<FakeLibrary>(LibraryFolder, fileName, minimal);
}

} // namespace cmarctest
