#pragma once
// Test side of the stand-in archiver library: copies it under a family's file name into a
// library folder and scripts it; and a fixture whose process sees only that folder.
#include "cmarc/Archives.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace cmarctest {

class FakeLibrary {
public:
    // Copies the stand-in (the complete build, or the one without optional entries) to
    // folder/fileName and loads it there, so the script is in place before the program loads it.
    FakeLibrary(const std::string& folder, const std::string& fileName, bool minimal = false);
    ~FakeLibrary();

    void SetResult(const char* suffix, long long value);
    void AddMember(const char* name, uint32_t size, uint32_t packed, uint16_t date, uint16_t time);
    void SetMemberEx(uint64_t size64, uint64_t packed64, uint64_t writeTime);
    void RequirePassword(const char* password);
    void PushPasswordAnswer(int result, const char* text);
    void AddProgress(int state, const char* source, const char* dest);
    // Every call recorded so far, one per line.
    std::vector<std::string> Calls() const;
    // The recorded calls that start with `prefix`.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;

    const std::string Path;

private:
    void* Symbol(const char* name) const;
    void* FHandle = nullptr;
};

class FakeArchiverTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::unique_ptr<FakeLibrary> Install(const std::string& fileName, bool minimal = false);

    std::string LibraryFolder;
    std::string WorkFolder;
};

// The message of the error of type E that f raises; "no error" when it raises none.
template <class E, class F> std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return "no error";
}

} // namespace cmarctest
